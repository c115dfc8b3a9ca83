#pragma once

#include "Notch/NotchGeometry.h"
#include "Support/MonotonicTime.h"
#include "Support/Spring.h"

#include <QSizeF>

#include <optional>

// One morph of the silhouette between two geometries: height and radii on one
// spring, width on another, slightly delayed so that a growing silhouette
// drops before it widens and a shrinking one narrows before it rises.
struct NotchMorph {
    enum class Direction { growing, shrinking };

    NotchGeometry from;
    NotchGeometry to;
    MonotonicTime start;
    // Size of the screen's camera housing; none without one.
    std::optional<QSizeF> hardwareNotch;

    // Growing when the target is higher by more than half a point, or as high
    // (within half a point) and wider; shrinking otherwise.
    Direction direction() const;
    // Seconds until the morph rests on `to`.
    double duration() const;

    // The geometry shown at `at`.
    NotchGeometry value(MonotonicTime at) const;
    // The geometry shown `elapsed` seconds after the start (negative before).
    NotchGeometry valueAfter(double elapsed) const;

    static const Spring growingHeight;
    static const Spring growingWidth;
    static const Spring shrinkingWidth;
    static const Spring shrinkingHeight;
};
