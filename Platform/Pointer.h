#pragma once

#include <QPoint>

#include <functional>
#include <optional>

// Where the mouse pointer is on the desktop, read on demand, and when it
// moves: the notch follows it while clicks pass through its panel, when no
// pointer events reach the app. Main thread only.
class Pointer {
public:
    virtual ~Pointer() = default;

    // In the desktop's global coordinates, logical pixels; none when there is
    // no pointer to read.
    virtual std::optional<QPoint> position() const = 0;

    // Calls `handler` on the main thread after the pointer moved, at most
    // once per turn of the event loop, for as long as this object lives.
    // False when this pointer cannot tell: the caller then polls.
    virtual bool observeMotion(std::function<void()> handler) = 0;
};
