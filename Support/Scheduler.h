#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

// The clock and the main-thread timers of the app. Models read the time and
// schedule work only through a Scheduler, so tests drive time by hand
// (ManualScheduler) and time-dependent rules run instantly and exactly.
class Scheduler {
public:
    using Token = quint64;

    virtual ~Scheduler() = default;

    virtual QDateTime now() const = 0;

    // Runs `work` on the main thread once the clock reads `deadline` or later;
    // never earlier. Returns a token for cancel(); tokens are never 0.
    virtual Token scheduleAt(const QDateTime &deadline, std::function<void()> work) = 0;

    // Forgets scheduled work that has not run yet. Unknown tokens are ignored.
    virtual void cancel(Token token) = 0;

    Token scheduleAfter(double seconds, std::function<void()> work);
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

    void start(double seconds, std::function<void()> work);
    void startAt(const QDateTime &deadline, std::function<void()> work);
    void cancel();
    bool isPending() const { return m_token != 0; }

private:
    Scheduler &m_scheduler;
    Scheduler::Token m_token = 0;
};

// A periodic timer on the main thread, one per purpose. Each tick is
// scheduled from the previous deadline, so ticks do not drift.
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
    void arm(const QDateTime &deadline);

    Scheduler &m_scheduler;
    Scheduler::Token m_token = 0;
    double m_interval = 0;
    std::function<void()> m_tick;
};

// The production scheduler: the system clock and Qt timers on the main thread.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    QDateTime now() const override;
    Token scheduleAt(const QDateTime &deadline, std::function<void()> work) override;
    void cancel(Token token) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// A scheduler whose clock moves only when a test advances it. Work due at the
// same instant runs in the order it was scheduled.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(const QDateTime &start = QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    ~ManualScheduler() override;

    QDateTime now() const override { return m_now; }
    Token scheduleAt(const QDateTime &deadline, std::function<void()> work) override;
    void cancel(Token token) override;

    // Moves the clock forward, running every piece of work that falls due on
    // the way at its own deadline. advance(0) runs work that is due now.
    void advance(double seconds);
    void advanceTo(const QDateTime &target);
    // Sets the clock without running anything (a jump of the wall clock).
    void setNow(const QDateTime &now) { m_now = now; }
    int pendingCount() const;

private:
    struct Entry;
    QDateTime m_now;
    Token m_nextToken = 1;
    std::vector<std::unique_ptr<Entry>> m_entries;
};
