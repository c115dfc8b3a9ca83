#pragma once

#include <QImage>
#include <QRect>

class QGraphicsScene;

// Offscreen rendering for ui tests: scenes drawn onto black (the notch's
// silhouette) and the places where something was drawn.
namespace Rendering {

// The scene's `area`, one pixel per unit, on black.
QImage renderOnBlack(QGraphicsScene &scene, const QRectF &area);

// The smallest rectangle holding every pixel of `image` inside `within`
// that is not black; an empty rectangle when there is none.
QRect inkBounds(const QImage &image, const QRect &within);

} // namespace Rendering
