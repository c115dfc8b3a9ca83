#include "Alerts/ExternalAlertListener.h"
#include "App/NotifyCommand.h"
#include "Platform/Fake/FakeDistributedNotifications.h"
#include "Platform/Fake/FakeSessionBus.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <sstream>

namespace {

using Options = std::map<std::string, std::string>;
using Words = std::vector<std::string>;

// The usage text exactly as users see it.
const std::string expectedUsage = "Uso:\n"
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
                                  "                    de 5 horas e da semana para o notch";

const std::string notRunningMessage = "quib: o Quib não está aberto; o aviso não vai aparecer.\n";

struct ParseCase {
    const char *name;
    Words arguments;
    Options options;
    Words looseWords;
};

class ParseNotifyArguments : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNotifyArguments, CollectsOptionsAndLooseWords)
{
    const ParseCase &row = GetParam();
    const NotifyCommand::Arguments parsed = NotifyCommand::parseArguments(row.arguments);
    EXPECT_EQ(parsed.options, row.options);
    EXPECT_EQ(parsed.looseWords, row.looseWords);
}

INSTANTIATE_TEST_SUITE_P(
    NotifyCommand, ParseNotifyArguments,
    ::testing::Values(
        ParseCase{"nothing", {}, {}, {}},
        ParseCase{"looseWordsBecomeTheBody", {"build", "is", "done"}, {{"body", "build is done"}}, {"build", "is", "done"}},
        ParseCase{"bodyOptionDropsLooseWords", {"--body", "value", "more", "words"}, {{"body", "value"}}, {"more", "words"}},
        ParseCase{"laterOccurrenceWins", {"--title", "first", "-t", "second"}, {{"title", "second"}}, {}},
        ParseCase{"trailingOptionUndoesAnEarlierOne", {"--title", "first", "--title"}, {}, {}},
        ParseCase{"trailingBodyOptionLeavesLooseWordsAsBody", {"word", "--body", "b", "--body"}, {{"body", "word"}}, {"word"}},
        ParseCase{"valueIsTakenVerbatim", {"--title", "--body", "word"}, {{"title", "--body"}, {"body", "word"}}, {"word"}},
        ParseCase{"silentTakesNoValue", {"--silent", "word"}, {{"sound", "0"}, {"body", "word"}}, {"word"}},
        ParseCase{"unknownOptionIsALooseWord", {"--loud", "yes"}, {{"body", "--loud yes"}}, {"--loud", "yes"}},
        ParseCase{"loneDashIsALooseWord", {"-"}, {{"body", "-"}}, {"-"}},
        ParseCase{"emptyWordsStayInTheBody", {"", "a", ""}, {{"body", " a "}}, {"", "a", ""}},
        ParseCase{"optionWordsAreCaseSensitive", {"--Title", "x"}, {{"body", "--Title x"}}, {"--Title", "x"}},
        ParseCase{"trailingAppOptionLeavesNoApp", {"hi", "--app"}, {{"body", "hi"}}, {"hi"}},
        ParseCase{"everyShortForm",
                  {"-t", "T", "-m", "M", "-s", "timer", "-c", "red", "-a", "spotify", "-d", "-5"},
                  {{"title", "T"}, {"body", "M"}, {"symbol", "timer"}, {"color", "red"}, {"app", "spotify"}, {"duration", "-5"}},
                  {}},
        ParseCase{"everyLongForm",
                  {"--title", "T", "--message", "M", "--symbol", "s", "--color", "#fff", "--app", "a", "--duration", "x"},
                  {{"title", "T"}, {"body", "M"}, {"symbol", "s"}, {"color", "#fff"}, {"app", "a"}, {"duration", "x"}},
                  {}}),
    [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

class NotifyCommandTest : public ::testing::Test {
protected:
    int run(const Words &arguments)
    {
        out.str({});
        err.str({});
        return NotifyCommand(bus, workspace, out, err).run(arguments);
    }
    std::optional<std::string> callingApp() const { return NotifyCommand::callingApp(workspace); }
    void appRuns() { notifications.runningApplicationPid = getpid() + 1; }

    FakeDistributedNotifications notifications;
    FakeSessionBus bus{notifications};
    FakeWorkspace workspace;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace

TEST(NotifyCommandWords, OnlyPlatformLaunchArgumentsStartTheApp)
{
    const std::vector<std::pair<Words, bool>> rows{
        {{}, false},
        {{"-psn_0_12345"}, false},
        {{"-NSDocumentRevisionsDebugMode", "YES"}, false},
        {{"-AppleLanguages", "(pt-BR)"}, false},
        {{"-psn"}, false},
        {{"notify"}, true},
        {{""}, true},
        {{"-h"}, true},
        {{"-platform", "offscreen"}, true},
        {{"-ps"}, true},
    };
    for (const auto &[arguments, isCommand] : rows) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        EXPECT_EQ(NotifyCommand::isCommand(arguments), isCommand);
    }
}

TEST_F(NotifyCommandTest, HelpPrintsTheUsageOnStandardOutput)
{
    EXPECT_EQ(NotifyCommand::usage, expectedUsage);
    for (const char *word : {"help", "-h", "--help"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(run({word, "ignored"}), 0);
        EXPECT_EQ(out.str(), expectedUsage + '\n');
        EXPECT_TRUE(err.str().empty());
    }
}

TEST_F(NotifyCommandTest, UnknownWordsPrintTheMessageAndUsageOnStandardError)
{
    for (const char *word : {"frobnicate", "", "Notify", "HELP"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(run({word}), 2);
        EXPECT_EQ(err.str(), "quib: comando desconhecido \"" + std::string(word) + "\"\n\n" + expectedUsage + '\n');
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_TRUE(notifications.posted.isEmpty());
}

TEST_F(NotifyCommandTest, NotifyWithoutTitleOrBodyPostsNothing)
{
    appRuns();
    for (const Words &arguments : {Words{"notify"}, Words{"notify", "--title"}, Words{"notify", "--silent", "--symbol", "timer"}}) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        EXPECT_EQ(run(arguments), 2);
        EXPECT_EQ(err.str(), expectedUsage + '\n');
    }
    EXPECT_TRUE(notifications.posted.isEmpty());
}

TEST_F(NotifyCommandTest, NotifyPostsTheRequestAndSucceedsWhenTheAppRuns)
{
    appRuns();
    EXPECT_EQ(run({"notify", "--title", "Build", "done", "--silent"}), 0);
    EXPECT_TRUE(err.str().empty());
    EXPECT_TRUE(out.str().empty());
    ASSERT_EQ(notifications.posted.size(), 1);
    const auto &posted = notifications.posted.first();
    EXPECT_EQ(posted.name, ExternalAlertListener::name);
    EXPECT_EQ(posted.name, QStringLiteral("com.brenvask.Quib.notify"));
    EXPECT_TRUE(posted.object.isEmpty());
    EXPECT_EQ(posted.userInfo, (DistributedNotifications::UserInfo{{"title", "Build"}, {"body", "done"}, {"sound", "0"}}));
}

TEST_F(NotifyCommandTest, NotifyStillPostsWhenTheAppIsNotRunning)
{
    for (const std::optional<qint64> holder : {std::optional<qint64>(), std::optional<qint64>(getpid())}) {
        SCOPED_TRACE(holder ? "this process holds the name" : "nobody holds the name");
        notifications.runningApplicationPid = holder;
        notifications.posted.clear();
        EXPECT_EQ(run({"notify", "hello"}), 1);
        EXPECT_EQ(err.str(), notRunningMessage);
        EXPECT_EQ(notifications.posted.size(), 1);
    }
}

TEST_F(NotifyCommandTest, NotifyFillsTheCallingAppUnlessOneIsGiven)
{
    appRuns();
    workspace.addApplication(getppid(), 1, QStringLiteral("org.gnome.Terminal"));
    run({"notify", "hi"});
    run({"notify", "hi", "--app", "spotify"});
    ASSERT_EQ(notifications.posted.size(), 2);
    EXPECT_EQ(notifications.posted.at(0).userInfo->value(QStringLiteral("app")), QStringLiteral("org.gnome.Terminal"));
    EXPECT_EQ(notifications.posted.at(1).userInfo->value(QStringLiteral("app")), QStringLiteral("spotify"));
}

TEST_F(NotifyCommandTest, CallingAppSkipsHelpersAndQuibItself)
{
    const qint64 parent = getppid();
    workspace.processes.insert(parent, {900001, std::nullopt});
    workspace.addApplication(900001, 900002, QStringLiteral("org.example.Helper"), false);
    workspace.addApplication(900002, 900003, QStringLiteral("com.brenvask.Quib"));
    workspace.addApplication(900003, 900004, QString());
    workspace.addApplication(900004, 1, QStringLiteral("org.gnome.Terminal"));
    EXPECT_EQ(callingApp(), "org.gnome.Terminal");
}

TEST_F(NotifyCommandTest, CallingAppStopsWithoutAMatch)
{
    struct Row {
        const char *name;
        std::function<void()> arrange;
    };
    const qint64 parent = getppid();
    const std::vector<Row> rows{
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

TEST_F(NotifyCommandTest, CallingAppExaminesTwentyFourProcessesAtMost)
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
    EXPECT_EQ(callingApp(), "org.gnome.Terminal");
    chainWithApplicationAt(25);
    EXPECT_EQ(callingApp(), std::nullopt);
}
