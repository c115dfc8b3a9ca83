#include "Support/Scheduler.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {
qint64 millisecondsFor(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    // Cap at about 24 days, the largest interval a Qt timer accepts.
    return static_cast<qint64>(std::ceil(std::min(seconds, 2.0e6) * 1000.0));
}
} // namespace

Scheduler::Token Scheduler::scheduleAfter(double seconds, std::function<void()> work)
{
    return scheduleAt(now().addMSecs(millisecondsFor(seconds)), std::move(work));
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
    startAt(m_scheduler.now().addMSecs(millisecondsFor(seconds)), std::move(work));
}

void Delay::startAt(const QDateTime &deadline, std::function<void()> work)
{
    cancel();
    m_token = m_scheduler.scheduleAt(deadline, [this, work = std::move(work)] {
        m_token = 0;
        work();
    });
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
    arm(m_scheduler.now().addMSecs(std::max<qint64>(1, millisecondsFor(m_interval))));
}

void RepeatingTimer::stop()
{
    if (m_token != 0)
        m_scheduler.cancel(m_token);
    m_token = 0;
}

void RepeatingTimer::arm(const QDateTime &deadline)
{
    m_token = m_scheduler.scheduleAt(deadline, [this, deadline] {
        const QDateTime next = deadline.addMSecs(std::max<qint64>(1, millisecondsFor(m_interval)));
        // Re-arm before ticking: the tick may stop or restart the timer.
        arm(std::max(next, m_scheduler.now()));
        auto tick = m_tick;
        tick();
    });
}

struct QtScheduler::Private {
    struct Pending {
        // Deleted later: the timer may be inside its own timeout signal.
        ~Pending() { timer->deleteLater(); }
        QTimer *timer = new QTimer;
        QDateTime deadline;
        std::function<void()> work;
    };

    QtScheduler *owner = nullptr;
    Token nextToken = 1;
    std::unordered_map<Token, std::unique_ptr<Pending>> pending;

    void arm(Pending &entry)
    {
        const qint64 remaining = std::max<qint64>(0, owner->now().msecsTo(entry.deadline));
        entry.timer->start(static_cast<int>(std::min<qint64>(remaining, std::numeric_limits<int>::max())));
    }

    void fire(Token token)
    {
        auto it = pending.find(token);
        if (it == pending.end())
            return;
        // Timers can fire a little early after a suspend or a clock change;
        // deadlines must not run early, so wait for the rest.
        if (owner->now() < it->second->deadline) {
            arm(*it->second);
            return;
        }
        std::function<void()> work = std::move(it->second->work);
        pending.erase(it);
        work();
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

Scheduler::Token QtScheduler::scheduleAt(const QDateTime &deadline, std::function<void()> work)
{
    const Token token = d->nextToken++;
    auto entry = std::make_unique<Private::Pending>();
    entry->deadline = deadline;
    entry->work = std::move(work);
    entry->timer->setSingleShot(true);
    entry->timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(entry->timer, &QTimer::timeout, entry->timer, [this, token] { d->fire(token); });
    d->arm(*entry);
    d->pending.emplace(token, std::move(entry));
    return token;
}

void QtScheduler::cancel(Token token)
{
    d->pending.erase(token);
}

struct ManualScheduler::Entry {
    Token token;
    QDateTime deadline;
    std::function<void()> work;
};

ManualScheduler::ManualScheduler(const QDateTime &start)
    : m_now(start)
{
}

ManualScheduler::~ManualScheduler() = default;

Scheduler::Token ManualScheduler::scheduleAt(const QDateTime &deadline, std::function<void()> work)
{
    const Token token = m_nextToken++;
    m_entries.push_back(std::make_unique<Entry>(Entry{token, deadline, std::move(work)}));
    return token;
}

void ManualScheduler::cancel(Token token)
{
    std::erase_if(m_entries, [token](const auto &entry) { return entry->token == token; });
}

void ManualScheduler::advance(double seconds)
{
    advanceTo(m_now.addMSecs(millisecondsFor(seconds)));
}

void ManualScheduler::advanceTo(const QDateTime &target)
{
    for (;;) {
        auto due = std::min_element(m_entries.begin(), m_entries.end(), [](const auto &a, const auto &b) {
            return a->deadline != b->deadline ? a->deadline < b->deadline : a->token < b->token;
        });
        if (due == m_entries.end() || (*due)->deadline > target)
            break;
        std::unique_ptr<Entry> entry = std::move(*due);
        m_entries.erase(due);
        m_now = std::max(m_now, entry->deadline);
        entry->work();
    }
    m_now = std::max(m_now, target);
}

int ManualScheduler::pendingCount() const
{
    return static_cast<int>(m_entries.size());
}
