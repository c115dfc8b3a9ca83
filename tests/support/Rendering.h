#pragma once

#include <QImage>
#include <QRect>

class QGraphicsScene;

// Offscreen rendering for ui tests: scenes drawn onto black (the notch's
// silhouette) and the places where something was drawn.
namespace Rendering {

// The scene's `area` on black, `devicePixelRatio` pixels per unit.
QImage renderOnBlack(QGraphicsScene &scene, const QRectF &area, qreal devicePixelRatio = 1);

// The smallest rectangle holding every pixel of `image` inside `within`
// that is not black; an empty rectangle when there is none.
QRect inkBounds(const QImage &image, const QRect &within);

} // namespace Rendering
