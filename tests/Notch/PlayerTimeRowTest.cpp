#include "Notch/PlayerTimeRow.h"
#include "Notch/MediaButton.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
const double notANumber = std::nan("");

} // namespace

TEST(PlayerTimeRowTest, FormatsPositions)
{
    struct Case {
        double seconds;
        const char *expected;
    };
    const Case cases[] = {
        {0, "0:00"},          {59.9, "0:59"},      {60, "1:00"},          {3725, "62:05"},
        {infinity, "0:00"},   {-infinity, "0:00"}, {notANumber, "0:00"},  {-0.5, "0:00"},
        {1e300, "153722867280912930:07"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(PlayerTimeRow::format(c.seconds), QString::fromUtf8(c.expected));
    }
}

TEST(PlayerTimeRowTest, ScrubFractions)
{
    struct Case {
        const char *name;
        double x, width, expected;
    };
    const Case cases[] = {
        {"middle", 50, 200, 0.25},
        {"left of the bar", -30, 200, 0},
        {"right of the bar", 260, 200, 1},
        {"three quarters", 150, 200, 0.75},
        {"zero-width bar", 10, 0, 0},
        {"zero-width bar at its origin", 0, 0, 0},
        {"negative width", 10, -5, 0},
        {"position that is no number", notANumber, 200, 0},
        {"infinite position", infinity, 200, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const double fraction = PlayerTimeRow::fraction(c.x, c.width);
        EXPECT_FALSE(std::isnan(fraction));
        EXPECT_DOUBLE_EQ(fraction, c.expected);
    }
    // Releasing at three quarters of a 200 s song seeks to 150 s.
    EXPECT_DOUBLE_EQ(PlayerTimeRow::length(200) * PlayerTimeRow::fraction(150, 200), 150);
}

TEST(PlayerTimeRowTest, ContentOfTheRow)
{
    using Content = PlayerTimeRow::Content;
    // A stream without a length: the badge only.
    EXPECT_TRUE(PlayerTimeRow::content(true, 0, 12, std::nullopt).isLive);
    EXPECT_TRUE(PlayerTimeRow::content(true, -1, 12, std::nullopt).isLive);
    // No media: the dimmed row, not the badge.
    EXPECT_FALSE(PlayerTimeRow::content(false, 0, 0, std::nullopt).isLive);

    const Content middle = PlayerTimeRow::content(true, 200, 50, std::nullopt);
    EXPECT_DOUBLE_EQ(middle.progress, 0.25);
    EXPECT_EQ(middle.elapsedText, QStringLiteral("0:50"));
    EXPECT_EQ(middle.remainingText, QStringLiteral("-2:30"));

    // The end of the song: full bar, nothing left.
    const Content end = PlayerTimeRow::content(true, 200, 200, std::nullopt);
    EXPECT_DOUBLE_EQ(end.progress, 1);
    EXPECT_EQ(end.remainingText, QStringLiteral("-0:00"));

    // Durations of a second or less stand for one second.
    const Content short_ = PlayerTimeRow::content(true, 0.4, 0.25, std::nullopt);
    EXPECT_DOUBLE_EQ(short_.length, 1);
    EXPECT_DOUBLE_EQ(short_.progress, 0.25);
    EXPECT_EQ(short_.remainingText, QStringLiteral("-0:00"));

    // While dragging, both times follow the pointer.
    const Content dragged = PlayerTimeRow::content(true, 200, 10, 0.75);
    EXPECT_DOUBLE_EQ(dragged.position, 150);
    EXPECT_EQ(dragged.elapsedText, QStringLiteral("2:30"));
    EXPECT_EQ(dragged.remainingText, QStringLiteral("-0:50"));

    // A position that is no number draws an empty bar.
    const Content broken = PlayerTimeRow::content(true, 200, notANumber, std::nullopt);
    EXPECT_DOUBLE_EQ(broken.progress, 0);
    EXPECT_EQ(broken.elapsedText, QStringLiteral("0:00"));
}

TEST(PlayerTimeRowTest, LayoutAroundTheBar)
{
    const auto layout = PlayerTimeRow::layout(300);
    EXPECT_EQ(layout.elapsed, QRectF(0, 0, 34, 12));
    EXPECT_EQ(layout.bar, QRectF(42, 0, 300 - 42 - 8 - 38, 12));
    EXPECT_EQ(layout.remaining, QRectF(262, 0, 38, 12));
    // Too narrow for a bar: a bar of no width, never a negative one.
    EXPECT_DOUBLE_EQ(PlayerTimeRow::layout(50).bar.width(), 0);
}

TEST(PressScaleStyleTest, SpringsBetweenRestAndPressed)
{
    EXPECT_DOUBLE_EQ(PressScaleStyle::scale(1, true, 0), 1);
    EXPECT_NEAR(PressScaleStyle::scale(1, true, PressScaleStyle::settleDuration), 0.86, 1e-3);
    // Underdamped: it overshoots below 0.86 on the way.
    double lowest = 1;
    for (double t = 0; t < PressScaleStyle::settleDuration; t += 0.005)
        lowest = std::min(lowest, PressScaleStyle::scale(1, true, t));
    EXPECT_LT(lowest, 0.86);
    EXPECT_NEAR(PressScaleStyle::scale(0.9, false, PressScaleStyle::settleDuration), 1, 1e-3);
}
