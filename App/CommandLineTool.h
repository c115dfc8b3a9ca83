#pragma once

#include "App/ClaudeUsageStore.h"
#include "Platform/DistributedNotifications.h"

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <optional>

class QIODevice;
class UserDefaults;
class ProcessTable;

// The agent's command words (`quib claude-hook`, `quib claude-statusline`):
// they read the agent's input and the app's defaults, hand the result to the
// running app and exit without starting the user interface. They need Qt, so
// they live in a library that `quib` loads only for them.
class CommandLineTool {
public:
    static const QString appIdentifier;

    // Runs the command of the process arguments on this process's session
    // bus, defaults and standard streams; returns its exit status.
    static int runInProcess(int argc, char **argv);

    // The commands read standard input from `in`, the app's defaults, and
    // share the usage snapshot at `usagePath`.
    CommandLineTool(DistributedNotifications &notifications, const ProcessTable &processes, UserDefaults &defaults, QIODevice &in, QTextStream &out,
                    QTextStream &err, QString usagePath = ClaudeUsageStore::defaultPath());

    // Dispatches the arguments after the program path; returns the exit status.
    int run(const QStringList &arguments);
    // The nearest ancestor process that is a regular application other than
    // Quib itself.
    std::optional<QString> callingApp() const;

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
    const ProcessTable &m_processes;
    UserDefaults &m_defaults;
    QIODevice &m_in;
    QTextStream &m_out;
    QTextStream &m_err;
    QString m_usagePath;
};
