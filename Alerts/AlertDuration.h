#pragma once

#include <algorithm>
#include <cmath>

// How long a banner or an alert strip stays on screen, whoever asks for it: a
// script's request, the coding agent's hook or a hand-edited setting. At most
// a minute: a banner that stays longer holds up every banner behind it.
namespace AlertDuration {

constexpr double maximum = 60;

// `requested` seconds bounded to minimum…maximum; NaN gives the minimum.
inline double bounded(double requested, double minimum)
{
    if (std::isnan(requested))
        return minimum;
    return std::clamp(requested, minimum, maximum);
}

} // namespace AlertDuration
