#include "Notch/NotchMorph.h"

#include <algorithm>
#include <cmath>

const Spring NotchMorph::growingHeight(0.43, 0.86);
const Spring NotchMorph::growingWidth(0.5, 0.68);
const Spring NotchMorph::shrinkingWidth(0.42, 0.92);
const Spring NotchMorph::shrinkingHeight(0.42, 0.95);

namespace {
// Height changes up to this much count as none.
constexpr double heightTolerance = 0.5;
// Delay of the second spring: the width of a growing silhouette, the height
// of a shrinking one.
constexpr double growingWidthDelay = 0.06;
constexpr double shrinkingHeightDelay = 0.03;
// Height over the camera housing at which the silhouette must clear it by
// both ears and 4 points on each side.
constexpr double guardRamp = 6;
} // namespace

NotchMorph::Direction NotchMorph::direction() const
{
    const double dh = to.height - from.height;
    if (dh > heightTolerance || (std::abs(dh) <= heightTolerance && to.width > from.width))
        return Direction::growing;
    return Direction::shrinking;
}

double NotchMorph::duration() const
{
    return direction() == Direction::growing ? 0.85 : 0.75;
}

NotchGeometry NotchMorph::value(MonotonicTime at) const
{
    return valueAfter(start.secondsTo(at));
}

NotchGeometry NotchMorph::valueAfter(double elapsed) const
{
    if (elapsed >= duration())
        return to;

    const double dh = to.height - from.height;
    const bool delayed = std::abs(dh) > heightTolerance;
    double heightFactor = 0;
    double widthFactor = 0;
    if (direction() == Direction::growing) {
        heightFactor = growingHeight.factor(elapsed);
        widthFactor = growingWidth.factor(delayed ? elapsed - growingWidthDelay : elapsed);
    } else {
        widthFactor = shrinkingWidth.factor(elapsed);
        heightFactor = shrinkingHeight.factor(delayed ? elapsed - shrinkingHeightDelay : elapsed);
    }

    NotchGeometry shown;
    shown.width = from.width + widthFactor * (to.width - from.width);
    shown.height = from.height + heightFactor * dh;
    shown.top = from.top + heightFactor * (to.top - from.top);
    shown.bottom = from.bottom + heightFactor * (to.bottom - from.bottom);

    // The silhouette must cover the camera housing: never narrower than it,
    // and once it hangs below it, wide enough for the ears to clear it.
    if (hardwareNotch) {
        const double below = std::clamp((shown.height - hardwareNotch->height()) / guardRamp, 0.0, 1.0);
        shown.width = std::max(shown.width, hardwareNotch->width() + (2 * shown.top + 8) * below);
    }
    return shown;
}
