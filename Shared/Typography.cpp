#include "Shared/Typography.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace Typography {

QFont systemFont(double size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (size == std::floor(size))
        font.setPixelSize(static_cast<int>(size));
    else
        // QFont takes whole pixel sizes only; a fractional size goes through
        // the point size at the 96 dpi of Qt's logical coordinates.
        font.setPointSizeF(size * 72.0 / 96.0);
    font.setWeight(weight);
    return font;
}

QFont withMonospacedDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const double zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero)) {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            if (font.pixelSize() > 0)
                fixed.setPixelSize(font.pixelSize());
            else
                fixed.setPointSizeF(font.pointSizeF());
            fixed.setWeight(font.weight());
            return fixed;
        }
    }
    return font;
}

double width(const QString &text, const QFont &font)
{
    return QFontMetricsF(font).horizontalAdvance(text);
}

QStringList wrap(const QString &text, const QFont &font, double width, int maximumLines)
{
    QStringList lines;
    if (text.isEmpty() || maximumLines <= 0)
        return lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < maximumLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const bool last = lines.size() == maximumLines - 1;
        if (last && line.textStart() + line.textLength() < text.size()) {
            // Text is left over: the last line takes the rest, elided.
            const QString rest = text.mid(line.textStart()).simplified();
            lines.append(QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

void drawLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color,
              Qt::Alignment horizontal)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    painter.restore();
}

} // namespace Typography
