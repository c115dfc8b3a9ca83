#include "Support/EpochTime.h"

#include <cmath>

namespace {
// About 317,000 years either side of 1970: well inside what QDateTime and a
// 64-bit count of milliseconds hold.
constexpr double limitMilliseconds = 1.0e16;
} // namespace

namespace EpochTime {

std::optional<QDateTime> fromMilliseconds(double milliseconds)
{
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > limitMilliseconds)
        return std::nullopt;
    const QDateTime moment = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(milliseconds)), Qt::UTC);
    if (!moment.isValid())
        return std::nullopt;
    return moment;
}

std::optional<QDateTime> fromSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return std::nullopt;
    return fromMilliseconds(seconds * 1000.0);
}

double toSeconds(const QDateTime &moment)
{
    return static_cast<double>(moment.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace EpochTime
