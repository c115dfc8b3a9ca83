#include "Rendering.h"

#include <QGraphicsScene>
#include <QPainter>

namespace Rendering {

QImage renderOnBlack(QGraphicsScene &scene, const QRectF &area, qreal devicePixelRatio)
{
    QImage image((area.size() * devicePixelRatio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::black);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(), area.size()), area);
    painter.end();
    return image;
}

QRect inkBounds(const QImage &image, const QRect &within)
{
    QRect bounds;
    const QRect area = within.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace Rendering
