#include "Alerts/TimerModel.h"

#include <cmath>

TimerModel::TimerModel(Scheduler &scheduler)
    : m_scheduler(scheduler)
    , m_timer(scheduler)
{
}

void TimerModel::start(double minutes)
{
    cancel();
    // The menu offers fixed lengths; anything that is no length ends at once
    // rather than yielding an invalid end date.
    if (!std::isfinite(minutes) || minutes < 0)
        minutes = 0;
    m_duration = minutes * 60;
    const MonotonicTime end = m_scheduler.deadlineAfter(m_duration.value());
    m_endDate = end;
    m_timer.startAt(end, [this] {
        m_endDate = std::nullopt;
        // onFinish may start the next countdown.
        const auto finished = onFinish;
        finished();
    });
}

void TimerModel::cancel()
{
    m_timer.cancel();
    m_endDate = std::nullopt;
}

double TimerModel::remaining() const
{
    const auto end = m_endDate.value();
    if (!end)
        return 0;
    return std::max<qint64>(0, m_scheduler.monotonicNow().msecsTo(*end)) / 1000.0;
}

QString TimerModel::format(double seconds)
{
    const auto whole = static_cast<long long>(std::ceil(std::max(0.0, seconds)));
    if (whole < 3600)
        return QString::asprintf("%lld:%02lld", whole / 60, whole % 60);
    return QString::asprintf("%lld:%02lld:%02lld", whole / 3600, (whole % 3600) / 60, whole % 60);
}
