#include "Support/Observation.h"
#include "Support/Scheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProperty>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

TEST(ManualScheduler, RunsWorkAtItsDeadlineInDeadlineThenSchedulingOrder)
{
    ManualScheduler scheduler;
    const QDateTime start = scheduler.now();
    QStringList ran;
    QList<QDateTime> clockWhenRun;
    auto record = [&](const QString &name) {
        return [&, name] {
            ran.append(name);
            clockWhenRun.append(scheduler.now());
        };
    };
    scheduler.scheduleAfter(2, record(QStringLiteral("late")));
    scheduler.scheduleAfter(1, record(QStringLiteral("first")));
    scheduler.scheduleAfter(1, record(QStringLiteral("second")));

    scheduler.advance(0.999);
    EXPECT_TRUE(ran.isEmpty()) << "nothing may run before its deadline";

    scheduler.advance(5);
    EXPECT_EQ(ran, QStringList({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("late")}));
    EXPECT_EQ(clockWhenRun.at(0), start.addSecs(1));
    EXPECT_EQ(clockWhenRun.at(2), start.addSecs(2));
    EXPECT_EQ(scheduler.now(), start.addMSecs(5999));
}

TEST(ManualScheduler, WorkScheduledByWorkRunsWithinTheSameAdvance)
{
    ManualScheduler scheduler;
    int runs = 0;
    scheduler.scheduleAfter(1, [&] {
        ++runs;
        scheduler.scheduleAfter(1, [&] { ++runs; });
    });
    scheduler.advance(2);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(ManualScheduler, CancelForgetsWorkAndIgnoresUnknownTokens)
{
    ManualScheduler scheduler;
    bool ran = false;
    const Scheduler::Token token = scheduler.scheduleAfter(1, [&] { ran = true; });
    EXPECT_NE(token, 0u);
    scheduler.cancel(token + 100);
    scheduler.cancel(token);
    scheduler.cancel(token);
    scheduler.advance(10);
    EXPECT_FALSE(ran);
}

TEST(Delay, StartingAgainCancelsThePendingCall)
{
    ManualScheduler scheduler;
    QStringList ran;
    Delay delay(scheduler);
    delay.start(1, [&] { ran.append(QStringLiteral("first")); });
    scheduler.advance(0.5);
    delay.start(1, [&] { ran.append(QStringLiteral("second")); });
    EXPECT_TRUE(delay.isPending());
    scheduler.advance(0.6);
    EXPECT_TRUE(ran.isEmpty());
    scheduler.advance(0.4);
    EXPECT_EQ(ran, QStringList{QStringLiteral("second")});
    EXPECT_FALSE(delay.isPending());
}

TEST(Delay, CancelAndDestructionDropTheCall)
{
    ManualScheduler scheduler;
    int runs = 0;
    {
        Delay delay(scheduler);
        delay.start(1, [&] { ++runs; });
        delay.cancel();
        EXPECT_FALSE(delay.isPending());
        delay.start(1, [&] { ++runs; });
    }
    EXPECT_EQ(scheduler.pendingCount(), 0);
    scheduler.advance(5);
    EXPECT_EQ(runs, 0);
}

TEST(Delay, WorkMayRestartItsOwnDelay)
{
    ManualScheduler scheduler;
    Delay delay(scheduler);
    int runs = 0;
    std::function<void()> again = [&] {
        if (++runs < 3)
            delay.start(1, again);
    };
    delay.start(1, again);
    scheduler.advance(10);
    EXPECT_EQ(runs, 3);
    EXPECT_FALSE(delay.isPending());
}

TEST(Delay, NonFiniteAndNegativeDelaysRunAtOnce)
{
    ManualScheduler scheduler;
    int runs = 0;
    Delay first(scheduler), second(scheduler), third(scheduler);
    first.start(-3, [&] { ++runs; });
    second.start(std::nan(""), [&] { ++runs; });
    third.start(-std::numeric_limits<double>::infinity(), [&] { ++runs; });
    scheduler.advance(0);
    EXPECT_EQ(runs, 3);
}

TEST(RepeatingTimer, TicksFromThePreviousDeadlineWithoutDrift)
{
    ManualScheduler scheduler;
    const QDateTime start = scheduler.now();
    RepeatingTimer timer(scheduler);
    QList<QDateTime> ticks;
    timer.start(2, [&] { ticks.append(scheduler.now()); });
    EXPECT_TRUE(timer.isActive());
    scheduler.advance(7);
    ASSERT_EQ(ticks.size(), 3);
    EXPECT_EQ(ticks.at(0), start.addSecs(2));
    EXPECT_EQ(ticks.at(1), start.addSecs(4));
    EXPECT_EQ(ticks.at(2), start.addSecs(6));
}

TEST(RepeatingTimer, StopInsideATickEndsTheTimer)
{
    ManualScheduler scheduler;
    RepeatingTimer timer(scheduler);
    int ticks = 0;
    timer.start(1, [&] {
        if (++ticks == 2)
            timer.stop();
    });
    scheduler.advance(10);
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(RepeatingTimer, RestartInsideATickTakesTheNewInterval)
{
    ManualScheduler scheduler;
    const QDateTime start = scheduler.now();
    RepeatingTimer timer(scheduler);
    QList<QDateTime> ticks;
    std::function<void()> tick = [&] {
        ticks.append(scheduler.now());
        if (ticks.size() == 1)
            timer.start(3, tick);
    };
    timer.start(1, tick);
    scheduler.advance(7);
    ASSERT_EQ(ticks.size(), 3);
    EXPECT_EQ(ticks.at(1), start.addSecs(4));
    EXPECT_EQ(ticks.at(2), start.addSecs(7));
    EXPECT_EQ(timer.interval(), 3);
    EXPECT_EQ(scheduler.pendingCount(), 1);
}

namespace {

// Steps of the wall clock that the scheduler must ride out.
const QList<std::pair<const char *, qint64>> wallSteps{
    {"back a minute", -60}, {"forward a minute", 60}, {"back a day", -86400}, {"forward a day", 86400}};

} // namespace

TEST(ManualScheduler, RelativeDelaysAndRepeatingTimersRunOnTheMonotonicClockAcrossWallSteps)
{
    for (const auto &[name, seconds] : wallSteps) {
        SCOPED_TRACE(name);
        ManualScheduler scheduler;
        const MonotonicTime start = scheduler.monotonicNow();
        Delay delay(scheduler);
        QList<MonotonicTime> ran;
        delay.start(2, [&] { ran.append(scheduler.monotonicNow()); });
        scheduler.scheduleAfter(3, [&] { ran.append(scheduler.monotonicNow()); });
        RepeatingTimer timer(scheduler);
        QList<MonotonicTime> ticks;
        timer.start(1, [&] { ticks.append(scheduler.monotonicNow()); });

        scheduler.advance(0.5);
        const QDateTime stepped = scheduler.now().addSecs(seconds);
        scheduler.setNow(stepped);
        EXPECT_EQ(scheduler.now(), stepped);
        EXPECT_EQ(scheduler.monotonicNow(), start.addMSecs(500)) << "a wall step leaves the monotonic clock alone";
        scheduler.advance(1.499);
        EXPECT_TRUE(ran.isEmpty());
        scheduler.advance(2.001);
        EXPECT_EQ(ran, (QList<MonotonicTime>{start.addMSecs(2000), start.addMSecs(3000)}));
        EXPECT_EQ(ticks, (QList<MonotonicTime>{start.addMSecs(1000), start.addMSecs(2000), start.addMSecs(3000), start.addMSecs(4000)}));
        EXPECT_EQ(scheduler.now(), stepped.addMSecs(3500)) << "advancing moves both clocks";
    }
}

TEST(ManualScheduler, WallDeadlinesFollowEachStepAndNeverRunEarly)
{
    ManualScheduler scheduler(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    const QDateTime deadline(QDate(2026, 3, 2), QTime(10, 0));
    QList<QDateTime> ran;
    Delay delay(scheduler);
    delay.startAt(deadline, [&] { ran.append(scheduler.now()); });

    scheduler.advance(1800);
    scheduler.setNow(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    scheduler.advance(7199.999);
    EXPECT_TRUE(ran.isEmpty()) << "stepped back, the deadline is two hours away again";
    scheduler.advance(0.001);
    EXPECT_EQ(ran, QList<QDateTime>{deadline});

    // Stepped past it, it runs at once; stepped back before it runs, it waits.
    delay.startAt(deadline.addSecs(3600), [&] { ran.append(scheduler.now()); });
    scheduler.setNow(deadline.addSecs(7200));
    scheduler.advance(0);
    ASSERT_EQ(ran.size(), 2);
    EXPECT_EQ(ran.last(), deadline.addSecs(7200));
    delay.startAt(deadline.addSecs(10800), [&] { ran.append(scheduler.now()); });
    scheduler.setNow(deadline.addSecs(10801));
    scheduler.setNow(deadline);
    scheduler.advance(0);
    EXPECT_EQ(ran.size(), 2);
    EXPECT_TRUE(delay.isPending());
}

TEST(ManualScheduler, StepObserversHearEachStepUntilCancelled)
{
    ManualScheduler scheduler;
    QList<QDateTime> heard;
    std::optional<WallClockWatch> watch;
    watch.emplace(scheduler, [&] { heard.append(scheduler.now()); });
    Scheduler::Token selfCancelling = 0;
    int once = 0;
    selfCancelling = scheduler.observeWallClockSteps([&] {
        ++once;
        scheduler.cancel(selfCancelling);
    });

    scheduler.advance(60);
    EXPECT_TRUE(heard.isEmpty()) << "the clock running is no step";
    const QDateTime stepped = scheduler.now().addSecs(-30);
    scheduler.setNow(stepped);
    scheduler.setNow(stepped.addDays(1));
    EXPECT_EQ(heard, (QList<QDateTime>{stepped, stepped.addDays(1)}));
    EXPECT_EQ(once, 1);
    watch.reset();
    scheduler.setNow(stepped);
    EXPECT_EQ(heard.size(), 2);
}

TEST(Scheduler, WallMomentsMapToTheMonotonicClockAsTheClocksStandNow)
{
    ManualScheduler scheduler;
    scheduler.advance(10);
    const QDateTime report = scheduler.now().addMSecs(-1500);
    EXPECT_EQ(scheduler.monotonicAt(report), scheduler.monotonicNow().addMSecs(-1500));
    EXPECT_EQ(scheduler.deadlineAfter(2.5), scheduler.monotonicNow().addMSecs(2500));
    EXPECT_EQ(scheduler.deadlineAfter(std::nan("")), scheduler.monotonicNow());
}

TEST(ObservationLoop, CoalescesChangesIntoOneActionOnTheScheduler)
{
    ManualScheduler scheduler;
    QProperty<int> first(0);
    QProperty<int> second(0);
    int actions = 0;
    ObservationLoop loop(
        scheduler,
        [&] {
            first.value();
            second.value();
        },
        [&] { ++actions; });

    first = 1;
    second = 2;
    first = 3;
    EXPECT_EQ(actions, 0) << "the action runs later, on the main loop";
    scheduler.advance(0);
    EXPECT_EQ(actions, 1);

    second = 2;
    scheduler.advance(0);
    EXPECT_EQ(actions, 1) << "setting an equal value is no change";

    second = 5;
    scheduler.advance(0);
    EXPECT_EQ(actions, 2);
}

TEST(ObservationLoop, TracksWhatTheLastRunRead)
{
    ManualScheduler scheduler;
    QProperty<bool> useFirst(true);
    QProperty<int> first(0);
    QProperty<int> second(0);
    int actions = 0;
    ObservationLoop loop(
        scheduler,
        [&] {
            if (useFirst.value())
                first.value();
            else
                second.value();
        },
        [&] { ++actions; });

    second = 1;
    scheduler.advance(0);
    EXPECT_EQ(actions, 0) << "second was not read";

    useFirst = false;
    scheduler.advance(0);
    EXPECT_EQ(actions, 1);

    first = 7;
    scheduler.advance(0);
    EXPECT_EQ(actions, 1) << "first is no longer read";
    second = 2;
    scheduler.advance(0);
    EXPECT_EQ(actions, 2);
}

TEST(ObservationLoop, DestroyedLoopActsNoMore)
{
    ManualScheduler scheduler;
    QProperty<int> value(0);
    int actions = 0;
    {
        ObservationLoop loop(scheduler, [&] { value.value(); }, [&] { ++actions; });
        value = 1;
    }
    scheduler.advance(0);
    value = 2;
    scheduler.advance(0);
    EXPECT_EQ(actions, 0);
}

TEST(ObservationLoop, DelayedActionTakesEveryChangeUntilItRuns)
{
    ManualScheduler scheduler;
    QProperty<int> value(0);
    QList<int> seen;
    ObservationLoop loop(scheduler, [&] { value.value(); }, [&] { seen.append(value.value()); }, 0.25);

    value = 1;
    scheduler.advance(0.2);
    value = 2;
    scheduler.advance(0.04);
    EXPECT_TRUE(seen.isEmpty()) << "the delay counts from the first change";
    scheduler.advance(0.01);
    EXPECT_EQ(seen, QList<int>({2}));

    value = 3;
    scheduler.advance(0.25);
    EXPECT_EQ(seen, QList<int>({2, 3}));
}

// Work still pending when a scheduler is destroyed never runs, though the
// event loop turns before its timers are deleted (a deferred deletion waits
// for the loop to return to its top level) and another scheduler works on.
TEST(QtScheduler, WorkPendingWhenItIsDestroyedNeverRuns)
{
    int ran = 0;
    auto scheduler = std::make_unique<QtScheduler>();
    for (int i = 0; i < 50; ++i)
        scheduler->scheduleAt(scheduler->monotonicNow(), [&ran] { ++ran; });
    scheduler.reset();
    QtScheduler next;
    int nextRan = 0;
    for (int i = 0; i < 50; ++i)
        next.scheduleAt(next.monotonicNow().addMSecs(20), [&nextRan] { ++nextRan; });
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(nextRan, 50);
}
