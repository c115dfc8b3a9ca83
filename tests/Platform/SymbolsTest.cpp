#include "Platform/Symbols.h"
#include "Settings/SettingsPageID.h"

#include <gtest/gtest.h>

TEST(Symbols, KnownNameGivesAnImageTintedInTheColour)
{
    const QColor orange(255, 159, 10);
    const QImage image = Symbols::image(QStringLiteral("timer"), 32, orange);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(32, 32));
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 255)
                continue;
            ++drawn;
            EXPECT_EQ(pixel.rgb(), orange.rgb()) << "at " << x << "," << y;
        }
    }
    EXPECT_GT(drawn, 32 * 32 / 10) << "the symbol covers part of its square";
}

TEST(Symbols, EveryNameTheAlertsUseHasAFile)
{
    for (const char *name : {"timer", "mic.fill", "mic.slash.fill", "checkmark.circle.fill", "speaker.wave.2.fill", "sun.max.fill",
                             "bolt.fill", "headphones", "moon.fill", "moon", "bell.fill"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Symbols::filePath(QString::fromLatin1(name)));
    }
}

TEST(Symbols, EverySettingsPageSymbolHasAFile)
{
    for (const SettingsPageID page : allCases<SettingsPageID>()) {
        SCOPED_TRACE(qPrintable(rawValue(page)));
        EXPECT_TRUE(Symbols::filePath(SettingsPages::symbol(page)));
    }
}

// A name the table lacks (also by case) draws a generic symbol, not an
// empty square; without a size or a name there is no image.
TEST(Symbols, UnknownNameGivesTheGenericSymbol)
{
    EXPECT_FALSE(Symbols::filePath(QStringLiteral("no.such.symbol")));
    const QImage generic = Symbols::image(QStringLiteral("no.such.symbol"), 32, Qt::white);
    ASSERT_FALSE(generic.isNull());
    int drawn = 0;
    for (int y = 0; y < generic.height(); ++y) {
        for (int x = 0; x < generic.width(); ++x)
            drawn += qAlpha(generic.pixel(x, y)) > 128;
    }
    EXPECT_GT(drawn, 32 * 32 / 10) << "the generic symbol is visible";
    EXPECT_EQ(Symbols::image(QStringLiteral("Timer"), 32, Qt::white), generic) << "names are case-sensitive";
    EXPECT_NE(Symbols::image(QStringLiteral("timer"), 32, Qt::white), generic);
    EXPECT_TRUE(Symbols::image(QStringLiteral("timer"), 0, Qt::white).isNull());
    EXPECT_TRUE(Symbols::image(QStringLiteral("no.such.symbol"), 0, Qt::white).isNull());
    EXPECT_TRUE(Symbols::image(QString(), 32, Qt::white).isNull());
}
