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

float DisplayBrightness::levelToward(const QString &display, float current, float target) const
{
    const int count = m_backlights.levelCount(display);
    if (count <= 0 || std::isnan(current) || std::isnan(target))
        return target;
    const float held = std::clamp(current, 0.0f, 1.0f);
    const long from = std::lround(double(held) * count);
    long to = std::lround(double(std::clamp(target, 0.0f, 1.0f)) * count);
    if (target > held)
        to = std::max(to, std::min(from + 1, long(count)));
    else if (target < held)
        to = std::min(to, std::max(from - 1, 0L));
    return float(to) / float(count);
}

bool DisplayBrightness::setBrightness(const QString &display, float level)
{
    if (std::isnan(level))
        return false;
    return m_backlights.setBrightness(display, std::clamp(level, 0.0f, 1.0f));
}
