#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>

#include <optional>
#include <ostream>
#include <string>

// Makes `zone` ("America/Havana") the process's local time zone for as long
// as it lives, then restores the one before. Construct it before any local
// QDateTime the test uses.
class LocalTimeZone {
public:
    explicit LocalTimeZone(const QByteArray &zone);
    ~LocalTimeZone();
    LocalTimeZone(const LocalTimeZone &) = delete;
    LocalTimeZone &operator=(const LocalTimeZone &) = delete;

private:
    std::optional<QByteArray> m_previous;
};

// A zone whose clocks go from 23:59:59 straight to 01:00 at the start of
// `day`: that day has no midnight.
struct SkippedMidnight {
    const char *zone;
    QDate day;
};

// One such day in each zone that skips midnight for daylight saving time.
const QList<SkippedMidnight> &skippedMidnights();
// "Havana" for "America/Havana": a test name.
std::string zoneCity(const SkippedMidnight &row);
inline void PrintTo(const SkippedMidnight &row, std::ostream *out)
{
    *out << row.zone;
}
