#include "Alerts/HUDBar.h"
#include "Rendering.h"
#include "Settings/SettingsStyle.h"

#include <QGraphicsScene>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QRectF track(10, 10, 80, 5);
const int middle = 12;

QImage drawBar(const HUDBar::Appearance &appearance)
{
    QImage image(100, 25, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    HUDBar::draw(painter, track, appearance);
    return image;
}

// The colour `color` drawn over black with `opacity`.
QColor overBlack(const QColor &color, double opacity)
{
    return QColor::fromRgbF(color.redF() * opacity, color.greenF() * opacity, color.blueF() * opacity);
}

void expectColor(const QImage &image, int x, int y, const QColor &expected)
{
    const QColor actual = image.pixelColor(x, y);
    EXPECT_NEAR(actual.red(), expected.red(), 2) << "at " << x << "," << y;
    EXPECT_NEAR(actual.green(), expected.green(), 2) << "at " << x << "," << y;
    EXPECT_NEAR(actual.blue(), expected.blue(), 2) << "at " << x << "," << y;
}

TEST(HUDBarUi, FillCoversTheLevelOfTheTrack)
{
    const QImage image = drawBar({0.62, HUDStyle::accent});
    const QColor trackColor = overBlack(Qt::white, 0.18);
    // The fill ends at 10 + 0.62 × 80 = 59.6.
    expectColor(image, 20, middle, SettingsStyle::accent());
    expectColor(image, 57, middle, SettingsStyle::accent());
    expectColor(image, 62, middle, trackColor);
    expectColor(image, 85, middle, trackColor);
    // Nothing outside the track without glow.
    expectColor(image, 40, 7, Qt::black);
    expectColor(image, 95, middle, Qt::black);
}

TEST(HUDBarUi, LevelZeroShowsOnlyTheTrack)
{
    const QImage image = drawBar({0.0, HUDStyle::glow});
    const QColor trackColor = overBlack(Qt::white, 0.18);
    for (int x : {12, 15, 50, 87})
        expectColor(image, x, middle, trackColor);
    expectColor(image, 12, 7, Qt::black);
}

TEST(HUDBarUi, TinyLevelIsACircleAtTheLeftEnd)
{
    const QImage image = drawBar({0.01, HUDStyle::white});
    expectColor(image, 12, middle, Qt::white);
    expectColor(image, 17, middle, overBlack(Qt::white, 0.18));
}

TEST(HUDBarUi, GlowSpillsAroundTheFillOnlyForTheGlowStyle)
{
    const QImage plain = drawBar({0.5, HUDStyle::white});
    const QImage glow = drawBar({0.5, HUDStyle::glow});
    // Two pixels above the fill's middle; and beyond its end over the track.
    expectColor(plain, 30, 8, Qt::black);
    EXPECT_GT(glow.pixelColor(30, 8).red(), 20);
    EXPECT_GT(glow.pixelColor(52, middle).red(), plain.pixelColor(52, middle).red());
    // Nowhere further than the glow's radius.
    expectColor(glow, 30, 4, Qt::black);

    // With level colours the halo takes the ramp's colour: red near full.
    const QImage loud = drawBar({0.98, HUDStyle::glow, true, LevelBase::white});
    const QColor halo = loud.pixelColor(40, 8);
    EXPECT_GT(halo.red(), 2 * halo.green());
    expectColor(loud, 40, middle, HUDBar::levelColor(0.98, LevelBase::white));
}

TEST(HUDBarUi, ItemDrawsLikeThePlainFunction)
{
    QGraphicsScene scene;
    auto *bar = new HUDBar;
    scene.addItem(bar);
    bar->setPos(track.topLeft());
    bar->setSize(track.size());
    bar->setAppearance({0.62, HUDStyle::glow, true, LevelBase::blue});
    const QImage item = Rendering::renderOnBlack(scene, QRectF(0, 0, 100, 25));
    EXPECT_EQ(item, drawBar({0.62, HUDStyle::glow, true, LevelBase::blue}));
}

} // namespace
