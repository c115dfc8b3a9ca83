#include "FakeWallClock.h"
#include "LineProcess.h"

#include <gtest/gtest.h>

namespace {

// The real QtScheduler in a child process whose wall clock the test steps.
class QtSchedulerComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(clock.isUsable()) << "libfaketime is missing (Debian package libfaketime)";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        clock.applyTo(environment);
        probe.process().setProcessEnvironment(environment);
        ASSERT_TRUE(probe.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib-clock-probe"), {}));
        ASSERT_EQ(probe.nextLine(), QByteArray("ready"));
    }

    void send(const QByteArray &command)
    {
        probe.writeLine(command);
        ASSERT_EQ(probe.nextLine(), QByteArray("ok"));
    }

    FakeWallClock clock;
    LineProcess probe;
};

} // namespace

TEST_F(QtSchedulerComponentTest, AStepBackHoldsWallDeadlinesButNotDelays)
{
    send("wall wall 1");
    send("after delay 2");
    ASSERT_TRUE(clock.setOffset(-60));
    send("stepped");
    EXPECT_EQ(probe.nextLine(10000), QByteArray("ran delay")) << "the delay ran first, on time; the wall deadline is a minute away";
    ASSERT_TRUE(clock.setOffset(0));
    send("stepped");
    EXPECT_EQ(probe.nextLine(10000), QByteArray("ran wall"));
}

TEST_F(QtSchedulerComponentTest, AStepForwardRunsAWallDeadlineItPassedAtOnce)
{
    send("wall wall 60");
    send("after delay 30");
    ASSERT_TRUE(clock.setOffset(61));
    send("stepped");
    EXPECT_EQ(probe.nextLine(10000), QByteArray("ran wall"));
    EXPECT_TRUE(probe.staysQuiet(500)) << "the delay keeps its 30 s";
}
