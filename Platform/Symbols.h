#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

// Symbol images by their symbol names ("mic.slash.fill", "timer", ...). Each
// known name maps to one SVG of the vendored icon set in share/quib/symbols
// (see LICENSE there); images are drawn in one colour, like a template image.
namespace Symbols {

// The SVG file for a symbol name, or none for a name the table lacks.
std::optional<QString> filePath(const QString &name);

// The symbol drawn in `color`, fitted into a square of `pixelSize` pixels
// (keeping its aspect ratio); for a name the table lacks, a generic symbol
// (a question mark in a square). A null image for no size or no name.
QImage image(const QString &name, int pixelSize, const QColor &color);

// Draws the symbol in `color` fitted into `box` (logical coordinates), sharp
// at the painter's device pixel ratio; the generic symbol for an unknown
// name, nothing for an empty one.
void draw(QPainter &painter, const QRectF &box, const QString &name, const QColor &color);

} // namespace Symbols
