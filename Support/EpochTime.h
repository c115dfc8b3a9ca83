#pragma once

#include <QDateTime>

#include <optional>

// Moments given as numbers since 1 January 1970 UTC, as outside input sends
// them. Any double is accepted: NaN, infinities and values beyond the years a
// date can hold give none instead of overflowing.
namespace EpochTime {

std::optional<QDateTime> fromSeconds(double seconds);
std::optional<QDateTime> fromMilliseconds(double milliseconds);

// Seconds since 1970 with their fraction.
double toSeconds(const QDateTime &moment);

} // namespace EpochTime
