#include "LocalTimeZone.h"

#include <QString>
#include <QtGlobal>

#include <ctime>

LocalTimeZone::LocalTimeZone(const QByteArray &zone)
{
    if (qEnvironmentVariableIsSet("TZ"))
        m_previous = qgetenv("TZ");
    qputenv("TZ", zone);
    // Qt's local time goes through the C library, which reads TZ here.
    tzset();
}

LocalTimeZone::~LocalTimeZone()
{
    if (m_previous)
        qputenv("TZ", *m_previous);
    else
        qunsetenv("TZ");
    tzset();
}

const QList<SkippedMidnight> &skippedMidnights()
{
    static const QList<SkippedMidnight> days{
        {"America/Havana", QDate(2026, 3, 8)},  {"Atlantic/Azores", QDate(2026, 3, 29)}, {"Asia/Beirut", QDate(2026, 3, 29)},
        {"Africa/Cairo", QDate(2026, 4, 24)}, {"America/Santiago", QDate(2026, 9, 6)},
    };
    return days;
}

std::string zoneCity(const SkippedMidnight &row)
{
    return QString::fromLatin1(row.zone).section(u'/', -1).toStdString();
}
