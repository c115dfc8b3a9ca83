#include "App/AppModel.h"
#include "LockScreen/BlurBackdrop.h"
#include "LockScreen/LockBackdropView.h"
#include "LockScreen/LockClockView.h"
#include "LockScreen/LockScreenPanel.h"
#include "LockScreen/LockScreenState.h"
#include "LockScreen/LyricsView.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Rendering.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using LoginUILocator::Item;

namespace {

const QSizeF screen(1000, 900);

class LockBackdropUi : public ::testing::Test {
protected:
    LockBackdropUi()
        : app(std::make_unique<AppModel>(platform.services()))
        , state(platform.audio)
    {
        state.setPlayerBottomInset(300);
        state.setWidgetsHeight(200);
    }

    LockBackdropView *backdrop(LockBackdropView::Role role)
    {
        auto *view = new LockBackdropView(state, *app, screen, role);
        scene.addItem(view);
        return view;
    }
    QImage render() { return Rendering::renderOnBlack(scene, QRectF(QPointF(), screen)); }
    void advance(double seconds) { platform.scheduler.advance(seconds); }

    FakePlatform platform;
    std::unique_ptr<AppModel> app;
    LockScreenState state;
    QGraphicsScene scene;
};

TEST_F(LockBackdropUi, MainBackdropShowsTheClockBelowTheTopEdge)
{
    LockBackdropView *view = backdrop(LockBackdropView::Role::main);
    ASSERT_NE(view->clock(), nullptr);
    EXPECT_EQ(view->lyrics(), nullptr);
    // Monday 2 March 2026, 09:00.
    EXPECT_EQ(view->clock()->shownDate(), "segunda-feira, 2 de março");
    EXPECT_EQ(view->clock()->shownTime(), "09:00");

    const QImage image = render();
    const QRect ink = Rendering::inkBounds(image, image.rect());
    ASSERT_FALSE(ink.isEmpty());
    // From 8 % of the height (72) down, centred.
    EXPECT_GE(ink.top(), 72);
    EXPECT_LT(ink.top(), 72 + 22);
    EXPECT_NEAR(ink.center().x(), 500, 4);
    // The large time: 112 high type.
    EXPECT_GT(ink.height(), 112);
    EXPECT_LT(ink.bottom(), 72 + 200);
}

TEST_F(LockBackdropUi, SecondaryBackdropIsBlurAndDimOnly)
{
    state.setShowLyrics(true);
    state.setLoginItems({{QRectF(400, 700, 200, 30), Item::Shape::capsule}});
    LockBackdropView *view = backdrop(LockBackdropView::Role::secondary);
    EXPECT_EQ(view->clock(), nullptr);
    EXPECT_EQ(view->lyrics(), nullptr);
    EXPECT_TRUE(view->blur()->cutouts().isEmpty());
    EXPECT_TRUE(view->blur()->currentMask().isNull());
    const QImage image = render();
    EXPECT_TRUE(Rendering::inkBounds(image, image.rect()).isEmpty());
}

TEST_F(LockBackdropUi, ClockChangesOnlyAtTheMinute)
{
    LockBackdropView *view = backdrop(LockBackdropView::Role::main);
    const QImage nine = render();
    advance(30);
    EXPECT_EQ(view->clock()->shownTime(), "09:00");
    EXPECT_EQ(render(), nine);
    advance(29.9);
    EXPECT_EQ(view->clock()->shownTime(), "09:00");
    advance(0.1);
    EXPECT_EQ(view->clock()->shownTime(), "09:01");
    EXPECT_NE(render(), nine);

    // A wall clock set forward shows at the next minute boundary of the new
    // time.
    platform.scheduler.setNow(QDateTime(QDate(2026, 3, 3), QTime(23, 59, 30)));
    advance(30);
    EXPECT_EQ(view->clock()->shownDate(), "quarta-feira, 4 de março");
    EXPECT_EQ(view->clock()->shownTime(), "00:00");
}

TEST_F(LockBackdropUi, LyricsShrinkTheClockAndFadeInOverTheBand)
{
    LockBackdropView *view = backdrop(LockBackdropView::Role::main);
    const QRectF fullClock = view->clock()->mapRectToScene(view->clock()->boundingRect());
    app->lyrics.bindableContent().setValue(LyricsContent{LyricsContent::Kind::notFound});

    state.setShowLyrics(true);
    ASSERT_NE(view->lyrics(), nullptr);
    // The band 192 points down, 172 high.
    EXPECT_EQ(view->lyrics()->pos(), QPointF(190, 192));
    EXPECT_EQ(view->lyrics()->boundingRect().size(), QSizeF(620, 172));
    EXPECT_EQ(view->lyrics()->opacity(), 0);

    advance(0.17);
    EXPECT_GT(view->lyrics()->opacity(), 0.2);
    EXPECT_LT(view->lyrics()->opacity(), 0.8);
    EXPECT_GT(view->lyrics()->scale(), 0.97);
    EXPECT_LT(view->lyrics()->scale(), 1);
    advance(0.2);
    EXPECT_EQ(view->lyrics()->opacity(), 1);
    EXPECT_EQ(view->lyrics()->scale(), 1);
    EXPECT_EQ(view->clock()->dateFont().pixelSize(), 17);
    EXPECT_EQ(view->clock()->timeFont().pixelSize(), 64);
    EXPECT_LT(view->clock()->mapRectToScene(view->clock()->boundingRect()).height(), fullClock.height());

    // The message sits in the band, below the compact clock.
    const QImage image = render();
    const QRect message = Rendering::inkBounds(image, QRect(0, 192, 1000, 172));
    ASSERT_FALSE(message.isEmpty());
    EXPECT_GE(message.left(), 190);
    EXPECT_LE(message.right(), 810);
    EXPECT_NEAR(message.center().y(), 192 + 86, 6);
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(0, 364, 1000, 536)).isEmpty()) << "nothing below the band";

    // The player grows: the band ends higher.
    state.setWidgetsHeight(240);
    EXPECT_EQ(view->lyrics()->boundingRect().size(), QSizeF(620, 132));

    state.setShowLyrics(false);
    ASSERT_NE(view->lyrics(), nullptr) << "fading out";
    advance(0.36);
    EXPECT_EQ(view->lyrics(), nullptr);
    EXPECT_EQ(view->clock()->timeFont().pixelSize(), 112);
}

