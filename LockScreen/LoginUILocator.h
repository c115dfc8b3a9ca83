#pragma once

#include <QRectF>

// Finds the login window's own controls (the user's picture, name, password
// field and buttons) so the lock-screen backdrop can leave them clear.
namespace LoginUILocator {

struct Item {
    enum class Shape { circle, capsule };

    // Global screen coordinates: origin at the top-left of the desktop, y
    // downwards.
    QRectF frame;
    Shape shape = Shape::capsule;

    bool operator==(const Item &) const = default;
};

} // namespace LoginUILocator
