#pragma once

#include <QPoint>

#include <optional>

// Where the mouse pointer is on the desktop, read on demand (the notch polls
// it while clicks pass through its panel, when no pointer events reach the
// app). Main thread only.
class Pointer {
public:
    virtual ~Pointer() = default;

    // In the desktop's global coordinates, logical pixels; none when there is
    // no pointer to read.
    virtual std::optional<QPoint> position() const = 0;
};
