#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The displays whose backlight the system can set, and their brightness.
// Main thread only.
class Backlights {
public:
    virtual ~Backlights() = default;

    // The displays with a backlight, in the system's order, each once.
    virtual QStringList displays() const = 0;
    // Whether the display is the computer's own panel (not an external monitor).
    virtual bool isBuiltIn(const QString &display) const = 0;
    // The brightness 0...1; none when it cannot be read.
    virtual std::optional<float> brightness(const QString &display) const = 0;
    // How many levels above off the display can hold (it holds multiples of
    // 1 / levelCount); 0 when unknown.
    virtual int levelCount(const QString &display) const = 0;
    // Asks for a new brightness, 0...1. False when the request cannot be made
    // (unknown display, a level that is not a number or out of range, no
    // service to write through); what the system did arrives with the next
    // read.
    virtual bool setBrightness(const QString &display, float level) = 0;
};
