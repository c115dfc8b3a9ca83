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

QString shortestDecimal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const bool integral = !text.contains(u'.') && !text.contains(u'e') && !text.contains(u'n') && !text.contains(u'i');
    if (integral)
        text += QStringLiteral(".0");
    return text;
}

} // namespace Text
