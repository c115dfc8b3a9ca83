#include "Support/Scheduler.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {
qint64 millisecondsFor(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    // Cap at about 23 days, below the largest interval a Qt timer accepts.
    return static_cast<qint64>(std::ceil(std::min(seconds, 2.0e6) * 1000.0));
}
} // namespace

MonotonicTime Scheduler::deadlineAfter(double seconds) const
{
    return monotonicNow().addMSecs(millisecondsFor(seconds));
}

Scheduler::Token Scheduler::observeWallClockSteps(std::function<void()> observer)
{
    const Token token = nextToken();
    m_stepObservers.emplace_back(token, std::move(observer));
    return token;
}

void Scheduler::cancel(Token token)
{
    std::erase_if(m_stepObservers, [token](const auto &observer) { return observer.first == token; });
    cancelWork(token);
}

void Scheduler::notifyWallClockStep()
{
    // An observer may cancel itself or another one while being told.
    std::vector<Token> tokens;
    for (const auto &observer : m_stepObservers)
        tokens.push_back(observer.first);
    for (const Token token : tokens) {
        const auto it = std::find_if(m_stepObservers.begin(), m_stepObservers.end(), [token](const auto &observer) { return observer.first == token; });
        if (it != m_stepObservers.end()) {
            auto observer = it->second;
            observer();
        }
    }
}

Delay::Delay(Scheduler &scheduler)
    : m_scheduler(scheduler)
{
}

Delay::~Delay()
{
    cancel();
}

void Delay::start(double seconds, std::function<void()> work)
{
    startAt(m_scheduler.deadlineAfter(seconds), std::move(work));
}

void Delay::startAt(MonotonicTime deadline, std::function<void()> work)
{
    cancel();
    m_token = m_scheduler.scheduleAt(deadline, clearingToken(std::move(work)));
}

void Delay::startAt(const QDateTime &deadline, std::function<void()> work)
{
    cancel();
    m_token = m_scheduler.scheduleAt(deadline, clearingToken(std::move(work)));
}

std::function<void()> Delay::clearingToken(std::function<void()> work)
{
    return [this, work = std::move(work)] {
        m_token = 0;
        work();
    };
}

void Delay::cancel()
{
    if (m_token != 0)
        m_scheduler.cancel(m_token);
    m_token = 0;
}

RepeatingTimer::RepeatingTimer(Scheduler &scheduler)
    : m_scheduler(scheduler)
{
}

RepeatingTimer::~RepeatingTimer()
{
    stop();
}

void RepeatingTimer::start(double intervalSeconds, std::function<void()> tick)
{
    stop();
    m_interval = intervalSeconds;
    m_tick = std::move(tick);
    arm(m_scheduler.monotonicNow().addMSecs(std::max<qint64>(1, millisecondsFor(m_interval))));
}

void RepeatingTimer::stop()
{
    if (m_token != 0)
        m_scheduler.cancel(m_token);
    m_token = 0;
}

void RepeatingTimer::arm(MonotonicTime deadline)
{
    m_token = m_scheduler.scheduleAt(deadline, [this, deadline] {
        const MonotonicTime next = deadline.addMSecs(std::max<qint64>(1, millisecondsFor(m_interval)));
        // Re-arm before ticking: the tick may stop or restart the timer.
        arm(std::max(next, m_scheduler.monotonicNow()));
        auto tick = m_tick;
        tick();
    });
}

WallClockWatch::WallClockWatch(Scheduler &scheduler, std::function<void()> onStep)
    : m_scheduler(scheduler)
    , m_token(scheduler.observeWallClockSteps(std::move(onStep)))
{
}

WallClockWatch::~WallClockWatch()
{
    m_scheduler.cancel(m_token);
}

struct QtScheduler::Private {
    struct Pending {
        // Deleted later: the timer may be inside its own timeout signal.
        // Stopped now: a deferred deletion waits for the event loop's top
        // level, and until then the timer would fire into a scheduler that
        // is gone.
        ~Pending()
        {
            timer->stop();
            timer->deleteLater();
        }
        QTimer *timer = new QTimer;
        MonotonicTime due;
        std::optional<QDateTime> wallDeadline;
        std::function<void()> work;
    };

    QtScheduler *owner = nullptr;
    std::unordered_map<Token, std::unique_ptr<Pending>> pending;

    void arm(Pending &entry)
    {
        const qint64 remaining = std::max<qint64>(0, owner->monotonicNow().msecsTo(entry.due));
        entry.timer->start(static_cast<int>(std::min<qint64>(remaining, std::numeric_limits<int>::max())));
    }

