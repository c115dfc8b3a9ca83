#pragma once

#include <QColor>
#include <QString>

// One event calendar, as the calendar settings list it.
struct CalendarInfo {
    QString id;
    QString title;
    // The title of the calendar's account; empty when it has none.
    QString source;
    QColor color;

    bool operator==(const CalendarInfo &) const = default;
};
