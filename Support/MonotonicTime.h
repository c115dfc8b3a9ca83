#pragma once

#include <QtGlobal>

#include <compare>

// A reading of the monotonic clock, in milliseconds from an arbitrary origin.
// That clock runs steadily and never steps, whatever happens to the wall
// clock (the time set by hand or by time synchronisation), so durations,
// delays and animations are measured on it. A reading means nothing to a
// user: it is never shown nor stored.
class MonotonicTime {
public:
    constexpr MonotonicTime() = default;
    static constexpr MonotonicTime fromMSecs(qint64 msecs)
    {
        MonotonicTime time;
        time.m_msecs = msecs;
        return time;
    }

    constexpr qint64 toMSecs() const { return m_msecs; }
    constexpr MonotonicTime addMSecs(qint64 msecs) const { return fromMSecs(m_msecs + msecs); }
    constexpr qint64 msecsTo(MonotonicTime later) const { return later.m_msecs - m_msecs; }
    constexpr double secondsTo(MonotonicTime later) const { return static_cast<double>(msecsTo(later)) / 1000.0; }

    friend constexpr auto operator<=>(MonotonicTime, MonotonicTime) = default;

private:
    qint64 m_msecs = 0;
};
