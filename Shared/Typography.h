#pragma once

#include <QFont>
#include <QRectF>
#include <QStringList>

class QColor;
class QPainter;

// Fonts and text lines of the notch's views. Sizes are the app's logical
// pixels.
namespace Typography {

// The system UI font at `size` pixels and `weight`.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);

// `font` with digits of equal width, so counting numbers do not jitter. Most
// UI fonts already draw tabular digits; for one that does not, the system's
// fixed-pitch font of the same size and weight stands in.
QFont withMonospacedDigits(const QFont &font);

// The width of `text` on one line.
double width(const QString &text, const QFont &font);

// `text` broken into at most `maximumLines` lines of `width`; when text is
// left over, the last line ends with an ellipsis.
QStringList wrap(const QString &text, const QFont &font, double width, int maximumLines);

// Draws `text` on one line in `rect` (vertically centred, elided to the
// rectangle's width) with the given horizontal alignment.
void drawLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color,
              Qt::Alignment horizontal = Qt::AlignLeft);

} // namespace Typography
