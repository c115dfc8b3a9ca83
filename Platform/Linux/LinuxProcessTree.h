#pragma once

#include "Platform/ProcessTree.h"

#include <QHash>
#include <QString>

// The process side of the workspace on a Linux desktop: processes from
// /proc, application identity from the XDG desktop entries (read with GLib's
// key-file parser, without GIO and its modules).
// Needs neither a display nor a GUI, so the command line uses it alone.
//
// A process belongs to an application when, in this order: it is this app's
// own executable; the launcher recorded the desktop file in its environment
// (GIO_LAUNCHED_DESKTOP_FILE with its pid); systemd placed it in the
// application's scope (app-…-<id>-<n>.scope); or its executable's name is the
// one the desktop entry runs (Exec, TryExec or StartupWMClass). The first
// three look up one entry by its id; the last needs every entry's programs,
// which are kept in a cache file and read again from the entries only when a
// folder of entries changed.
class LinuxProcessTree final : public ProcessTree {
public:
    static const QString ownIdentifier;

    explicit LinuxProcessTree(QString programCache = programCachePath());
    // $XDG_CACHE_HOME/quib/desktop-programs.json
    static QString programCachePath();

    struct Entry {
        QString id;
        QString path;
        QString name;
        bool isRegular = false;
    };

    std::optional<RunningApplication> runningApplication(qint64 pid) const override;
    std::optional<qint64> parentProcessIdentifier(qint64 pid) const override;

    // The installed entry with that id (without ".desktop").
    std::optional<Entry> entry(const QString &id) const;
    std::optional<Entry> entryForProcess(qint64 pid) const;

private:
    void loadPrograms() const;
    void scanPrograms() const;

    const QString m_programCache;
    // Entries looked up so far by id; none for an id without an entry.
    mutable QHash<QString, std::optional<Entry>> m_entries;
    mutable bool m_programsLoaded = false;
    // Executable names and window classes (lower case) to desktop ids.
    mutable QHash<QString, QString> m_idsByProgram;
};