TEST_F(LockBackdropUi, LoginItemsCutSoftHolesOnTheMainBackdrop)
{
    LockBackdropView *view = backdrop(LockBackdropView::Role::main);
    EXPECT_TRUE(view->blur()->currentMask().isNull());
    const QList<Item> items{{QRectF(400, 700, 200, 30), Item::Shape::capsule}, {QRectF(473, 620, 54, 54), Item::Shape::circle}};
    state.setLoginItems(items);
    EXPECT_EQ(view->blur()->cutouts(), items);
    const QImage mask = view->blur()->currentMask();
    ASSERT_EQ(mask.size(), QSize(1000, 900));
    EXPECT_EQ(qAlpha(mask.pixel(500, 715)), 0);
    EXPECT_EQ(qAlpha(mask.pixel(500, 647)), 0);
    EXPECT_EQ(qAlpha(mask.pixel(100, 100)), 255);
}

TEST(BlurBackdropMask, HolesHaveSoftEdges)
{
    // A capsule 200 × 30 at (100, 100): the hole spans x 94 ... 306.
    const std::optional<QImage> mask = BlurBackdrop::mask(QSizeF(400, 240), {{QRectF(100, 100, 200, 30), Item::Shape::capsule}});
    ASSERT_TRUE(mask);
    // Along the row through the middle, rightwards from the centre: clear
    // in the hole, then a ramp that only rises, then covered.
    int previous = 0;
    int partial = 0;
    for (int x = 200; x < 400; ++x) {
        const int alpha = qAlpha(mask->pixel(x, 115));
        EXPECT_GE(alpha, previous) << "at x " << x;
        previous = alpha;
        if (x < 305)
            EXPECT_EQ(alpha, 0) << "inside the hole at x " << x;
        if (alpha > 0 && alpha < 255)
            ++partial;
    }
    EXPECT_EQ(previous, 255);
    EXPECT_GE(partial, 6) << "a soft edge, not a step";
    EXPECT_GT(qAlpha(mask->pixel(308, 115)), 0);
    EXPECT_LT(qAlpha(mask->pixel(308, 115)), 255);
    EXPECT_EQ(qAlpha(mask->pixel(306 + 30, 115)), 255) << "the edge is about 10 points wide";
    // Upwards from the middle the same.
    EXPECT_EQ(qAlpha(mask->pixel(200, 98)), 0);
    EXPECT_GT(qAlpha(mask->pixel(200, 95)), 0);
    EXPECT_EQ(qAlpha(mask->pixel(200, 60)), 255);
}

