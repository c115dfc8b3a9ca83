#pragma once

#include "App/Preferences.h"
#include "Platform/Screens.h"

#include <QSizeF>

// The notch of one screen: its camera housing, or the simulated notch or pill
// drawn on a screen without one.
struct NotchMetrics {
    // Width and height of the closed notch.
    QSizeF notchSize;
    // The screen has a camera housing, which the silhouette covers.
    bool hasHardwareNotch = false;
    // The simulated style is the floating pill.
    bool isPill = false;
    // Gap between the screen's top edge and the top of the silhouette.
    qreal topInset = 0;

    NotchMetrics() = default;
    // The notch of `screen`; `style` matters only without a camera housing.
    NotchMetrics(const Screens::Screen &screen, SimulatedStyle style);

    bool operator==(const NotchMetrics &) const = default;
};
