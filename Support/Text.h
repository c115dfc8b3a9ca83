#pragma once

#include <QString>

namespace Text {

// The first `count` user-perceived characters (grapheme clusters) of `text`:
// an emoji with modifiers or a letter with combining marks counts as one and
// is never cut in half.
QString prefixGraphemes(const QString &text, int count);

} // namespace Text
