#pragma once

#include "App/ClaudeUsageStore.h"
#include "Platform/DistributedNotifications.h"

#include <QJsonObject>
#include <QMap>
#include <QStringList>
#include <QTextStream>

#include <optional>

class QIODevice;
class UserDefaults;
class ProcessTree;

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

    // The commands read standard input from `in`; the agent's commands also
    // read the app's defaults and share the usage snapshot at `usagePath`.
    CommandLineTool(DistributedNotifications &notifications, const ProcessTree &processes, UserDefaults &defaults, QIODevice &in, QTextStream &out,
                    QTextStream &err, QString usagePath = ClaudeUsageStore::defaultPath());

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

    // `quib claude-hook`: turns the agent's Stop and Notification hook input
    // into an alert request. Writes nothing; always exit status 0.
    int claudeHook();
    // `quib claude-statusline`: hands the usage limits of the agent's status
    // input to the app and prints the status line. Always exit status 0.
    int claudeStatusLine();
    // The first line of the agent's last reply in the transcript, cleaned and
    // cut to 140 characters, or none.
    static std::optional<QString> lastAssistantText(const QString &path);
    // The text of a Notification hook's message as the banner shows it.
    static QString notificationText(const QString &message);
    // The model and the usage limits, joined by " · ".
    static QString shortStatusLine(const QJsonObject &json, const QDateTime &now);
    // Runs `command` with /bin/sh, feeding it `input`; returns what it wrote
    // to standard output (nothing when it cannot start). Its error output is
    // dropped and its exit status ignored.
    static QByteArray runShell(const QString &command, const QByteArray &input);

    static const QString previousStatusLineKey;
    static constexpr qint64 transcriptTail = 262144;

private:
    QJsonObject readInputObject();

    DistributedNotifications &m_notifications;
    const ProcessTree &m_processes;
    UserDefaults &m_defaults;
    QIODevice &m_in;
    QTextStream &m_out;
    QTextStream &m_err;
    QString m_usagePath;
};
