#include "Notch/NotchShapeLayers.h"
#include "Platform/Fake/FakeScreens.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QRect desktop(0, 0, 1920, 1080);
// A panel for a simulated notch under a 24-point top panel; an even width
// puts the silhouette's straight edges on whole pixels.
const QRectF panel(0, 0, 928, 296);

// A panel's scene with the silhouette, rendered into an image the size of
// the panel.
class Rendered : public testing::Test {
protected:
    void build(SimulatedStyle style)
    {
        metrics = NotchMetrics(FakeScreens::screen(QStringLiteral("a"), desktop, 24), style);
        layers = std::make_unique<NotchShapeLayers>(metrics, panel, scheduler);
        scene.setSceneRect(panel);
        scene.addItem(layers->backgroundView());
        scene.addItem(layers->contentView());
    }

    QImage render()
    {
        QImage image(panel.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, panel, panel);
        return image;
    }

    // The bounds of everything drawn.
    static QRect coveredBounds(const QImage &image)
    {
        QRect bounds;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(image.pixel(x, y)) > 0)
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        return bounds;
    }

    // Pixels of row `y` at least half covered.
    static int coveredInRow(const QImage &image, int y)
    {
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) >= 128;
        return count;
    }

    static bool isOpaqueBlack(QRgb pixel) { return pixel == qRgba(0, 0, 0, 255); }

    ManualScheduler scheduler;
    NotchMetrics metrics;
    QGraphicsScene scene;
    std::unique_ptr<NotchShapeLayers> layers;
};

TEST_F(Rendered, NothingBeforeTheFirstGeometry)
{
    build(SimulatedStyle::notch);
    EXPECT_TRUE(coveredBounds(render()).isEmpty());
}

TEST_F(Rendered, CompactNotchHangsCentredFromTheTop)
{
    build(SimulatedStyle::notch);
    // The media strip: 254 × 24, ears of 6, corners of 9.12.
    layers->set({254, 24, 6, 9.12});
    const QImage image = render();

    EXPECT_EQ(coveredBounds(image), QRect(337, 0, 254, 24));
    // Solid black inside, clear outside.
    for (const QPoint &inside : {QPoint(464, 12), QPoint(343, 12), QPoint(584, 12), QPoint(464, 0), QPoint(464, 23)})
        EXPECT_TRUE(isOpaqueBlack(image.pixel(inside))) << inside.x() << "," << inside.y();
    for (const QPoint &outside : {QPoint(464, 24), QPoint(341, 12), QPoint(585, 12), QPoint(100, 0), QPoint(800, 0)})
        EXPECT_EQ(qAlpha(image.pixel(outside)), 0) << outside.x() << "," << outside.y();
    // Ears widen the top row; below them the body is narrower by an ear on
    // each side; the bottom corners are rounded.
    EXPECT_EQ(coveredInRow(image, 12), 254 - 12);
    EXPECT_GE(coveredInRow(image, 0), 254 - 12 + 6);
    EXPECT_LT(coveredInRow(image, 23), 254 - 12 - 8);
}

TEST_F(Rendered, PillFloatsBelowTheTopEdge)
{
    build(SimulatedStyle::pill);
    // Closed pill: 150 × 20, inset by 6 on each side, fully round ends.
    layers->set({150, 20, 6, 10});
    const QImage image = render();
    EXPECT_EQ(coveredBounds(image), QRect(395, 3, 138, 20));
    EXPECT_TRUE(isOpaqueBlack(image.pixel(464, 13)));
    // Round ends: the middle row is wider than the top one.
    EXPECT_EQ(coveredInRow(image, 13), 138);
    EXPECT_LT(coveredInRow(image, 3), 138 - 8);
}

TEST_F(Rendered, ContentIsClippedToTheSilhouette)
{
    build(SimulatedStyle::notch);
    auto *content = new QGraphicsRectItem(panel, layers->contentView());
    content->setBrush(Qt::red);
    content->setPen(Qt::NoPen);

    layers->set({254, 24, 6, 9.12});
    QImage image = render();
    EXPECT_EQ(coveredBounds(image), QRect(337, 0, 254, 24));
    EXPECT_EQ(image.pixel(464, 12), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(image.pixel(464, 40)), 0);

    // The clip follows the silhouette as it morphs.
    layers->animate({490, 174, 14, 30});
    scheduler.advance(1);
    image = render();
    EXPECT_EQ(coveredBounds(image), QRect(219, 0, 490, 174));
    EXPECT_EQ(image.pixel(464, 150), qRgba(255, 0, 0, 255));
}

TEST_F(Rendered, MorphFramesLieBetweenTheTwoGeometries)
{
    build(SimulatedStyle::notch);
    layers->set({190, 24, 6, 8.16});
    layers->animate({490, 174, 14, 30});
    scheduler.advance(0.1);
    const QRect midway = coveredBounds(render());
    EXPECT_EQ(midway.top(), 0);
    EXPECT_GT(midway.height(), 24);
    EXPECT_LT(midway.height(), 174);
    EXPECT_GT(midway.width(), 190);
    // Centred all along.
    EXPECT_LE(std::abs(midway.center().x() - 464), 1);

    scheduler.advance(1);
    EXPECT_EQ(coveredBounds(render()), QRect(219, 0, 490, 174));
}

TEST_F(Rendered, ShadowAndOutline)
{
    build(SimulatedStyle::notch);
    layers->set({380, 96, 12, 26});
    // Below the banner's bottom edge, in the middle.
    const QPoint belowEdge(464, 96);
    const QPoint inShadow(464, 106);
    QImage image = render();
    EXPECT_EQ(qAlpha(image.pixel(belowEdge)), 0);
    EXPECT_EQ(qAlpha(image.pixel(inShadow)), 0);

    layers->setShadowVisible(true);
    scheduler.advance(0.4);
    image = render();
    EXPECT_GT(qAlpha(image.pixel(inShadow)), 20);
    EXPECT_LT(qAlpha(image.pixel(inShadow)), 255);
    EXPECT_EQ(qRed(image.pixel(inShadow)), 0);

    layers->setShadowVisible(false);
    layers->setOutlineVisible(true);
    scheduler.advance(0.4);
    image = render();
    EXPECT_EQ(qAlpha(image.pixel(inShadow)), 0);
    // The faint white stroke straddles the edge.
    EXPECT_GT(qAlpha(image.pixel(belowEdge)), 0);
    EXPECT_GT(qRed(image.pixel(belowEdge)), 0);
    EXPECT_GT(qRed(image.pixel(464, 95)), 0);
    EXPECT_LT(qRed(image.pixel(464, 95)), 80);
    EXPECT_TRUE(isOpaqueBlack(image.pixel(464, 50)));
}

TEST_F(Rendered, HiddenNotchDrawsNothing)
{
    build(SimulatedStyle::notch);
    auto *content = new QGraphicsRectItem(panel, layers->contentView());
    content->setBrush(Qt::red);
    layers->set({254, 24, 6, 9.12});
    layers->setVisible(false);
    scheduler.advance(0.3);
    EXPECT_TRUE(coveredBounds(render()).isEmpty());

    layers->setVisible(true);
    scheduler.advance(0.3);
    EXPECT_EQ(render().pixel(464, 12), qRgba(255, 0, 0, 255));
}

} // namespace