    void fire(Token token)
    {
        auto it = pending.find(token);
        if (it == pending.end())
            return;
        Pending &entry = *it->second;
        // A wall deadline goes by the wall clock alone: when the clock has
        // stepped back since the timer was armed, it waits for the rest.
        const bool early = entry.wallDeadline ? owner->now() < *entry.wallDeadline : owner->monotonicNow() < entry.due;
        if (early) {
            if (entry.wallDeadline)
                entry.due = owner->monotonicAt(*entry.wallDeadline);
            arm(entry);
            return;
        }
        std::function<void()> work = std::move(entry.work);
        pending.erase(it);
        work();
    }

    Token add(MonotonicTime due, std::optional<QDateTime> wallDeadline, std::function<void()> work)
    {
        const Token token = owner->nextToken();
        auto entry = std::make_unique<Pending>();
        entry->due = due;
        entry->wallDeadline = std::move(wallDeadline);
        entry->work = std::move(work);
        entry->timer->setSingleShot(true);
        entry->timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(entry->timer, &QTimer::timeout, entry->timer, [this, token] { fire(token); });
        arm(*entry);
        pending.emplace(token, std::move(entry));
        return token;
    }
};

QtScheduler::QtScheduler()
    : d(std::make_unique<Private>())
{
    d->owner = this;
}

QtScheduler::~QtScheduler() = default;

QDateTime QtScheduler::now() const
{
    return QDateTime::currentDateTime();
}

MonotonicTime QtScheduler::monotonicNow() const
{
    // CLOCK_MONOTONIC, the clock of Qt's timers.
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return MonotonicTime::fromMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

Scheduler::Token QtScheduler::scheduleAt(MonotonicTime deadline, std::function<void()> work)
{
    return d->add(deadline, std::nullopt, std::move(work));
}

Scheduler::Token QtScheduler::scheduleAt(const QDateTime &deadline, std::function<void()> work)
{
    return d->add(monotonicAt(deadline), deadline, std::move(work));
}

void QtScheduler::wallClockStepped()
{
    for (auto &[token, entry] : d->pending) {
        if (entry->wallDeadline) {
            entry->due = monotonicAt(*entry->wallDeadline);
            d->arm(*entry);
        }
    }
    notifyWallClockStep();
}

void QtScheduler::cancelWork(Token token)
{
    d->pending.erase(token);
}

struct ManualScheduler::Entry {
    Token token;
    MonotonicTime due;
    std::optional<QDateTime> wallDeadline;
    std::function<void()> work;
};

ManualScheduler::ManualScheduler(const QDateTime &start)
    : m_now(start)
{
}

ManualScheduler::~ManualScheduler() = default;

Scheduler::Token ManualScheduler::add(MonotonicTime due, std::optional<QDateTime> wallDeadline, std::function<void()> work)
{
    const Token token = nextToken();
    m_entries.push_back(std::make_unique<Entry>(Entry{token, due, std::move(wallDeadline), std::move(work)}));
    return token;
}

Scheduler::Token ManualScheduler::scheduleAt(MonotonicTime deadline, std::function<void()> work)
{
    return add(deadline, std::nullopt, std::move(work));
}

Scheduler::Token ManualScheduler::scheduleAt(const QDateTime &deadline, std::function<void()> work)
{
    return add(monotonicAt(deadline), deadline, std::move(work));
}

void ManualScheduler::cancelWork(Token token)
{
    std::erase_if(m_entries, [token](const auto &entry) { return entry->token == token; });
}

void ManualScheduler::advance(double seconds)
{
    advanceMSecs(millisecondsFor(seconds));
}

void ManualScheduler::advanceTo(const QDateTime &target)
{
    advanceMSecs(std::max<qint64>(0, m_now.msecsTo(target)));
}

void ManualScheduler::advanceMSecs(qint64 msecs)
{
    const MonotonicTime target = m_monotonic.addMSecs(msecs);
    auto moveTo = [this](MonotonicTime time) {
        if (time <= m_monotonic)
            return;
        m_now = m_now.addMSecs(m_monotonic.msecsTo(time));
        m_monotonic = time;
    };
    for (;;) {
        auto due = std::min_element(m_entries.begin(), m_entries.end(), [](const auto &a, const auto &b) {
            return a->due != b->due ? a->due < b->due : a->token < b->token;
        });
        if (due == m_entries.end() || (*due)->due > target)
            break;
        std::unique_ptr<Entry> entry = std::move(*due);
        m_entries.erase(due);
        moveTo(entry->due);
        entry->work();
    }
    moveTo(target);
}

void ManualScheduler::setNow(const QDateTime &now)
{
    m_now = now;
    for (const auto &entry : m_entries) {
        if (entry->wallDeadline)
            entry->due = monotonicAt(*entry->wallDeadline);
    }
    notifyWallClockStep();
}

int ManualScheduler::pendingCount() const
{
    return static_cast<int>(m_entries.size());
}
