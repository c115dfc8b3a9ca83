#include "Shared/Typography.h"

#include <gtest/gtest.h>

TEST(Typography, LinesFitTheirWidthAndKeepWhatTheCutSaysMatters)
{
    const QFont font = Typography::systemFont(11.5, QFont::DemiBold);
    const QString title = QStringLiteral("Microfone ligado");
    const double natural = Typography::width(title, font);
    const QString ellipsis(QChar(0x2026));
    // Where a cut falls depends on the font's measures: each row says how
    // the shown line begins and ends.
    const struct {
        const char *name;
        double width;
        Typography::Cut cut;
        QString begins, ends;
        bool tightened;
    } rows[] = {
        {"fits", natural, Typography::Cut::end, title, title, false},
        {"fits a little tighter", natural - 1, Typography::Cut::beforeLastWord, title, title, true},
        {"cut at the end", natural * 0.8, Typography::Cut::end, QStringLiteral("Microfone"), ellipsis, false},
        {"cut before the state", natural * 0.8, Typography::Cut::beforeLastWord, QStringLiteral("Micr"), ellipsis + QStringLiteral(" ligado"),
         false},
        // Without room for a letter before the state, the end is cut.
        {"no room before the state", Typography::width(QStringLiteral(" ligado"), font) + 2, Typography::Cut::beforeLastWord,
         QStringLiteral("M"), ellipsis, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Typography::Line line = Typography::fitLine(title, font, row.width, row.cut);
        EXPECT_TRUE(line.text.startsWith(row.begins)) << line.text.toStdString();
        EXPECT_TRUE(line.text.endsWith(row.ends)) << line.text.toStdString();
        EXPECT_EQ(line.font != font, row.tightened);
        EXPECT_LE(Typography::width(line.text, line.font), row.width);
    }
}

TEST(Typography, MonospacedDigitsHaveEqualWidths)
{
    for (const QFont &font : {Typography::systemFont(13), Typography::systemFont(11.5, QFont::DemiBold)}) {
        const QFont digits = Typography::withMonospacedDigits(font);
        const double zero = Typography::width(QStringLiteral("0"), digits);
        for (char digit = '1'; digit <= '9'; ++digit)
            EXPECT_DOUBLE_EQ(Typography::width(QString(QLatin1Char(digit)), digits), zero) << digit;
        EXPECT_EQ(digits.pixelSize(), font.pixelSize());
        EXPECT_EQ(digits.pointSizeF(), font.pointSizeF());
        EXPECT_EQ(digits.weight(), font.weight());
    }
}
