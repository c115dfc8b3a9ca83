#include "Alerts/DisplayBrightness.h"

#include "Platform/Backlights.h"

#include <algorithm>
#include <cmath>

DisplayBrightness::DisplayBrightness(Backlights &backlights)
    : m_backlights(backlights)
{
}

QStringList DisplayBrightness::controllableDisplays() const
{
    QStringList controllable;
    for (const QString &display : m_backlights.displays().mid(0, maximumDisplays)) {
        const auto level = brightness(display);
        if (level && *level >= 0)
            controllable << display;
    }
    return controllable;
}

bool DisplayBrightness::isBuiltIn(const QString &display) const
{
    return m_backlights.isBuiltIn(display);
}

std::optional<float> DisplayBrightness::brightness(const QString &display) const
{
    return m_backlights.brightness(display);
}

bool DisplayBrightness::setBrightness(const QString &display, float level)
{
    if (std::isnan(level))
        return false;
    return m_backlights.setBrightness(display, std::clamp(level, 0.0f, 1.0f));
}
