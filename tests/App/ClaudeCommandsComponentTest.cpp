#include "App/CommandLineTool.h"
#include "App/ClaudeUsageStore.h"

#include "PrivateBus.h"
#include "QtPrinters.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(RunShell, RelaysStandardOutputOnlyWhateverTheInputSize)
{
    EXPECT_EQ(CommandLineTool::runShell(QStringLiteral("printf 'a\\tb'; echo erro >&2; exit 3"), "ignored"), "a\tb");
    // Far more than a pipe holds, both ways: no deadlock.
    const QByteArray big(8 * 1024 * 1024, 'x');
    EXPECT_EQ(CommandLineTool::runShell(QStringLiteral("cat"), big), big);
    // A child that reads nothing and ends early must not take this process
    // down with SIGPIPE.
    EXPECT_EQ(CommandLineTool::runShell(QStringLiteral("echo cedo"), big), "cedo\n");
    EXPECT_EQ(CommandLineTool::runShell(QStringLiteral("head -c 3"), big), "xxx");
    EXPECT_EQ(CommandLineTool::runShell(QStringLiteral("exit 0"), QByteArray()), QByteArray());
}

// The real `quib` executable, as the agent runs it, on a private bus and
// with its own data and config folders.
class AgentCommandProcess : public ::testing::Test {
protected:
    QProcess *start(const QStringList &arguments, const QByteArray &input)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib"), arguments);
        process.write(input);
        process.closeWriteChannel();
        return &process;
    }

    PrivateBus bus;
    QTemporaryDir home;
    QProcess process;
};

TEST_F(AgentCommandProcess, StatusLineWritesTheSnapshotAndRelaysThePreviousCommand)
{
    ASSERT_TRUE(bus.isRunning());
    QDir().mkpath(home.path() + QStringLiteral("/config/quib"));
    QFile defaults(home.path() + QStringLiteral("/config/quib/defaults.json"));
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write(R"({"claudePreviousStatusLine":"printf 'antes: '; cat"})");
    defaults.close();

    const QByteArray input = R"({"model":{"display_name":"Opus"},"rate_limits":{"five_hour":{"used_percentage":12}}})";
    start({QStringLiteral("claude-statusline")}, input);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), "antes: " + input);
    const auto snapshot = ClaudeUsageStore::read(home.path() + QStringLiteral("/data/quib/claude-usage.json"));
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->fiveHour->used, 12);
}

TEST_F(AgentCommandProcess, HookEndsWithZeroAndSaysNothingOnBadInput)
{
    ASSERT_TRUE(bus.isRunning());
    start({QStringLiteral("claude-hook")}, "{\"hook_event_name\":\"Stop\",\"transcript_path\":");
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(process.readAllStandardError().isEmpty());
}
