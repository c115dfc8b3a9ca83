#pragma once

#include "Platform/ProcessTable.h"

#include <map>
#include <optional>
#include <string>

// The processes of a Linux desktop: /proc for processes and parents,
// application identity from the XDG desktop entries (read with GLib's
// key-file parser, without GIO and its modules). Plain C++ and GLib, so the
// command words use it without loading Qt.
//
// A process belongs to an application when, in this order: it is this app's
// own executable; the launcher recorded the desktop file in its environment
// (GIO_LAUNCHED_DESKTOP_FILE with its pid); systemd placed it in the
// application's scope (app-…-<id>-<n>.scope); or its executable's name is the
// one the desktop entry runs (Exec, TryExec or StartupWMClass). The first
// three look up one entry by its id; the last needs every entry's programs,
// which are kept in a cache file and read again from the entries only when a
// folder of entries changed.
class LinuxProcessTable final : public ProcessTable {
public:
    explicit LinuxProcessTable(std::string programCache = programCachePath());
    // $XDG_CACHE_HOME/quib/desktop-programs.cache
    static std::string programCachePath();

    struct Entry {
        std::string id;
        std::string path;
        std::string name;
        bool isRegular = false;

        bool operator==(const Entry &) const = default;
    };

    std::optional<Application> application(long pid) const override;
    std::optional<long> parent(long pid) const override;

    // The installed entry with that id (without ".desktop").
    std::optional<Entry> entry(const std::string &id) const;
    std::optional<Entry> entryForProcess(long pid) const;

private:
    void loadPrograms() const;
    void scanPrograms() const;

    const std::string m_programCache;
    mutable std::optional<std::string> m_ownExecutable;
    // Entries looked up so far by id; none for an id without an entry.
    mutable std::map<std::string, std::optional<Entry>> m_entries;
    mutable bool m_programsLoaded = false;
    // Executable names and window classes (lower case) to desktop ids.
    mutable std::map<std::string, std::string> m_idsByProgram;
};
