#pragma once

#include "App/Preferences.h"

#include <QColor>
#include <QString>

#include <optional>

// What produced an alert strip. Only the notch looks at it: a hovered volume
// strip can open the volume mixer.
enum class AlertKind { volume, brightness, battery, device, focus, timer, mic };

// The colour of a level bar at low levels when level colours are on.
enum class LevelBase { white, blue };

// A compact alert strip: a symbol and title left of the camera housing, a
// level bar and/or a short text on the right.
struct NotchAlert {
    AlertKind kind = AlertKind::volume;
    QString symbol;
    QColor symbolColor;
    std::optional<QString> title;
    // Fill level 0...1 of the bar; none shows no bar.
    std::optional<double> level;
    HUDStyle barStyle = HUDStyle::white;
    bool levelColors = false;
    LevelBase levelBase = LevelBase::white;
    std::optional<QString> trailing;
    QColor trailingColor;
    // Width of each side strip of the compact notch, points.
    double sideWidth = 0;

    bool operator==(const NotchAlert &) const = default;
};
