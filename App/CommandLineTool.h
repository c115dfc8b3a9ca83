#pragma once

#include "Platform/DistributedNotifications.h"

#include <QMap>
#include <QStringList>
#include <QTextStream>

#include <optional>

class Workspace;

// The `quib` commands: the same executable run with a command word does that
// command's work, hands the result to the running app and exits without
// starting the user interface.
class CommandLineTool {
public:
    static const QString usage;
    static const QString appIdentifier;

    // The words of `quib notify`: options by request key, and the loose words
    // in command-line order.
    struct NotifyArguments {
        QMap<QString, QString> options;
        QStringList looseWords;
    };

    // Runs the command named by the process arguments and ends the process
    // with its exit status. Returns false, having done nothing, when the
    // process is to start as the app.
    static bool runIfNeeded(int argc, char **argv);

    // True when the arguments after the program path name a command.
    static bool isCommand(const QStringList &arguments);
    static NotifyArguments parseNotifyArguments(const QStringList &arguments);

    CommandLineTool(DistributedNotifications &notifications, Workspace &workspace, QTextStream &out, QTextStream &err);

    // Dispatches the arguments after the program path; returns the exit status.
    int run(const QStringList &arguments);
    // `quib notify`: 0 posted to the running app, 1 posted but the app is not
    // running, 2 usage error.
    int notify(const QStringList &arguments);
    // The nearest ancestor process that is a regular application other than
    // Quib itself.
    std::optional<QString> callingApp() const;
    // Whether the app runs as another process.
    bool quibIsRunning() const;

private:
    DistributedNotifications &m_notifications;
    Workspace &m_workspace;
    QTextStream &m_out;
    QTextStream &m_err;
};
