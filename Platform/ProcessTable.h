#pragma once

#include <optional>
#include <string>

// Which application a running process belongs to, and the kernel's process
// tree: what the command words need of the workspace, in plain C++ so that
// they run without Qt.
class ProcessTable {
public:
    // The desktop-entry id of this app's own processes.
    static constexpr const char *ownIdentifier = "com.brenvask.Quib";

    struct Application {
        // The desktop-entry id ("org.gnome.Terminal").
        std::string identifier;
        // One a user starts and switches to (not a helper, a daemon or a
        // command-line program).
        bool isRegular = false;

        bool operator==(const Application &) const = default;
    };

    virtual ~ProcessTable() = default;

    // The application that process `pid` belongs to, if it is one.
    virtual std::optional<Application> application(long pid) const = 0;
    // The parent of process `pid` in the kernel's process table.
    virtual std::optional<long> parent(long pid) const = 0;
};
