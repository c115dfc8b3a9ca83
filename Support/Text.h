#pragma once

#include <QString>

namespace Text {

// The first `count` user-perceived characters (grapheme clusters) of `text`:
// an emoji with modifiers or a letter with combining marks counts as one and
// is never cut in half.
QString prefixGraphemes(const QString &text, int count);

// The number of user-perceived characters (grapheme clusters) of `text`.
int graphemeCount(const QString &text);

// The shortest decimal text that reads back to `value`, always with a
// fractional part or an exponent (1000 gives "1000.0", 52.52 gives "52.52"),
// in the C locale whatever the user's locale is.
QString shortestDecimal(double value);

// The same in plain notation, never with an exponent: 1.8e9 gives
// "1800000000.0". For identifiers, which must not change form with the
// value's trailing zeros.
QString plainDecimal(double value);

} // namespace Text
