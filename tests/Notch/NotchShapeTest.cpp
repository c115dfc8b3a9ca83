#include "Notch/NotchShape.h"

#include <gtest/gtest.h>

namespace {

// The filled span of row `y`: leftmost and rightmost x inside the path,
// sampled every tenth of a point.
std::pair<qreal, qreal> span(const QPainterPath &path, qreal y, const QRectF &rect)
{
    qreal first = -1, last = -1;
    for (qreal x = rect.left(); x <= rect.right(); x += 0.1) {
        if (path.contains(QPointF(x, y))) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return {first, last};
}

TEST(NotchShape, NotchOutlineHangsFromTheTopEdgeWithEars)
{
    const QRectF rect(10, 0, 254, 24);
    const QPainterPath path = NotchShape{.topRadius = 6, .bottomRadius = 9, .pill = false}.path(rect);
    EXPECT_EQ(path.boundingRect(), rect);

    // At the very top the ears reach the full width; below them the body is
    // narrower by an ear on each side.
    const auto [topLeft, topRight] = span(path, 0.05, rect);
    EXPECT_LT(topLeft, rect.left() + 1.5);
    EXPECT_GT(topRight, rect.right() - 1.5);
    const auto [bodyLeft, bodyRight] = span(path, 12, rect);
    EXPECT_NEAR(bodyLeft, rect.left() + 6, 0.11);
    EXPECT_NEAR(bodyRight, rect.right() - 6, 0.11);
    // The ear is concave: halfway down it, the outline is past the middle of
    // the ear towards the body.
    EXPECT_GT(span(path, 3, rect).first, rect.left() + 3);
    // Rounded bottom corners.
    const auto [bottomLeft, bottomRight] = span(path, 23.9, rect);
    EXPECT_GT(bottomLeft, rect.left() + 6 + 3);
    EXPECT_LT(bottomRight, rect.right() - 6 - 3);
}

TEST(NotchShape, EarsTakeAtMostAQuarterOfTheWidth)
{
    // Ear radius 14 asked for, 10 given.
    const QRectF rect(0, 0, 40, 32);
    const QPainterPath path = NotchShape{.topRadius = 14, .bottomRadius = 4, .pill = false}.path(rect);
    const auto [left, right] = span(path, 16, rect);
    EXPECT_NEAR(left, 10, 0.11);
    EXPECT_NEAR(right, 30, 0.11);
}

TEST(NotchShape, BottomCornersFitBodyAndHeight)
{
    // Radius 30 asked for; half of the 20-point body is all there is, so the
    // bottom is one round end.
    const QRectF narrow(0, 0, 40, 32);
    const QPainterPath round = NotchShape{.topRadius = 10, .bottomRadius = 30, .pill = false}.path(narrow);
    EXPECT_FALSE(round.contains(QPointF(10.5, 31.5)));
    EXPECT_TRUE(round.contains(QPointF(20, 31.5)));
    // Straight sides end where the corner of radius 10 begins: 22 points down.
    EXPECT_TRUE(round.contains(QPointF(10.2, 21.5)));

    // As high as its ears: the bottom corners vanish and the bottom edge is
    // straight from ear to ear.
    const QRectF low(0, 0, 100, 10);
    const QPainterPath flat = NotchShape{.topRadius = 10, .bottomRadius = 8, .pill = false}.path(low);
    EXPECT_TRUE(flat.contains(QPointF(10.2, 9.8)));
    EXPECT_TRUE(flat.contains(QPointF(89.8, 9.8)));
    EXPECT_EQ(flat.boundingRect(), low);
}

TEST(NotchShape, PillIsInsetByTheEarRadius)
{
    const QRectF rect(0, 3, 150, 20);
    const QPainterPath path = NotchShape{.topRadius = 6, .bottomRadius = 10, .pill = true}.path(rect);
    EXPECT_EQ(path.boundingRect(), QRectF(6, 3, 138, 20));
    // Radius 10 on a 20-point height: round ends, no straight side.
    const auto [left, right] = span(path, 13, rect);
    EXPECT_NEAR(left, 6, 0.11);
    EXPECT_NEAR(right, 144, 0.11);
    EXPECT_GT(span(path, 4, rect).first, 6 + 4);

    // The corner radius is held to half the inset height.
    const QPainterPath capped = NotchShape{.topRadius = 0, .bottomRadius = 40, .pill = true}.path(rect);
    EXPECT_EQ(capped.boundingRect(), rect);
    EXPECT_TRUE(capped.contains(QPointF(10, 13)));
    EXPECT_FALSE(capped.contains(QPointF(1, 4)));
}

} // namespace
