#pragma once

#include <QStringList>

#include <optional>

class Backlights;

// The brightness of the displays the system can control. Main thread only.
class DisplayBrightness {
public:
    // No more displays are considered.
    static constexpr int maximumDisplays = 16;

    explicit DisplayBrightness(Backlights &backlights);

    // The displays whose brightness can be read, in the system's order.
    QStringList controllableDisplays() const;
    bool isBuiltIn(const QString &display) const;
    // 0...1; none when it cannot be read.
    std::optional<float> brightness(const QString &display) const;
    // The level nearest `target` that the display can hold, at least one of
    // its own levels from `current` toward `target`: a display with few
    // levels would round a small step back to where it was. `target` itself
    // when the display's levels are not known.
    float levelToward(const QString &display, float current, float target) const;
    // Writes `level` held within 0...1; a level that is not a number is never
    // written. False when nothing could be written.
    bool setBrightness(const QString &display, float level);

private:
    Backlights &m_backlights;
};
