#pragma once

#include <QDateTime>

#include <limits>

namespace Countdown {

// The time from `now` to `date` in whole minutes, rounded up (ceiling):
// 1 from a minute before the date until the date, 0 at it, negative after.
// Works on whole milliseconds, so no date, however far, overflows: the
// result saturates at the limits of qint64. An invalid date counts as now.
inline qint64 minutesUntil(const QDateTime &date, const QDateTime &now)
{
    if (!date.isValid() || !now.isValid())
        return 0;
    qint64 milliseconds = 0;
    if (__builtin_sub_overflow(date.toMSecsSinceEpoch(), now.toMSecsSinceEpoch(), &milliseconds))
        return date > now ? std::numeric_limits<qint64>::max() / 60000 : std::numeric_limits<qint64>::min() / 60000;
    const qint64 minutes = milliseconds / 60000;
    // Integer division truncates towards zero: step up a positive remainder.
    return milliseconds % 60000 > 0 ? minutes + 1 : minutes;
}

} // namespace Countdown
