#include "App/CommandLineTool.h"

#include "Alerts/AlertRequestNotification.h"
#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/LinuxProcessTree.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

const QString CommandLineTool::appIdentifier = QStringLiteral("com.brenvask.Quib");

const QString CommandLineTool::usage = QStringLiteral(
    "Uso:\n"
    "  quib notify \"mensagem\"\n"
    "  quib notify --title \"Título\" --body \"Mensagem\" [opções]\n"
    "\n"
    "Opções:\n"
    "  --title T        título (padrão: nome do app que chamou)\n"
    "  --body B         mensagem (ou o texto solto)\n"
    "  --symbol S       SF Symbol no lugar do ícone do app (ex.: checkmark.circle.fill)\n"
    "  --color C        cor do símbolo: red, green, blue, orange, purple… ou #RRGGBB\n"
    "  --app BUNDLE_ID  app que o clique abre (padrão: o app que chamou, ex.: o Terminal)\n"
    "  --duration N     segundos na tela\n"
    "  --silent         sem som\n"
    "\n"
    "  quib claude-hook  usado pelos hooks do Claude Code (Ajustes › Avisos)\n"
    "  quib claude-statusline\n"
    "                    barra de status do Claude Code: passa os limites\n"
    "                    de 5 horas e da semana para o notch");

namespace {

// Option words of `notify` and the request key each one fills.
const QMap<QString, QString> &valueOptions()
{
    static const QMap<QString, QString> options{
        {QStringLiteral("--title"), QStringLiteral("title")},     {QStringLiteral("-t"), QStringLiteral("title")},
        {QStringLiteral("--body"), QStringLiteral("body")},       {QStringLiteral("--message"), QStringLiteral("body")},
        {QStringLiteral("-m"), QStringLiteral("body")},           {QStringLiteral("--symbol"), QStringLiteral("symbol")},
        {QStringLiteral("-s"), QStringLiteral("symbol")},         {QStringLiteral("--color"), QStringLiteral("color")},
        {QStringLiteral("-c"), QStringLiteral("color")},          {QStringLiteral("--app"), QStringLiteral("app")},
        {QStringLiteral("-a"), QStringLiteral("app")},            {QStringLiteral("--duration"), QStringLiteral("duration")},
        {QStringLiteral("-d"), QStringLiteral("duration")},
    };
    return options;
}

constexpr int maximumAncestors = 24;

} // namespace

bool CommandLineTool::isCommand(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return false;
    const QString &first = arguments.first();
    return !(first.startsWith(QStringLiteral("-psn")) || first.startsWith(QStringLiteral("-NS")) || first.startsWith(QStringLiteral("-Apple")));
}

bool CommandLineTool::runIfNeeded(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!isCommand(arguments))
        return false;

    int status = 0;
    {
        QCoreApplication application(argc, argv);
        // Without a session bus the commands still say only their own
        // message: the post goes nowhere and the app counts as not running.
        const auto notifications = makeSessionNotifications();
        const LinuxProcessTree processes;
        QtScheduler scheduler;
        JsonUserDefaults defaults(scheduler);
        QFile in;
        in.open(stdin, QIODevice::ReadOnly);
        QTextStream out(stdout);
        QTextStream err(stderr);
        CommandLineTool tool(*notifications, processes, defaults, in, out, err);
        status = tool.run(arguments);
        out.flush();
        err.flush();
        notifications->flush();
    }
    std::exit(status);
}

CommandLineTool::CommandLineTool(DistributedNotifications &notifications, const ProcessTree &processes, UserDefaults &defaults, QIODevice &in, QTextStream &out,
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
    if (word == u"notify")
        return notify(arguments.mid(1));
    if (word == u"help" || word == u"-h" || word == u"--help") {
        m_out << usage << '\n';
        return 0;
    }
    if (word == u"claude-hook")
        return claudeHook();
    if (word == u"claude-statusline")
        return claudeStatusLine();
    m_err << "quib: comando desconhecido \"" << word << "\"\n\n" << usage << '\n';
    return 2;
}

CommandLineTool::NotifyArguments CommandLineTool::parseNotifyArguments(const QStringList &arguments)
{
    NotifyArguments parsed;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString &word = arguments.at(i);
        if (const auto option = valueOptions().constFind(word); option != valueOptions().constEnd()) {
            if (i + 1 >= arguments.size()) {
                // A missing value undoes an earlier occurrence.
                parsed.options.remove(*option);
                break;
            }
            parsed.options.insert(*option, arguments.at(i + 1));
            i += 2;
        } else if (word == u"--silent") {
            parsed.options.insert(QStringLiteral("sound"), QStringLiteral("0"));
            ++i;
        } else {
            parsed.looseWords.append(word);
            ++i;
        }
    }
    if (!parsed.options.contains(QStringLiteral("body")) && !parsed.looseWords.isEmpty())
        parsed.options.insert(QStringLiteral("body"), parsed.looseWords.join(u' '));
    return parsed;
}

int CommandLineTool::notify(const QStringList &arguments)
{
    NotifyArguments parsed = parseNotifyArguments(arguments);
    if (!parsed.options.contains(QStringLiteral("title")) && !parsed.options.contains(QStringLiteral("body"))) {
        m_err << usage << '\n';
        return 2;
    }
    if (!parsed.options.contains(QStringLiteral("app"))) {
        if (const auto app = callingApp())
            parsed.options.insert(QStringLiteral("app"), *app);
    }
    m_notifications.post(AlertRequestNotification::name, QString(), parsed.options);
    if (quibIsRunning())
        return 0;
    m_err << "quib: o Quib não está aberto; o aviso não vai aparecer.\n";
    return 1;
}

std::optional<QString> CommandLineTool::callingApp() const
{
    qint64 pid = getppid();
    for (int examined = 0; pid > 1;) {
        if (const auto application = m_processes.runningApplication(pid);
            application && application->isRegular && !application->bundleIdentifier.isEmpty() && application->bundleIdentifier != appIdentifier)
            return application->bundleIdentifier;
        const auto parent = m_processes.parentProcessIdentifier(pid);
        if (!parent || *parent == pid)
            break;
        if (++examined >= maximumAncestors)
            break;
        pid = *parent;
    }
    return std::nullopt;
}

bool CommandLineTool::quibIsRunning() const
{
    const auto pid = m_notifications.applicationProcessId(appIdentifier);
    return pid && *pid != getpid();
}
