#pragma once

#include <QString>

#include <optional>

// Which application a running process belongs to, and the kernel's process
// tree. The command line needs only this much of the workspace.
class ProcessTree {
public:
    struct RunningApplication {
        qint64 processIdentifier = 0;
        QString bundleIdentifier;
        QString localizedName;
        // A regular application: one a user starts and switches to (not a
        // helper, a daemon or a command-line program).
        bool isRegular = false;

        bool operator==(const RunningApplication &) const = default;
    };

    virtual ~ProcessTree() = default;

    // The application that process `pid` belongs to, if it is one.
    virtual std::optional<RunningApplication> runningApplication(qint64 pid) const = 0;
    // The parent of process `pid` in the kernel's process table.
    virtual std::optional<qint64> parentProcessIdentifier(qint64 pid) const = 0;
};
