#include "Support/Text.h"

#include <QTextBoundaryFinder>

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

} // namespace Text
