#include "Notch/NotchShapeLayers.h"
#include "Platform/Fake/FakeScreens.h"

#include <QGraphicsObject>
#include <QGraphicsScene>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const NotchGeometry closed{190, 24, 6, 8.16};
const NotchGeometry open{490, 174, 14, 30};

class NotchShapeLayersTest : public testing::Test {
protected:
    NotchMetrics metrics{FakeScreens::screen(QStringLiteral("a"), QRect(0, 0, 1920, 1080), 24), SimulatedStyle::notch};
    ManualScheduler scheduler;
    NotchShapeLayers layers{metrics, QRectF(0, 0, 929, 296), scheduler};
    QSignalSpy changes{&layers, &NotchShapeLayers::silhouetteChanged};
    // Frames come about every 17 ms: a fade or morph has drawn its end one
    // frame after its duration at the latest.
    static constexpr double oneFrame = 0.02;

    // The bounds of the silhouette on screen.
    QRectF shown() const { return layers.silhouette().boundingRect(); }
    static QRectF centred(const NotchGeometry &geometry) { return QRectF((929 - geometry.width) / 2, 0, geometry.width, geometry.height); }

    // Shadow, fill and outline, in the order they are stacked.
    QGraphicsItem *shadow() const { return layers.backgroundView()->childItems().at(0); }
    QGraphicsItem *outline() const { return layers.backgroundView()->childItems().at(2); }
};

