#include "App/CommandLineTool.h"

#include "App/NotifyCommand.h"
#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/LinuxProcessTable.h"

#include <QCoreApplication>
#include <QFile>

const QString CommandLineTool::appIdentifier = QString::fromLatin1(ProcessTable::ownIdentifier);

int CommandLineTool::runInProcess(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCoreApplication application(argc, argv);
    // Without a session bus the commands still say only their own message:
    // the post goes nowhere.
    const auto notifications = makeSessionNotifications();
    const LinuxProcessTable processes;
    QtScheduler scheduler;
    JsonUserDefaults defaults(scheduler);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CommandLineTool tool(*notifications, processes, defaults, in, out, err);
    const int status = tool.run(arguments);
    out.flush();
    err.flush();
    notifications->flush();
    return status;
}

CommandLineTool::CommandLineTool(DistributedNotifications &notifications, const ProcessTable &processes, UserDefaults &defaults, QIODevice &in, QTextStream &out,
                                 QTextStream &err, QString usagePath)
    : m_notifications(notifications)
    , m_processes(processes)
    , m_defaults(defaults)
    , m_in(in)
    , m_out(out)
    , m_err(err)
    , m_usagePath(std::move(usagePath))
{
}

int CommandLineTool::run(const QStringList &arguments)
{
    const QString word = arguments.value(0);
    if (word == u"claude-hook")
        return claudeHook();
    if (word == u"claude-statusline")
        return claudeStatusLine();
    m_err << QString::fromStdString(NotifyCommand::unknownWordMessage(word.toStdString()));
    return 2;
}

std::optional<QString> CommandLineTool::callingApp() const
{
    if (const auto app = NotifyCommand::callingApp(m_processes))
        return QString::fromStdString(*app);
    return std::nullopt;
}
