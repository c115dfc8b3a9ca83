#include "Alerts/ExternalAlertListener.h"
#include "App/CommandLineTool.h"
#include "Platform/Fake/FakeDistributedNotifications.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using Options = QMap<QString, QString>;

// The usage text exactly as users see it.
const QString expectedUsage = QStringLiteral(
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

const QString notRunningMessage = QStringLiteral("quib: o Quib não está aberto; o aviso não vai aparecer.\n");

QStringList words(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *word : list)
        result.append(QString::fromUtf8(word));
    return result;
}

struct ParseCase {
    const char *name;
    QStringList arguments;
    Options options;
    QStringList looseWords;
};

class ParseNotifyArguments : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNotifyArguments, CollectsOptionsAndLooseWords)
{
    const ParseCase &row = GetParam();
    const CommandLineTool::NotifyArguments parsed = CommandLineTool::parseNotifyArguments(row.arguments);
    EXPECT_EQ(parsed.options, row.options);
    EXPECT_EQ(parsed.looseWords, row.looseWords);
}

const QString title = QStringLiteral("title");
const QString body = QStringLiteral("body");

INSTANTIATE_TEST_SUITE_P(
    CommandLineTool, ParseNotifyArguments,
    ::testing::Values(
        ParseCase{"nothing", {}, {}, {}},
        ParseCase{"looseWordsBecomeTheBody", words({"build", "is", "done"}), {{body, "build is done"}}, words({"build", "is", "done"})},
        ParseCase{"bodyOptionDropsLooseWords", words({"--body", "value", "more", "words"}), {{body, "value"}}, words({"more", "words"})},
        ParseCase{"laterOccurrenceWins", words({"--title", "first", "-t", "second"}), {{title, "second"}}, {}},
        ParseCase{"trailingOptionUndoesAnEarlierOne", words({"--title", "first", "--title"}), {}, {}},
        ParseCase{"trailingBodyOptionLeavesLooseWordsAsBody", words({"word", "--body", "b", "--body"}), {{body, "word"}}, words({"word"})},
        ParseCase{"valueIsTakenVerbatim", words({"--title", "--body", "word"}), {{title, "--body"}, {body, "word"}}, words({"word"})},
        ParseCase{"silentTakesNoValue", words({"--silent", "word"}), {{QStringLiteral("sound"), "0"}, {body, "word"}}, words({"word"})},
        ParseCase{"unknownOptionIsALooseWord", words({"--loud", "yes"}), {{body, "--loud yes"}}, words({"--loud", "yes"})},
        ParseCase{"loneDashIsALooseWord", words({"-"}), {{body, "-"}}, words({"-"})},
        ParseCase{"optionWordsAreCaseSensitive", words({"--Title", "x"}), {{body, "--Title x"}}, words({"--Title", "x"})},
        ParseCase{"trailingAppOptionLeavesNoApp", words({"hi", "--app"}), {{body, "hi"}}, words({"hi"})},
        ParseCase{"everyShortForm",
                  words({"-t", "T", "-m", "M", "-s", "timer", "-c", "red", "-a", "spotify", "-d", "-5"}),
                  {{title, "T"}, {body, "M"}, {QStringLiteral("symbol"), "timer"}, {QStringLiteral("color"), "red"},
                   {QStringLiteral("app"), "spotify"}, {QStringLiteral("duration"), "-5"}},
                  {}},
        ParseCase{"everyLongForm",
                  words({"--title", "T", "--message", "M", "--symbol", "s", "--color", "#fff", "--app", "a", "--duration", "x"}),
                  {{title, "T"}, {body, "M"}, {QStringLiteral("symbol"), "s"}, {QStringLiteral("color"), "#fff"}, {QStringLiteral("app"), "a"},
                   {QStringLiteral("duration"), "x"}},
                  {}}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

class CommandLineToolTest : public ::testing::Test {
protected:
    int run(const QStringList &arguments)
    {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        CommandLineTool tool(notifications, workspace, defaults, in, outStream, errStream);
        const int status = tool.run(arguments);
        outStream.flush();
        errStream.flush();
        return status;
    }
    std::optional<QString> callingApp()
    {
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return CommandLineTool(notifications, workspace, defaults, in, outStream, errStream).callingApp();
    }
    void appRuns() { notifications.runningApplicationPid = getpid() + 1; }

    FakeDistributedNotifications notifications;
    FakeWorkspace workspace;
    FakeUserDefaults defaults;
    QBuffer in;
    QString out;
    QString err;
};

} // namespace

TEST(CommandLineToolWords, OnlyPlatformLaunchArgumentsStartTheApp)
{
    const QList<std::pair<QStringList, bool>> rows{
        {{}, false},
        {words({"-psn_0_12345"}), false},
        {words({"-NSDocumentRevisionsDebugMode", "YES"}), false},
        {words({"-AppleLanguages", "(pt-BR)"}), false},
        {words({"-psn"}), false},
        {words({"notify"}), true},
        {words({""}), true},
        {words({"-h"}), true},
        {words({"-platform", "offscreen"}), true},
        {words({"-ps"}), true},
    };
    for (const auto &[arguments, isCommand] : rows) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        EXPECT_EQ(CommandLineTool::isCommand(arguments), isCommand);
    }
}

TEST_F(CommandLineToolTest, HelpPrintsTheUsageOnStandardOutput)
{
    EXPECT_EQ(CommandLineTool::usage, expectedUsage);
    for (const char *word : {"help", "-h", "--help"}) {
        SCOPED_TRACE(word);
        out.clear();
        EXPECT_EQ(run(words({word, "ignored"})), 0);
        EXPECT_EQ(out, expectedUsage + u'\n');
        EXPECT_TRUE(err.isEmpty());
    }
}