TEST_F(NotchShapeLayersTest, FirstGeometryIsShownAtOnce)
{
    EXPECT_TRUE(layers.silhouette().isEmpty());
    layers.animate(open);
    EXPECT_EQ(shown(), centred(open));
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(NotchShapeLayersTest, MorphPlaysFramesOnlyWhileItMoves)
{
    layers.set(closed);
    layers.animate(open);
    EXPECT_TRUE(layers.isAnimating());
    // The first frame is the start geometry.
    EXPECT_EQ(shown(), centred(closed));

    scheduler.advance(0.1);
    EXPECT_GT(shown().height(), closed.height);
    EXPECT_LT(shown().height(), open.height);
    // A growing morph runs 0.85 s.
    scheduler.advance(0.7);
    EXPECT_TRUE(layers.isAnimating());
    scheduler.advance(0.1);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(shown(), centred(open));
    EXPECT_EQ(scheduler.pendingCount(), 0);

    // At rest: no frames at all.
    const qsizetype frames = changes.count();
    EXPECT_GT(frames, 40);
    scheduler.advance(5);
    EXPECT_EQ(changes.count(), frames);

    // A shrinking morph runs 0.75 s.
    layers.animate(closed);
    scheduler.advance(0.7);
    EXPECT_TRUE(layers.isAnimating());
    scheduler.advance(0.1);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(shown(), centred(closed));
}

TEST_F(NotchShapeLayersTest, AnimatingToWhatIsShownDoesNothing)
{
    layers.set(closed);
    changes.clear();
    layers.animate(closed);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(changes.count(), 0);

    // Nor after a morph has finished on that geometry.
    layers.animate(open);
    scheduler.advance(1);
    changes.clear();
    layers.animate(open);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(NotchShapeLayersTest, InterruptedMorphContinuesFromWhatIsShown)
{
    layers.set(closed);
    const MonotonicTime started = scheduler.monotonicNow();
    layers.animate(open);
    scheduler.advance(0.2);
    const NotchGeometry onScreen = NotchMorph{closed, open, started, std::nullopt}.value(scheduler.monotonicNow());

    layers.animate(closed);
    EXPECT_EQ(shown(), centred(onScreen));
    // From that start the morph shrinks: it is over after 0.75 s.
    scheduler.advance(0.75 + oneFrame);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(shown(), centred(closed));
}

TEST_F(NotchShapeLayersTest, SameTargetAgainRestartsTheSprings)
{
    layers.set(closed);
    layers.animate(open);
    scheduler.advance(0.4);
    layers.animate(open);
    // The first morph would have ended at 0.85 s; the new one runs its own
    // full duration from 0.4 s.
    scheduler.advance(0.5);
    EXPECT_TRUE(layers.isAnimating());
    scheduler.advance(0.4);
    EXPECT_FALSE(layers.isAnimating());
    EXPECT_EQ(shown(), centred(open));
}

TEST_F(NotchShapeLayersTest, SetStopsAMorphAtOnce)
{
    layers.set(closed);
    layers.animate(open);
    scheduler.advance(0.1);
    layers.set(closed);
    EXPECT_EQ(shown(), centred(closed));
    EXPECT_FALSE(layers.isAnimating());
    changes.clear();
    scheduler.advance(1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(shown(), centred(closed));
}

TEST_F(NotchShapeLayersTest, Fades)
{
    EXPECT_EQ(shadow()->opacity(), 0);
    EXPECT_EQ(outline()->opacity(), 0);
    EXPECT_EQ(layers.backgroundView()->opacity(), 1);

    // Fading to the opacity a layer has costs nothing.
    layers.setOutlineVisible(false);
    layers.setVisible(true);
    EXPECT_FALSE(layers.isAnimating());

    layers.setShadowVisible(true);
    scheduler.advance(0.15);
    const qreal halfway = shadow()->opacity();
    EXPECT_GT(halfway, 0.3);
    EXPECT_LT(halfway, 0.7);
    // Asking again for the fade that plays changes nothing.
    layers.setShadowVisible(true);
    scheduler.advance(0.15 + oneFrame);
    EXPECT_EQ(shadow()->opacity(), 1);
    EXPECT_FALSE(layers.isAnimating());

    // A fade that interrupts another starts from the opacity on screen.
    layers.setOutlineVisible(true);
    scheduler.advance(0.1);
    const qreal partly = outline()->opacity();
    layers.setOutlineVisible(false);
    scheduler.advance(0.02);
    EXPECT_GT(outline()->opacity(), 0);
    EXPECT_LE(outline()->opacity(), partly);
    scheduler.advance(0.25 + oneFrame);
    EXPECT_EQ(outline()->opacity(), 0);

    // Hiding takes the silhouette and the content together.
    layers.setVisible(false);
    scheduler.advance(0.25 + oneFrame);
    EXPECT_EQ(layers.backgroundView()->opacity(), 0);
    EXPECT_EQ(layers.contentView()->opacity(), 0);
    EXPECT_FALSE(layers.isAnimating());
}

TEST(NotchShapeLayers, HardwareNotchGuardsTheMorph)
{
    const NotchMetrics metrics(FakeScreens::notchedScreen(QStringLiteral("a"), QRect(0, 0, 1512, 982), 37, 200, 32), SimulatedStyle::notch);
    ManualScheduler scheduler;
    NotchShapeLayers layers(metrics, QRectF(0, 0, 929, 304), scheduler);
    layers.set({200, 32, 6, 10.88});
    layers.animate({490, 182, 14, 30});
    scheduler.advance(0.034);
    // Hanging below the housing before the width spring starts: widened.
    EXPECT_GT(layers.silhouette().boundingRect().width(), 200 + 2 * 6 + 8);
}

TEST(NotchShapeLayers, SceneDestroyedFirst)
{
    ManualScheduler scheduler;
    NotchShapeLayers layers(NotchMetrics(), QRectF(0, 0, 400, 200), scheduler);
    layers.set(closed);
    layers.animate(open);
    {
        QGraphicsScene scene;
        scene.addItem(layers.backgroundView());
        scene.addItem(layers.contentView());
    }
    // The scene took the items; frames and calls touch nothing.
    scheduler.advance(1);
    layers.set(closed);
    layers.setVisible(false);
    EXPECT_TRUE(layers.silhouette().isEmpty());
    EXPECT_FALSE(layers.isAnimating());
}

} // namespace
