#include "Notch/OpenNotchContent.h"

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF twoColumns(490, notchHeight + 150);

} // namespace

TEST(OpenNotchContentTest, BothColumnsShareTheWidthAroundTheDivider)
{
    struct Case {
        const char *name;
        double width;
        double calendarWidth;
    };
    // The calendar column takes half of what the divider leaves, within
    // 170…214 points; the player the rest.
    const Case cases[] = {
        {"default width", 490, (490 - 60 - 37) / 2.0},
        {"widest panel", 833, 214},
        {"narrow panel", 400, 170},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF size(c.width, notchHeight + 150);
        const auto layout = OpenNotchContent::layout(size, notchHeight, {true, true, false}, 112, 100);
        ASSERT_TRUE(layout.player && layout.divider && layout.calendar);
        EXPECT_DOUBLE_EQ(layout.calendar->width(), c.calendarWidth);
        EXPECT_DOUBLE_EQ(layout.player->left(), 30);
        EXPECT_DOUBLE_EQ(layout.player->width(), c.width - 60 - 37 - c.calendarWidth);
        EXPECT_DOUBLE_EQ(layout.divider->left(), layout.player->right() + 18);
        EXPECT_DOUBLE_EQ(layout.divider->width(), 1);
        EXPECT_DOUBLE_EQ(layout.calendar->left(), layout.divider->right() + 18);
        EXPECT_DOUBLE_EQ(layout.calendar->right(), c.width - 30);
    }
}

TEST(OpenNotchContentTest, ColumnsStartBelowTheNotchAndAlignBySideColumn)
{
    // Top-aligned: both columns start 8 points below the notch; the divider
    // spans the row (the space between the paddings) less 4 at each end.
    const auto top = OpenNotchContent::layout(twoColumns, notchHeight, {true, true, false}, 112, 60);
    EXPECT_DOUBLE_EQ(top.player->top(), notchHeight + 8);
    EXPECT_DOUBLE_EQ(top.calendar->top(), notchHeight + 8);
    EXPECT_DOUBLE_EQ(top.divider->top(), notchHeight + 8 + 4);
    EXPECT_DOUBLE_EQ(top.divider->bottom(), twoColumns.height() - 14 - 4);

    // Centred: the shorter column sits in the middle of the row.
    const auto centred = OpenNotchContent::layout(twoColumns, notchHeight, {true, true, true}, 112, 60);
    const double rowHeight = twoColumns.height() - notchHeight - 8 - 14;
    EXPECT_DOUBLE_EQ(centred.player->center().y(), notchHeight + 8 + rowHeight / 2);
    EXPECT_DOUBLE_EQ(centred.calendar->center().y(), centred.player->center().y());

    // A column taller than the panel makes the row taller, never negative.
    const auto tall = OpenNotchContent::layout(twoColumns, notchHeight, {true, true, true}, 112, 300);
    EXPECT_DOUBLE_EQ(tall.calendar->top(), notchHeight + 8);
    EXPECT_DOUBLE_EQ(tall.divider->height(), 300 - 8);
}

TEST(OpenNotchContentTest, OneColumnFillsTheWidthWithoutDivider)
{
    const QSizeF size(340, notchHeight + 150);
    const auto player = OpenNotchContent::layout(size, notchHeight, {true, false, true}, 112, 0);
    ASSERT_TRUE(player.player);
    EXPECT_FALSE(player.divider);
    EXPECT_FALSE(player.calendar);
    EXPECT_EQ(*player.player, QRectF(30, notchHeight + 8, 280, 112));

    const auto calendar = OpenNotchContent::layout(size, notchHeight, {false, true, false}, 0, 90);
    ASSERT_TRUE(calendar.calendar);
    EXPECT_FALSE(calendar.divider);
    EXPECT_EQ(*calendar.calendar, QRectF(30, notchHeight + 8, 280, 90));
    // Never narrower than 170 points.
    const auto narrow = OpenNotchContent::layout(QSizeF(200, 150), notchHeight, {false, true, false}, 0, 90);
    EXPECT_DOUBLE_EQ(narrow.calendar->width(), 170);

    const auto none = OpenNotchContent::layout(size, notchHeight, {false, false, false}, 0, 0);
    EXPECT_FALSE(none.player || none.calendar || none.divider);
}
