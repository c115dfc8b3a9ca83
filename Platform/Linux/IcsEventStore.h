#pragma once

#include "Platform/EventStore.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

// Calendars kept as iCalendar data, read with libical. Every "*.ics" file
// and every vdir folder (a folder of ".ics" files, one item each, with
// optional "displayname" and "color" files, as CalDAV sync tools write them)
// in the calendars folder is one calendar; so is each extra file that exists
// (the desktop's local calendar). A calendar's identifier is its path.
//
// Access is readability: full access when the calendars folder or an extra
// file can be read, denied when one exists but none can be read, not
// determined when none exists; asking for access makes the calendars folder.
// The files are watched; changes, coalesced over a short moment, reach the
// observers.
//
// A load reads every file once, on a worker thread. Repeating events are
// expanded over the asked range only, and each calendar has a budget for it:
// a calendar whose occurrences in the range exceed `maximumOccurrences`, or
// whose expansion takes more processor time than `expansionTimeLimit`, is
// left out of the events with one log line; the other calendars still show.
class IcsEventStore final : public EventStore {
public:
    explicit IcsEventStore(QString calendarsFolder = defaultCalendarsFolder(), QStringList extraFiles = defaultExtraFiles());
    ~IcsEventStore() override;

    // $XDG_DATA_HOME/quib/calendars
    static QString defaultCalendarsFolder();
    // The desktop's local calendar file.
    static QStringList defaultExtraFiles();

    static constexpr int maximumOccurrences = 10000;
    static constexpr std::chrono::milliseconds expansionTimeLimit{1000};

    AuthorizationStatus authorizationStatus() const override;
    void requestFullAccess(std::function<void()> done) override;
    // The calendars folder.
    QString location() const override { return m_folder; }
    void load(const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOutCalendarIdentifiers, std::function<void(Snapshot)> done) override;
    void observeChanges(std::function<void()> handler) override;

    // How many files the loads have parsed so far.
    int parsedFiles() const { return m_parsedFiles.load(); }

private:
    void watch();

    QString m_folder;
    QStringList m_extraFiles;
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    std::vector<std::function<void()>> m_handlers;
    // Receives the results of the worker on the main thread.
    QObject m_mainThread;
    std::atomic<int> m_parsedFiles{0};
    // Set when the running load is superseded or the store goes.
    std::shared_ptr<std::atomic<bool>> m_cancelLoad;
    // Makes the calendars folder for an access request, apart from the
    // loads, which drop work that has not started.
    QThreadPool m_accessRequests;
    // Last member: its destruction waits for the running load, which stops
    // soon once cancelled, before anything that load uses goes.
    QThreadPool m_loads;
};