TEST_F(CommandLineToolTest, UnknownWordsPrintTheMessageAndUsageOnStandardError)
{
    for (const char *word : {"frobnicate", "", "Notify", "HELP"}) {
        SCOPED_TRACE(word);
        err.clear();
        EXPECT_EQ(run(words({word})), 2);
        EXPECT_EQ(err, QStringLiteral("quib: comando desconhecido \"") + QString::fromUtf8(word) + QStringLiteral("\"\n\n") + expectedUsage + u'\n');
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_TRUE(notifications.posted.isEmpty());
}

TEST_F(CommandLineToolTest, NotifyWithoutTitleOrBodyPostsNothing)
{
    appRuns();
    for (const QStringList &arguments : {words({"notify"}), words({"notify", "--title"}), words({"notify", "--silent", "--symbol", "timer"})}) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        err.clear();
        EXPECT_EQ(run(arguments), 2);
        EXPECT_EQ(err, expectedUsage + u'\n');
    }
    EXPECT_TRUE(notifications.posted.isEmpty());
}

TEST_F(CommandLineToolTest, NotifyPostsTheRequestAndSucceedsWhenTheAppRuns)
{
    appRuns();
    EXPECT_EQ(run(words({"notify", "--title", "Build", "done", "--silent"})), 0);
    EXPECT_TRUE(err.isEmpty());
    EXPECT_TRUE(out.isEmpty());
    ASSERT_EQ(notifications.posted.size(), 1);
    const auto &posted = notifications.posted.first();
    EXPECT_EQ(posted.name, ExternalAlertListener::name);
    EXPECT_EQ(posted.name, QStringLiteral("com.brenvask.Quib.notify"));
    EXPECT_TRUE(posted.object.isEmpty());
    EXPECT_EQ(posted.userInfo, Options({{title, "Build"}, {body, "done"}, {QStringLiteral("sound"), "0"}}));
}

TEST_F(CommandLineToolTest, NotifyStillPostsWhenTheAppIsNotRunning)
{
    for (const std::optional<qint64> holder : {std::optional<qint64>(), std::optional<qint64>(getpid())}) {
        SCOPED_TRACE(holder ? "this process holds the name" : "nobody holds the name");
        notifications.runningApplicationPid = holder;
        notifications.posted.clear();
        err.clear();
        EXPECT_EQ(run(words({"notify", "hello"})), 1);
        EXPECT_EQ(err, notRunningMessage);
        EXPECT_EQ(notifications.posted.size(), 1);
    }
}

TEST_F(CommandLineToolTest, NotifyFillsTheCallingAppUnlessOneIsGiven)
{
    appRuns();
    workspace.addApplication(getppid(), 1, QStringLiteral("org.gnome.Terminal"));
    run(words({"notify", "hi"}));
    run(words({"notify", "hi", "--app", "spotify"}));
    ASSERT_EQ(notifications.posted.size(), 2);
    EXPECT_EQ(notifications.posted.at(0).userInfo->value(QStringLiteral("app")), QStringLiteral("org.gnome.Terminal"));
    EXPECT_EQ(notifications.posted.at(1).userInfo->value(QStringLiteral("app")), QStringLiteral("spotify"));
}

TEST_F(CommandLineToolTest, CallingAppSkipsHelpersAndQuibItself)
{
    const qint64 parent = getppid();
    workspace.processes.insert(parent, {900001, std::nullopt});
    workspace.addApplication(900001, 900002, QStringLiteral("org.example.Helper"), false);
    workspace.addApplication(900002, 900003, QStringLiteral("com.brenvask.Quib"));
    workspace.addApplication(900003, 900004, QString());
    workspace.addApplication(900004, 1, QStringLiteral("org.gnome.Terminal"));
    EXPECT_EQ(callingApp(), QStringLiteral("org.gnome.Terminal"));
}

TEST_F(CommandLineToolTest, CallingAppStopsWithoutAMatch)
{
    struct Row {
        const char *name;
        std::function<void()> arrange;
    };
    const qint64 parent = getppid();
    const QList<Row> rows{
        {"failedLookup", [&] { workspace.processes.insert(parent, {900001, std::nullopt}); }},
        {"processIsItsOwnParent", [&] { workspace.processes.insert(parent, {parent, std::nullopt}); }},
        {"cycle",
         [&] {
             workspace.processes.insert(parent, {900001, std::nullopt});
             workspace.processes.insert(900001, {parent, std::nullopt});
         }},
        {"initIsNeverExamined",
         [&] {
             workspace.processes.insert(parent, {1, std::nullopt});
             workspace.addApplication(1, 0, QStringLiteral("org.gnome.Terminal"));
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        workspace.processes.clear();
        row.arrange();
        EXPECT_EQ(callingApp(), std::nullopt);
    }
}

TEST_F(CommandLineToolTest, CallingAppExaminesTwentyFourProcessesAtMost)
{
    // The parent and its ancestors 900001, 900002, ...; the application sits
    // at the given depth (1 = the parent).
    auto chainWithApplicationAt = [&](int depth) {
        workspace.processes.clear();
        qint64 pid = getppid();
        for (int level = 1; level <= 30; ++level) {
            const qint64 next = 900000 + level;
            if (level == depth)
                workspace.addApplication(pid, next, QStringLiteral("org.gnome.Terminal"));
            else
                workspace.processes.insert(pid, {next, std::nullopt});
            pid = next;
        }
    };
    chainWithApplicationAt(24);
    EXPECT_EQ(callingApp(), QStringLiteral("org.gnome.Terminal"));
    chainWithApplicationAt(25);
    EXPECT_EQ(callingApp(), std::nullopt);
}
