#include "Rendering.h"
#include "Shared/ArtworkView.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

namespace {

constexpr double side = 40;

class ArtworkViewUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        view->setSize(QSizeF(side, side));
        view->setCornerRadius(5);
        view->setPos(10, 10);
        scene.addItem(view);
    }
    QImage render() { return Rendering::renderOnBlack(scene, QRectF(0, 0, side + 20, side + 20)); }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    ArtworkView *view = new ArtworkView(scheduler);
};

} // namespace

TEST_F(ArtworkViewUi, NoArtworkShowsTheNoteOnAFaintRoundedSquare)
{
    view->setArtwork(QImage(), 0);
    const QImage image = render();
    EXPECT_EQ(Rendering::inkBounds(image, image.rect()), QRect(10, 10, int(side), int(side)));
    // The faint square: white at 10 % over black.
    EXPECT_NEAR(qRed(image.pixel(14, 30)), 26, 2);
    // The corners are cut by the rounded clip.
    EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, 0u);
    // The note, brighter, in the middle 14 points.
    const QRect centre(30 - 7, 30 - 7, 14, 14);
    int brightest = 0;
    for (int y = centre.top(); y <= centre.bottom(); ++y)
        for (int x = centre.left(); x <= centre.right(); ++x)
            brightest = std::max(brightest, qRed(image.pixel(x, y)));
    EXPECT_GT(brightest, 100);
}

TEST_F(ArtworkViewUi, AWideImageFillsTheSquareAndIsCroppedAtItsSides)
{
    // Left third blue, middle third green, right third red: only the middle
    // survives the crop of a 3:1 image into a square.
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::green);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            wide.setPixel(x, y, qRgb(0, 0, 255));
            wide.setPixel(x + 200, y, qRgb(255, 0, 0));
        }
    }
    view->setArtwork(wide, 1);
    const QImage image = render();
    for (const QPoint point : {QPoint(14, 30), QPoint(30, 14), QPoint(46, 46), QPoint(30, 48)}) {
        const QColor color = image.pixelColor(point);
        EXPECT_EQ(color.green(), 255) << point.x() << "," << point.y();
        EXPECT_LT(color.red() + color.blue(), 10) << "no letter-box, no side bands";
    }
}

TEST_F(ArtworkViewUi, DimmingDarkensByAFortyFivePercentOverlayAndLowersSaturation)
{
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    view->setArtwork(red, 1);
    view->setDimmed(true);
    const QColor dimmed = render().pixelColor(30, 30);
    // Saturation 0.75 mixes a quarter of the grey of the same luminance into
    // the colour, then 45 % black darkens it.
    const double grey = qRed(red.convertToFormat(QImage::Format_Grayscale8).pixel(0, 0));
    EXPECT_NEAR(dimmed.red(), (0.75 * 255 + 0.25 * grey) * 0.55, 2);
    EXPECT_NEAR(dimmed.green(), 0.25 * grey * 0.55, 2);
    EXPECT_EQ(dimmed.green(), dimmed.blue());
    view->setDimmed(false);
    scheduler.advance(ArtworkView::dimDuration);
    EXPECT_EQ(render().pixelColor(30, 30), QColor(255, 0, 0));
}

TEST_F(ArtworkViewUi, HalfWayThroughAFlipBothArtworksAreNarrowed)
{
    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    view->setArtwork(red, 1);
    view->setFlips(true);
    view->setArtwork(blue, 2);
    // Early in the turn the new artwork stands nearly edge-on and the old
    // one nearly flat.
    scheduler.advance(0.05);
    const QImage early = render();
    QRect blueInk, redInk;
    for (int y = 0; y < early.height(); ++y) {
        for (int x = 0; x < early.width(); ++x) {
            if (qBlue(early.pixel(x, y)) > 10)
                blueInk |= QRect(x, y, 1, 1);
            if (qRed(early.pixel(x, y)) > 20)
                redInk |= QRect(x, y, 1, 1);
        }
    }
    EXPECT_LE(blueInk.width(), int(side) / 4);
    EXPECT_NEAR(blueInk.center().x(), 30, 3) << "turning about the vertical axis through the centre";
    EXPECT_GT(redInk.width(), int(side) - 6);
    scheduler.advance(ArtworkView::springSettleDuration);
    const QImage settled = render();
    EXPECT_EQ(settled.pixelColor(30, 30), QColor(Qt::blue));
    EXPECT_EQ(Rendering::inkBounds(settled, settled.rect()), QRect(10, 10, int(side), int(side)));
}

TEST_F(ArtworkViewUi, AtTwoDevicePixelsAPointTheArtworkKeepsItsDetail)
{
    // A checker of single pixels as large as the view in device pixels: any
    // pass through a point-sized picture blurs it to grey.
    const int pixels = int(side) * 2;
    QImage checker(pixels, pixels, QImage::Format_RGB32);
    for (int y = 0; y < pixels; ++y)
        for (int x = 0; x < pixels; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    view->setArtwork(checker, 1);
    for (const bool dimmed : {false, true}) {
        SCOPED_TRACE(dimmed ? "dimmed" : "clear");
        view->setDimmed(dimmed);
        scheduler.advance(ArtworkView::dimDuration);
        const QImage image = Rendering::renderOnBlack(scene, QRectF(0, 0, side + 20, side + 20), 2);
        ASSERT_EQ(image.size(), QSize(int(side + 20) * 2, int(side + 20) * 2));
        // Away from the rounded corners, every device pixel keeps its own
        // square of the checker (dimming darkens the white ones alike).
        const int white = qRed(image.pixel(20 + 10 + 1, 20 + 10));
        EXPECT_GT(white, dimmed ? 100 : 250);
        for (int y = 20 + 10; y < 20 + pixels - 10; ++y) {
            for (int x = 20 + 10; x < 20 + pixels - 10; ++x) {
                const bool isWhite = (x - 20 + y - 20) % 2;
                ASSERT_NEAR(qRed(image.pixel(x, y)), isWhite ? white : 0, 3) << x << "," << y;
            }
        }
    }
}
