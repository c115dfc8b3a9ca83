#pragma once

#include "Notch/NotchGeometry.h"
#include "Support/MonotonicTime.h"

#include <QSizeF>

#include <optional>

// An under-damped spring released from rest towards 1: its factor starts at
// 0, may overshoot 1 and settles on it.
class Spring {
public:
    // `response`: the period of the undamped spring, seconds; `damping`: the
    // damping fraction, below 1.
    Spring(double response, double damping);

    // The factor `seconds` after release; 0 before it.
    double factor(double seconds) const;

    double decay() const { return m_decay; }
    double angularFrequency() const { return m_angularFrequency; }
    double sineCoefficient() const { return m_sineCoefficient; }

private:
    double m_decay;
    double m_angularFrequency;
    double m_sineCoefficient;
};

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
