#include "Support/Text.h"

#include <QTextBoundaryFinder>

#include <charconv>

namespace Text {

QString prefixGraphemes(const QString &text, int count)
{
    if (count <= 0)
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count)
            return text.left(finder.position());
    }
    return text;
}

int graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

namespace {

// Appends ".0" to whole numbers written without an exponent.
QString withFraction(QString text)
{
    const bool integral = !text.contains(u'.') && !text.contains(u'e') && !text.contains(u'n') && !text.contains(u'i');
    if (integral)
        text += QStringLiteral(".0");
    return text;
}

} // namespace

QString shortestDecimal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return withFraction(QString::fromLatin1(buffer, result.ptr - buffer));
}

QString plainDecimal(double value)
{
    // The longest plain form, of the negative smallest subnormal, has 327
    // characters.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return withFraction(QString::fromLatin1(buffer, result.ptr - buffer));
}

} // namespace Text
