#pragma once

#include <QFont>
#include <QRectF>
#include <QStringList>

class QColor;
class QPainter;

// Fonts and text lines of the notch's views. Sizes are the app's logical
// pixels.
namespace Typography {

// The panels' UI font at `size` pixels and `weight`: Inter, whose measures
// suit the panels' layouts; the system UI font where Inter is missing.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);

// `font` with digits of equal width, so counting numbers do not jitter. For a
// font whose digits differ in width (Inter's do), the system UI font of the
// same size and weight stands in, else the system's fixed-pitch font.
QFont withMonospacedDigits(const QFont &font);

// The width of `text` on one line.
double width(const QString &text, const QFont &font);

// `text` broken into at most `maximumLines` lines of `width`; when text is
// left over, the last line ends with an ellipsis.
QStringList wrap(const QString &text, const QFont &font, double width, int maximumLines);

// Where a line too long for its width is cut.
enum class Cut {
    // At the end: "Dê play em algu…".
    end,
    // In the words before the last one, which stays whole because it tells a
    // state: "Microf… ligado".
    beforeLastWord,
};

// A text as drawn on one line, and the font it is drawn in.
struct Line {
    QString text;
    QFont font;
};

// `text` on one line of `width`: whole when it fits, also when it fits with
// its letters up to 3 % tighter (the line's font is then the tighter one);
// else cut with an ellipsis where `cut` says.
Line fitLine(const QString &text, const QFont &font, double width, Cut cut = Cut::end);

// Draws `text` on one line in `rect` (vertically centred, fitted to the
// rectangle's width) with the given horizontal alignment.
void drawLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color,
              Qt::Alignment horizontal = Qt::AlignLeft, Cut cut = Cut::end);

} // namespace Typography
