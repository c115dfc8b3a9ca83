#include "Notch/NotchShape.h"

#include <algorithm>

QPainterPath NotchShape::path(const QRectF &rect) const
{
    QPainterPath path;
    // Ears never take more than a quarter of the width.
    const qreal t = std::min(rect.width() * 0.25, topRadius);

    if (pill) {
        const QRectF inset = rect.adjusted(t, 0, -t, 0);
        const qreal r = std::min({inset.width() * 0.5, inset.height() * 0.5, bottomRadius});
        path.addRoundedRect(inset, r, r);
        return path;
    }

    // The bottom corners fit below the ears and within the body.
    const qreal b = std::min({rect.height() - t, (rect.width() - 2 * t) * 0.5, bottomRadius});
    const qreal left = rect.left();
    const qreal right = rect.right();
    const qreal top = rect.top();
    const qreal bottom = rect.bottom();

    // Every corner is a quadratic curve whose control point is the corner of
    // its bounding box, not a circular arc.
    path.moveTo(left, top);
    path.quadTo(left + t, top, left + t, top + t);
    path.lineTo(left + t, bottom - b);
    path.quadTo(left + t, bottom, left + t + b, bottom);
    path.lineTo(right - t - b, bottom);
    path.quadTo(right - t, bottom, right - t, bottom - b);
    path.lineTo(right - t, top + t);
    path.quadTo(right - t, top, right, top);
    path.closeSubpath();
    return path;
}
