#pragma once

#include "Support/MonotonicTime.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The clocks and the main-thread timers of the app. Models read the time and
// schedule work only through a Scheduler, so tests drive time by hand
// (ManualScheduler) and time-dependent rules run instantly and exactly.
//
// There are two clocks. The wall clock (`now()`) is the date and time the
// user reads; it can step (set by hand, by time synchronisation, or moved on
// by a sleep). The monotonic clock (`monotonicNow()`) only runs forward and
// measures every duration: delays, timeouts, animations, a countdown.
class Scheduler {
public:
    using Token = quint64;

    virtual ~Scheduler() = default;

    // The wall clock: for what the user reads and for calendar boundaries.
    virtual QDateTime now() const = 0;
    // The monotonic clock: for durations.
    virtual MonotonicTime monotonicNow() const = 0;
    double secondsSince(MonotonicTime start) const { return start.secondsTo(monotonicNow()); }
    // The monotonic moment `seconds` from now; at once for a delay that is
    // negative or not a number, and at most about 23 days ahead.
    MonotonicTime deadlineAfter(double seconds) const;
    // The monotonic reading at which the wall clock reads (or read) `moment`,
    // as the two clocks stand now: for a wall time that arrives from outside.
    MonotonicTime monotonicAt(const QDateTime &moment) const { return monotonicNow().addMSecs(now().msecsTo(moment)); }

    // Runs `work` on the main thread once the monotonic clock reads
    // `deadline` or later. Returns a token for cancel(); tokens are never 0.
    virtual Token scheduleAt(MonotonicTime deadline, std::function<void()> work) = 0;
    // Runs `work` on the main thread once the wall clock reads `deadline` or
    // later: never earlier, and re-armed after each step of the wall clock.
    virtual Token scheduleAt(const QDateTime &deadline, std::function<void()> work) = 0;
    Token scheduleAfter(double seconds, std::function<void()> work) { return scheduleAt(deadlineAfter(seconds), std::move(work)); }

    // Calls `observer` on the main thread after each step of the wall clock
    // against the monotonic clock (the time set, or a wake from sleep), once
    // the wall deadlines are re-armed. Returns a token for cancel().
    Token observeWallClockSteps(std::function<void()> observer);

    // Forgets scheduled work that has not run yet, or an observer. Unknown
    // tokens are ignored.
    void cancel(Token token);

protected:
    Token nextToken() { return m_nextToken++; }
    virtual void cancelWork(Token token) = 0;
    // Tells the observers that the wall clock stepped.
    void notifyWallClockStep();

private:
    Token m_nextToken = 1;
    std::vector<std::pair<Token, std::function<void()>>> m_stepObservers;
};

// One cancellable delayed call per purpose: starting it again cancels the
// call still pending. Destroying it cancels too, so work never outlives its
// owner.
class Delay {
public:
    explicit Delay(Scheduler &scheduler);
    ~Delay();
    Delay(const Delay &) = delete;
    Delay &operator=(const Delay &) = delete;

    // After `seconds` on the monotonic clock.
    void start(double seconds, std::function<void()> work);
    void startAt(MonotonicTime deadline, std::function<void()> work);
    // At a moment of the wall clock, never earlier.
    void startAt(const QDateTime &deadline, std::function<void()> work);
    void cancel();
    bool isPending() const { return m_token != 0; }

private:
    std::function<void()> clearingToken(std::function<void()> work);

    Scheduler &m_scheduler;
    Scheduler::Token m_token = 0;
};

// A periodic timer on the main thread (monotonic clock), one per purpose.
// Each tick is scheduled from the previous deadline, so ticks do not drift.
class RepeatingTimer {
public:
    explicit RepeatingTimer(Scheduler &scheduler);
    ~RepeatingTimer();
    RepeatingTimer(const RepeatingTimer &) = delete;
    RepeatingTimer &operator=(const RepeatingTimer &) = delete;

    void start(double intervalSeconds, std::function<void()> tick);
    void stop();
    bool isActive() const { return m_token != 0; }
    double interval() const { return m_interval; }

private:
    void arm(MonotonicTime deadline);

    Scheduler &m_scheduler;
    Scheduler::Token m_token = 0;
    double m_interval = 0;
    std::function<void()> m_tick;
};

// Calls back after each step of the wall clock, for code that derived
// something from the wall time (today's date, the next full hour). Destroying
// it ends the calls.
class WallClockWatch {
public:
    WallClockWatch(Scheduler &scheduler, std::function<void()> onStep);
    ~WallClockWatch();
    WallClockWatch(const WallClockWatch &) = delete;
    WallClockWatch &operator=(const WallClockWatch &) = delete;

private:
    Scheduler &m_scheduler;
    Scheduler::Token m_token;
};

// The production scheduler: the system's clocks and Qt timers (which run on
// the monotonic clock) on the main thread.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    QDateTime now() const override;
    MonotonicTime monotonicNow() const override;
    Token scheduleAt(MonotonicTime deadline, std::function<void()> work) override;
    Token scheduleAt(const QDateTime &deadline, std::function<void()> work) override;

    // Re-arms the wall deadlines against the wall clock and tells the
    // observers. The platform calls it when the system time is set and when
    // the computer wakes (the monotonic clock stands still during sleep).
    void wallClockStepped();

private:
    void cancelWork(Token token) override;

    struct Private;
    std::unique_ptr<Private> d;
};

// A scheduler whose clocks move only when a test moves them. Work due at the
// same instant runs in the order it was scheduled.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(const QDateTime &start = QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    ~ManualScheduler() override;

    QDateTime now() const override { return m_now; }
    MonotonicTime monotonicNow() const override { return m_monotonic; }
    Token scheduleAt(MonotonicTime deadline, std::function<void()> work) override;
    Token scheduleAt(const QDateTime &deadline, std::function<void()> work) override;

    // Moves both clocks forward, running every piece of work that falls due
    // on the way at its own time. advance(0) runs work that is due now.
    void advance(double seconds);
    // Moves both clocks forward until the wall clock reads `target`.
    void advanceTo(const QDateTime &target);
    // Steps the wall clock alone (the time set by hand or by time
    // synchronisation): wall deadlines are re-armed against it and the step
    // observers called; work that falls due runs at the next advance.
    void setNow(const QDateTime &now);
    int pendingCount() const;

private:
    struct Entry;
    void cancelWork(Token token) override;
    void advanceMSecs(qint64 msecs);
    Token add(MonotonicTime due, std::optional<QDateTime> wallDeadline, std::function<void()> work);

    QDateTime m_now;
    MonotonicTime m_monotonic;
    std::vector<std::unique_ptr<Entry>> m_entries;
};
