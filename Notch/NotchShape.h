#pragma once

#include <QPainterPath>
#include <QRectF>

// The outline of the notch silhouette. The notch outline hangs from the top
// edge: its two top corners flare outwards into concave ears that merge with
// the edge, its bottom corners are rounded. The pill outline is a rounded
// rectangle, inset from the sides by the ear radius.
struct NotchShape {
    // Requested ear radius (notch) or side inset (pill).
    qreal topRadius = 0;
    // Requested bottom corner radius (notch) or corner radius (pill).
    qreal bottomRadius = 0;
    // Draw the pill outline instead of the notch outline.
    bool pill = false;

    // The silhouette filling `rect` (y grows downwards; the top edge of the
    // display is rect.top()).
    QPainterPath path(const QRectF &rect) const;
};
