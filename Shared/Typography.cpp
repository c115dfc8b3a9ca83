#include "Shared/Typography.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace Typography {

namespace {

// The tightest letter spacing, percent, a line takes before it is cut.
constexpr double tightestSpacing = 97;

bool hasTabularDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const double zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero))
            return false;
    }
    return true;
}

QFont resized(QFont font, const QFont &like)
{
    if (like.pixelSize() > 0)
        font.setPixelSize(like.pixelSize());
    else
        font.setPointSizeF(like.pointSizeF());
    font.setWeight(like.weight());
    return font;
}

} // namespace

QFont systemFont(double size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies({QStringLiteral("Inter"), font.family()});
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
    // Views ask at every paint; measuring the digits once per font is enough
    // (main thread only, like all drawing).
    static QHash<QString, QFont> chosen;
    const QString key = font.key();
    if (const auto found = chosen.constFind(key); found != chosen.cend())
        return *found;
    const QFont general = resized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), font);
    const QFont result = hasTabularDigits(font)  ? font
                         : hasTabularDigits(general) ? general
                                                     : resized(QFontDatabase::systemFont(QFontDatabase::FixedFont), font);
    chosen.insert(key, result);
    return result;
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

Line fitLine(const QString &text, const QFont &font, double width, Cut cut)
{
    if (QFontMetricsF(font).horizontalAdvance(text) <= width)
        return {text, font};
    QFont tight = font;
    tight.setLetterSpacing(QFont::PercentageSpacing, tightestSpacing);
    if (QFontMetricsF(tight).horizontalAdvance(text) <= width)
        return {text, tight};

    const QFontMetricsF metrics(font);
    const QString trimmed = text.trimmed();
    const qsizetype space = trimmed.lastIndexOf(QLatin1Char(' '));
    if (cut == Cut::beforeLastWord && space > 0) {
        const QString last = trimmed.mid(space);
        const double room = width - metrics.horizontalAdvance(last);
        const QString head = metrics.elidedText(trimmed.left(space), Qt::ElideRight, room);
        // Only a head that keeps at least a letter before its ellipsis is
        // worth showing; otherwise the line is cut at its end as usual.
        if (head.size() > 1)
            return {head + last, font};
    }
    return {metrics.elidedText(text, Qt::ElideRight, width), font};
}

void drawLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color,
              Qt::Alignment horizontal, Cut cut)
{
    const Line line = fitLine(text, font, rect.width(), cut);
    painter.save();
    painter.setFont(line.font);
    painter.setPen(color);
    painter.drawText(rect, int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, line.text);
    painter.restore();
}

} // namespace Typography
