#include "LockScreen/BlurBackdrop.h"
#include "LockScreen/LockBackdropView.h"
#include "QtPrinters.h"

#include <QPainterPath>

#include <gtest/gtest.h>

using LoginUILocator::Item;

namespace {

TEST(LockBackdropView, LyricsBandRunsFromBelowTheClockToAboveThePlayer)
{
    struct Row {
        const char *name;
        QSizeF screen;
        bool showLyrics;
        double playerBottomInset;
        double widgetsHeight;
        QRectF band;
    };
    const Row rows[] = {
        // 0.08 × 900 + 120 = 192; 900 − 192 − (300 + 200 + 36) = 172.
        {"a screen 900 high", QSizeF(1000, 900), true, 300, 200, QRectF(190, 192, 620, 172)},
        {"too little room: 120 high", QSizeF(1000, 900), true, 300, 400, QRectF(190, 192, 620, 120)},
        {"a wide screen: 780 wide", QSizeF(1512, 982), true, 246, 180, QRectF(366, 198.56, 780, 321.44)},
        {"without lyrics: 190 below", QSizeF(1000, 900), false, 300, 100, QRectF(190, 262, 620, 202)},
    };
    for (const Row &row : rows) {
        const QRectF band = LockBackdropView::lyricsBand(row.screen, row.showLyrics, row.playerBottomInset, row.widgetsHeight);
        EXPECT_NEAR(band.x(), row.band.x(), 1e-9) << row.name;
        EXPECT_NEAR(band.y(), row.band.y(), 1e-9) << row.name;
        EXPECT_NEAR(band.width(), row.band.width(), 1e-9) << row.name;
        EXPECT_NEAR(band.height(), row.band.height(), 1e-9) << row.name;
    }
    EXPECT_DOUBLE_EQ(LockBackdropView::clockTop(QSizeF(1000, 900)), 72);
}

TEST(BlurBackdrop, HolesGrowAroundTheirItems)
{
    // A capsule of 200 × 30: a hole of 212 × 36 with corners of radius 14.
    const QPainterPath capsule = BlurBackdrop::hole({QRectF(100, 100, 200, 30), Item::Shape::capsule});
    EXPECT_EQ(capsule.boundingRect(), QRectF(94, 97, 212, 36));
    // 5 points in from the corner: inside a radius of 14, outside one of 18.
    EXPECT_TRUE(capsule.contains(QPointF(99, 102)));
    EXPECT_FALSE(capsule.contains(QPointF(96, 99)));

    // A low capsule is round at its ends: radius half its height (8).
    const QPainterPath low = BlurBackdrop::hole({QRectF(100, 100, 100, 10), Item::Shape::capsule});
    EXPECT_EQ(low.boundingRect(), QRectF(94, 97, 112, 16));
    EXPECT_FALSE(low.contains(QPointF(96, 99)));
    EXPECT_TRUE(low.contains(QPointF(95, 105)));

    const QPainterPath circle = BlurBackdrop::hole({QRectF(10, 10, 50, 50), Item::Shape::circle});
    EXPECT_EQ(circle.boundingRect(), QRectF(8, 8, 54, 54));
    EXPECT_FALSE(circle.contains(QPointF(12, 12)));
    EXPECT_TRUE(circle.contains(QPointF(35, 9)));
}

TEST(BlurBackdrop, MaskHasOnePixelPerWholePoint)
{
    const std::optional<QImage> mask = BlurBackdrop::mask(QSizeF(1512.7, 982.2), {{QRectF(600, 700, 200, 30), Item::Shape::capsule}});
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->size(), QSize(1512, 982));
    EXPECT_EQ(qAlpha(mask->pixel(0, 0)), 255);
    EXPECT_EQ(qAlpha(mask->pixel(700, 715)), 0);

    EXPECT_FALSE(BlurBackdrop::mask(QSizeF(0, 982), {}));
    EXPECT_FALSE(BlurBackdrop::mask(QSizeF(1512, 0.5), {}));
}

TEST(BlurBackdrop, CutoutsAloneRebuildTheMask)
{
    BlurBackdrop backdrop(QSizeF(400, 300));
    EXPECT_TRUE(backdrop.currentMask().isNull()) << "no holes: no mask";

    const QList<Item> field{{QRectF(100, 200, 200, 30), Item::Shape::capsule}};
    backdrop.setCutouts(field);
    const QImage first = backdrop.currentMask();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(400, 300));
    EXPECT_EQ(qAlpha(first.pixel(200, 215)), 0);

    backdrop.setCutouts({{QRectF(100, 100, 200, 30), Item::Shape::capsule}});
    EXPECT_EQ(qAlpha(backdrop.currentMask().pixel(200, 215)), 255) << "the hole moved";
    EXPECT_EQ(qAlpha(backdrop.currentMask().pixel(200, 115)), 0);

    backdrop.setSize(QSizeF(500, 300));
    EXPECT_EQ(backdrop.currentMask().size(), QSize(500, 300));

    backdrop.setCutouts({});
    EXPECT_TRUE(backdrop.currentMask().isNull());
}

} // namespace
