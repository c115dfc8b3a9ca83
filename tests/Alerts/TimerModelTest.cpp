#include "Alerts/TimerModel.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

class TimerModelTest : public ::testing::Test {
protected:
    TimerModelTest() { timers.onFinish = [this] { ++finished; }; }

    ManualScheduler scheduler;
    TimerModel timers{scheduler};
    int finished = 0;
};

} // namespace

TEST_F(TimerModelTest, RunsUntilItsEndAndCallsOnFinishOnce)
{
    const MonotonicTime start = scheduler.monotonicNow();
    int endDateChanges = 0;
    const QPropertyNotifier notifier = timers.bindableEndDate().addNotifier([&] { ++endDateChanges; });

    timers.start(10);
    EXPECT_TRUE(timers.isRunning());
    EXPECT_EQ(timers.endDate(), start.addMSecs(600 * 1000));
    EXPECT_EQ(timers.duration(), 600);
    EXPECT_EQ(timers.remaining(), 600);

    scheduler.advance(90.5);
    EXPECT_EQ(timers.remaining(), 509.5);
    scheduler.advance(509.499);
    EXPECT_EQ(finished, 0);
    scheduler.advance(0.001);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(timers.isRunning());
    EXPECT_FALSE(timers.endDate());
    EXPECT_EQ(timers.remaining(), 0);
    EXPECT_EQ(timers.duration(), 600) << "the last length is kept";
    EXPECT_EQ(endDateChanges, 2);

    scheduler.advance(3600);
    EXPECT_EQ(finished, 1);
}

TEST_F(TimerModelTest, StartingAgainReplacesTheRunningCountdownSilently)
{
    timers.start(10);
    scheduler.advance(60);
    timers.start(5);
    EXPECT_EQ(timers.duration(), 300);
    scheduler.advance(300);
    EXPECT_EQ(finished, 1);
    scheduler.advance(600);
    EXPECT_EQ(finished, 1);
}

TEST_F(TimerModelTest, CancelStopsWithoutOnFinish)
{
    timers.start(1);
    scheduler.advance(30);
    timers.cancel();
    EXPECT_FALSE(timers.isRunning());
    EXPECT_EQ(timers.remaining(), 0);
    EXPECT_EQ(timers.duration(), 60);
    scheduler.advance(3600);
    EXPECT_EQ(finished, 0);
    timers.cancel();
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST_F(TimerModelTest, OnFinishSeesTheCountdownEndedAndMayStartAnother)
{
    std::optional<bool> runningDuringFinish;
    timers.onFinish = [&] {
        runningDuringFinish = timers.isRunning();
        if (++finished == 1)
            timers.start(0.5);
    };
    timers.start(0.5);
    scheduler.advance(30);
    EXPECT_EQ(runningDuringFinish, false);
    EXPECT_TRUE(timers.isRunning());
    scheduler.advance(30);
    EXPECT_EQ(finished, 2);
}

TEST(TimerModel, FinishingWithoutAHandlerIsHarmless)
{
    ManualScheduler scheduler;
    TimerModel timers(scheduler);
    timers.start(1);
    scheduler.advance(60);
    EXPECT_FALSE(timers.isRunning());
}

TEST_F(TimerModelTest, TheCountdownIsADurationThatWallClockStepsLeaveAlone)
{
    for (const qint64 step : {-3600, 3600}) {
        SCOPED_TRACE(step);
        timers.start(1);
        scheduler.advance(10);
        scheduler.setNow(scheduler.now().addSecs(step));
        EXPECT_EQ(timers.remaining(), 50);
        scheduler.advance(49.999);
        EXPECT_TRUE(timers.isRunning());
        scheduler.advance(0.001);
        EXPECT_FALSE(timers.isRunning());
    }
    EXPECT_EQ(finished, 2);
}

TEST_F(TimerModelTest, LengthsThatAreNoNumberEndAtOnce)
{
    for (const double minutes : {std::nan(""), -3.0, -std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(minutes);
        timers.start(minutes);
        EXPECT_EQ(timers.endDate(), scheduler.monotonicNow());
        scheduler.advance(0);
        EXPECT_FALSE(timers.isRunning());
    }
    EXPECT_EQ(finished, 3);
}

TEST(TimerModel, FormatRoundsUpToWholeSeconds)
{
    const QList<std::pair<double, QString>> rows{
        {0, QStringLiteral("0:00")},         {0.2, QStringLiteral("0:01")},      {59.2, QStringLiteral("1:00")},
        {61, QStringLiteral("1:01")},         {599, QStringLiteral("9:59")},      {3599.5, QStringLiteral("1:00:00")},
        {3725, QStringLiteral("1:02:05")},    {36000, QStringLiteral("10:00:00")}, {-4, QStringLiteral("0:00")},
    };
    for (const auto &[seconds, text] : rows) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(TimerModel::format(seconds), text);
    }
}

TEST(TimerModel, AppModelOwnsOneIdleTimerModel)
{
    FakePlatform platform;
    AppModel model(platform.services());
    EXPECT_FALSE(model.timers.isRunning());
    EXPECT_EQ(model.timers.duration(), 0);
    model.timers.start(3);
    platform.scheduler.advance(180);
    EXPECT_FALSE(model.timers.isRunning());
}
