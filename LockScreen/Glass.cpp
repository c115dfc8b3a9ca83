#include "LockScreen/Glass.h"

#include <QPainter>
#include <QPainterPath>

QColor Glass::fill(LockPlayerStyle style)
{
    return style == LockPlayerStyle::clear ? QColor::fromRgbF(0.1f, 0.1f, 0.12f, 0.28f) : QColor::fromRgbF(0.1f, 0.1f, 0.12f, 0.62f);
}

QColor Glass::edge(LockPlayerStyle style)
{
    return QColor::fromRgbF(1, 1, 1, style == LockPlayerStyle::clear ? 0.22f : 0.14f);
}

void Glass::draw(QPainter &painter, const QPainterPath &shape, LockPlayerStyle style)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, fill(style));
    painter.setPen(QPen(edge(style), 1));
    painter.drawPath(shape);
    painter.restore();
}
