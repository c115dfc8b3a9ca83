#pragma once

#include "Platform/EventStore.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <vector>

// Calendars kept as iCalendar data, read with libical. Every "*.ics" file
// and every vdir folder (a folder of ".ics" files, one item each, with
// optional "displayname" and "color" files, as CalDAV sync tools write them)
// in the calendars folder is one calendar; so is each extra file that exists
// (the desktop's local calendar). A calendar's identifier is its path.
//
// There is no permission to ask for: readable files give full access. The
// files are watched; changes, coalesced over a short moment, reach the
// observers.
class IcsEventStore final : public EventStore {
public:
    explicit IcsEventStore(QString calendarsFolder = defaultCalendarsFolder(), QStringList extraFiles = defaultExtraFiles());
    ~IcsEventStore() override;

    // $XDG_DATA_HOME/quib/calendars
    static QString defaultCalendarsFolder();
    // The desktop's local calendar file.
    static QStringList defaultExtraFiles();

    AuthorizationStatus authorizationStatus() const override { return AuthorizationStatus::fullAccess; }
    QList<Calendar> calendars() override;
    QList<Event> events(const QDateTime &start, const QDateTime &end, const QStringList &calendarIdentifiers) override;
    void observeChanges(std::function<void()> handler) override;

private:
    struct Source {
        QString path;
        bool isFolder = false;
    };
    QList<Source> sources() const;
    void watch();

    QString m_folder;
    QStringList m_extraFiles;
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    std::vector<std::function<void()>> m_handlers;
};
