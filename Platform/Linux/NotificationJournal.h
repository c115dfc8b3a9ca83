#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class Workspace;

// The journal of other applications' notifications: a connection of its own
// to the session bus becomes a bus monitor of the
// org.freedesktop.Notifications.Notify calls and writes each call as a record
// of the notification database. The bus is read on a thread of its own and
// the database written on another, so neither the bus nor the main thread
// ever waits for the other; only the sender's identity is worked out on the
// main thread, where the workspace lives. The database keeps the newest
// `keptRecords` records.
class NotificationJournal {
public:
    static constexpr int keptRecords = 500;

    // What the journal keeps of one Notify call.
    struct Call {
        QString appName;
        // The "desktop-entry" hint.
        QString desktopEntry;
        // The sender's process, 0 when the bus could not say.
        qint64 processIdentifier = 0;
        QString summary;
        QString body;
    };

    // Watches the bus at `busAddress` and writes to the database at `path`
    // (created with its folder when missing).
    NotificationJournal(const Workspace &workspace, const QString &busAddress, const QString &path);
    ~NotificationJournal();
    NotificationJournal(const NotificationJournal &) = delete;
    NotificationJournal &operator=(const NotificationJournal &) = delete;

    // The bus accepted the journal as a monitor and it is watching.
    bool isWatching() const;

    // The application that posted `call`: the desktop entry it names, else
    // its application name when that is an installed application's
    // identifier, else the application of the sending process, else the
    // application name as given.
    static QString identifier(const Call &call, const Workspace &workspace);
    // The record's payload: a binary property list holding the texts under
    // "req" ("titl", "body").
    static QByteArray payload(const Call &call);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
