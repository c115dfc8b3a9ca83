#include "QtPrinters.h"
#include "Support/Text.h"

#include <gtest/gtest.h>

namespace {

struct PrefixCase {
    const char *name;
    QString text;
    int count;
    QString expected;
};

void PrintTo(const PrefixCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class PrefixGraphemes : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixGraphemes, KeepsWholeUserPerceivedCharacters)
{
    const PrefixCase &row = GetParam();
    EXPECT_EQ(Text::prefixGraphemes(row.text, row.count), row.expected);
}

// Thumbs up with a skin tone, a family joined by zero-width joiners, a flag
// and an "e" with a combining acute accent: each is one character.
const QString thumbsUp = QStringLiteral("\U0001F44D\U0001F3FD");
const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
const QString flag = QStringLiteral("\U0001F1E7\U0001F1F7");
const QString accented = QStringLiteral("e\u0301");

INSTANTIATE_TEST_SUITE_P(
    Text, PrefixGraphemes,
    ::testing::Values(PrefixCase{"plainAscii", QStringLiteral("abcdef"), 3, QStringLiteral("abc")},
                      PrefixCase{"countBeyondLength", QStringLiteral("abc"), 10, QStringLiteral("abc")},
                      PrefixCase{"zeroCount", QStringLiteral("abc"), 0, QString()},
                      PrefixCase{"negativeCount", QStringLiteral("abc"), -1, QString()},
                      PrefixCase{"emptyText", QString(), 3, QString()},
                      PrefixCase{"emojiModifierAtTheCut", QStringLiteral("ab") + thumbsUp + QStringLiteral("cd"), 3,
                                 QStringLiteral("ab") + thumbsUp},
                      PrefixCase{"cutBeforeEmojiModifier", QStringLiteral("ab") + thumbsUp, 2, QStringLiteral("ab")},
                      PrefixCase{"zeroWidthJoinerSequence", family + family, 1, family},
                      PrefixCase{"regionalIndicatorFlag", flag + flag + flag, 2, flag + flag},
                      PrefixCase{"combiningMark", accented + accented, 1, accented}),
    [](const ::testing::TestParamInfo<PrefixCase> &info) { return std::string(info.param.name); });

} // namespace
