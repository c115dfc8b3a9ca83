#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

// One event of today, as the notch shows it. Each occurrence of a repeating
// event is its own DayEvent with its own id.
struct DayEvent {
    // The calendar item's identifier followed by the start in seconds since
    // 1970 ("ABC1000.0").
    QString id;
    QString title;
    QDateTime start;
    QDateTime end;
    bool isAllDay = false;
    // The colour of the event's calendar.
    QColor color;
    // The meeting link found in the event, and its provider's label.
    std::optional<QUrl> joinURL;
    std::optional<QString> joinProvider;

    bool operator==(const DayEvent &) const = default;
};