TEST(BlurBackdropPaint, WithoutCompositorTheGrabIsBlurredAndDimmedButSharpInTheHoles)
{
    // Beneath: white on the left, black on the right.
    QImage beneath(400, 300, QImage::Format_ARGB32_Premultiplied);
    beneath.fill(Qt::black);
    QPainter(&beneath).fillRect(0, 0, 200, 300, Qt::white);

    QGraphicsScene scene;
    auto *backdrop = new BlurBackdrop(QSizeF(400, 300), [](std::function<void()> work) { work(); });
    scene.addItem(backdrop);
    backdrop->setCutouts({{QRectF(60, 60, 40, 40), Item::Shape::circle}});
    QSignalSpy blurred(backdrop, &BlurBackdrop::beneathBlurred);
    backdrop->setBeneath(beneath);
    ASSERT_TRUE(blurred.wait(10000));
    ASSERT_TRUE(backdrop->hasBlurredBeneath());

    const QImage image = Rendering::renderOnBlack(scene, QRectF(0, 0, 400, 300));
    // Far from the edge: white under the 0.18 dim.
    EXPECT_NEAR(qRed(image.pixel(120, 200)), 255 * 0.82, 3);
    EXPECT_NEAR(qRed(image.pixel(300, 200)), 0, 2);
    // At the edge the blur mixes both sides.
    EXPECT_GT(qRed(image.pixel(200, 200)), 40);
    EXPECT_LT(qRed(image.pixel(200, 200)), 170);
    EXPECT_GT(qRed(image.pixel(196, 200)), qRed(image.pixel(204, 200)));
    // In the hole the screen shows undimmed and sharp.
    EXPECT_EQ(qRed(image.pixel(80, 80)), 255);
}

TEST_F(LockBackdropUi, WithACompositorTheBackdropIsATranslucentDim)
{
    LockBackdropView *view = backdrop(LockBackdropView::Role::secondary);
    QImage image(1000, 900, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    scene.render(&painter, QRectF(QPointF(), screen), QRectF(QPointF(), screen));
    painter.end();
    EXPECT_EQ(qAlpha(image.pixel(500, 450)), qRound(255 * 0.18));
    EXPECT_FALSE(view->blur()->hasBlurredBeneath());
}

TEST_F(LockBackdropUi, WithoutACompositorThePanelTakesTheScreenBeneathBeforeItShows)
{
    platform.windowServer.compositor = false;
    // What the screen shows: a red window.
    QWidget beneath;
    beneath.setGeometry(QRect(QPoint(0, 0), screen.toSize()));
    beneath.setAutoFillBackground(true);
    QPalette palette = beneath.palette();
    palette.setColor(QPalette::Window, Qt::red);
    beneath.setPalette(palette);
    beneath.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&beneath));
    beneath.repaint();

    auto *view = new LockBackdropView(state, *app, screen, LockBackdropView::Role::secondary);
    LockScreenPanel panel(QRect(QPoint(0, 0), screen.toSize()), view, LockScreenPanel::Mouse::ignores);
    QSignalSpy blurred(view->blur(), &BlurBackdrop::beneathBlurred);
    panel.show();
    ASSERT_TRUE(blurred.wait(10000));
    // Red under the dim.
    const QImage image = Rendering::renderOnBlack(*panel.scene(), QRectF(QPointF(), screen));
    EXPECT_NEAR(qRed(image.pixel(500, 450)), 255 * 0.82, 3);
    EXPECT_NEAR(qGreen(image.pixel(500, 450)), 0, 2);
}

} // namespace
