#pragma once

#include "Support/Scheduler.h"

#include <QBindable>
#include <QHash>
#include <QList>
#include <QObject>
#include <QProperty>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class NotificationDatabaseReader;

// Shows other applications' notifications as notch banners. Every 2 s it
// reads the notification database (read-only, on a thread of its own) for
// records newer than its cursor, and turns the newest of them into banners,
// subject to the user's settings and the active Focus.
class AppNotificationMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr double pollInterval = 2.0;
    static constexpr int banneredAppsPerPoll = 3;

    // An application with notifications in the database that is installed.
    struct KnownApp {
        QString id;
        QString name;
        bool operator==(const KnownApp &) const = default;
    };

    // The name of the active Focus, or none.
    using FocusName = std::function<std::optional<QString>()>;

    // The database the journal writes.
    static QString databasePath();

    // Starts the poll at once. `focusName` empty: no Focus is known.
    AppNotificationMonitor(AppModel &model, FocusName focusName, const QString &path = databasePath());
    ~AppNotificationMonitor() override;

    // The database could be opened at the last attempt.
    bool hasAccess() const { return m_hasAccess.value(); }
    QBindable<bool> bindableHasAccess() { return &m_hasAccess; }
    // Sorted by name.
    QList<KnownApp> knownApps() const { return m_knownApps.value(); }
    QBindable<QList<KnownApp>> bindableKnownApps() { return &m_knownApps; }

    // One poll: opens the database when needed and reads new records. A poll
    // still running makes this one wait for the next tick.
    void tick();
    // Filters one notification of application `app` and shows its banner.
    void show(const QString &app, const QByteArray &data);
    // The application's real identifier (its letter case may differ from
    // the database's), or `app` when it is not installed.
    QString realBundleID(const QString &app);

    // Writes the newest records to "/tmp/quib-notifrecent.txt".
    void debugDumpRecent();

    // Tells the user how to give the access to the database (through the
    // permissions model, as for the Focus files).
    void openFullDiskAccessSettings();

Q_SIGNALS:
    // A poll finished and its banners are shown.
    void polled();

private:
    struct Poll;
    void finish(const Poll &poll);
    void loadKnownApps(const QStringList &identifiers);
    // Runs `work` with the reader on the database thread.
    void onDatabaseThread(std::function<void(NotificationDatabaseReader &)> work);

    AppModel &m_model;
    const FocusName m_focusName;
    const QString m_path;
    QProperty<bool> m_hasAccess{false};
    QProperty<QList<KnownApp>> m_knownApps;
    QHash<QString, QString> m_bundleIDs;
    bool m_isPolling = false;
    RepeatingTimer m_timer;
    QThread m_thread;
    // Lives on m_thread; holds the reader.
    QObject *m_worker = nullptr;
    std::unique_ptr<NotificationDatabaseReader> m_reader;
};
