#pragma once

#include <QtGlobal>

// The silhouette of one notch state, in points (logical pixels).
struct NotchGeometry {
    // Width, ears included.
    qreal width = 0;
    // Height from the top edge down.
    qreal height = 0;
    // Radius of the top ears (notch outline); horizontal inset (pill outline).
    qreal top = 0;
    // Radius of the bottom corners (notch outline); corner radius (pill).
    qreal bottom = 0;

    bool operator==(const NotchGeometry &) const = default;
};
