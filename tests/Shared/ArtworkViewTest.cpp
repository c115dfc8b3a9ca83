#include "Shared/ArtworkView.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

using Side = ArtworkView::Side;

TEST(ArtworkViewTest, TheFlipTurnsTheOldAwayAndTheNewInFromMinusNinety)
{
    const ArtworkView::Pose start = ArtworkView::flipPose(Side::incoming, 0);
    EXPECT_DOUBLE_EQ(start.angle, -90);
    EXPECT_DOUBLE_EQ(start.opacity, 0);
    const ArtworkView::Pose leaving = ArtworkView::flipPose(Side::outgoing, 0);
    EXPECT_DOUBLE_EQ(leaving.angle, 0);
    EXPECT_DOUBLE_EQ(leaving.opacity, 1);

    const ArtworkView::Pose middleIn = ArtworkView::flipPose(Side::incoming, 0.15);
    const ArtworkView::Pose middleOut = ArtworkView::flipPose(Side::outgoing, 0.15);
    EXPECT_GT(middleIn.angle, -90);
    EXPECT_LT(middleIn.angle, 0);
    EXPECT_GT(middleOut.angle, 0);
    EXPECT_LT(middleOut.angle, 90);
    // Both ride the same spring.
    EXPECT_NEAR(middleIn.angle + 90, middleOut.angle, 1e-9);
    EXPECT_NEAR(middleIn.opacity + middleOut.opacity, 1, 1e-9);

    const ArtworkView::Pose settled = ArtworkView::flipPose(Side::incoming, ArtworkView::springSettleDuration);
    EXPECT_NEAR(settled.angle, 0, 0.05);
    EXPECT_NEAR(settled.opacity, 1, 1e-3);
    EXPECT_NEAR(ArtworkView::flipPose(Side::outgoing, ArtworkView::springSettleDuration).angle, 90, 0.05);
}

TEST(ArtworkViewTest, TheCrossFadeOnlyFades)
{
    for (const double elapsed : {0.0, 0.1, 0.3, 1.0}) {
        EXPECT_DOUBLE_EQ(ArtworkView::crossFadePose(Side::incoming, elapsed).angle, 0);
        EXPECT_DOUBLE_EQ(ArtworkView::crossFadePose(Side::outgoing, elapsed).angle, 0);
    }
    EXPECT_DOUBLE_EQ(ArtworkView::crossFadePose(Side::incoming, 0).opacity, 0);
    EXPECT_DOUBLE_EQ(ArtworkView::crossFadePose(Side::outgoing, 0).opacity, 1);
    EXPECT_NEAR(ArtworkView::crossFadePose(Side::incoming, 1).opacity, 1, 1e-3);
}

TEST(ArtworkViewTest, AQuarterTurnSeenInPerspectiveShrinksToALine)
{
    const QRectF rect(0, 0, 28, 28);
    EXPECT_TRUE(ArtworkView::flipTransform(0, rect).isIdentity());
    const QRectF edgeOn = ArtworkView::flipTransform(90, rect).mapRect(rect);
    EXPECT_NEAR(edgeOn.width(), 0, 1e-6);
    EXPECT_NEAR(edgeOn.center().x(), 14, 1e-6) << "about the vertical axis through the centre";
    // Half turned: the near side looms larger than the far side.
    const QTransform half = ArtworkView::flipTransform(45, rect);
    const QPolygonF turned = half.map(QPolygonF(rect));
    const double leftHeight = turned[3].y() - turned[0].y();
    const double rightHeight = turned[2].y() - turned[1].y();
    EXPECT_NE(leftHeight, rightHeight);
    EXPECT_NEAR(half.map(QPointF(14, 3)).x(), 14, 1e-9);
}

TEST(ArtworkViewTest, DimmingEasesOverAThirdOfASecond)
{
    EXPECT_DOUBLE_EQ(ArtworkView::dimAmount(0, 1, 0), 0);
    EXPECT_NEAR(ArtworkView::dimAmount(0, 1, 0.15), 0.5, 1e-3);
    EXPECT_DOUBLE_EQ(ArtworkView::dimAmount(0, 1, 0.3), 1);
    EXPECT_DOUBLE_EQ(ArtworkView::dimAmount(1, 0, 0.3), 0);
    EXPECT_DOUBLE_EQ(ArtworkView::dimAmount(0.4, 0, 0), 0.4);
}

namespace {

class ArtworkViewInScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        view->setSize(QSizeF(28, 28));
        scene.addItem(view);
    }
    static QImage picture(Qt::GlobalColor color)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    ArtworkView *view = new ArtworkView(scheduler);
};

} // namespace

TEST_F(ArtworkViewInScene, TheFirstArtworkAndDimmingApplyAtOnce)
{
    view->setArtwork(picture(Qt::red), 1);
    view->setDimmed(true);
    EXPECT_FALSE(view->pose(Side::incoming));
    EXPECT_DOUBLE_EQ(view->dimAmount(), 1);
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(ArtworkViewInScene, OnlyANewVersionStartsAChange)
{
    view->setArtwork(picture(Qt::red), 1);
    view->setArtwork(picture(Qt::blue), 1);
    EXPECT_FALSE(view->pose(Side::incoming)) << "a new picture of the same version shows at once";
    EXPECT_FALSE(view->isAnimating());

    view->setFlips(true);
    view->setArtwork(picture(Qt::green), 2);
    ASSERT_TRUE(view->pose(Side::incoming));
    EXPECT_DOUBLE_EQ(view->pose(Side::incoming)->angle, -90);
    scheduler.advance(ArtworkView::springSettleDuration + 0.05);
    EXPECT_FALSE(view->pose(Side::incoming));
    EXPECT_FALSE(view->isAnimating());

    view->setFlips(false);
    view->setArtwork(picture(Qt::red), 3);
    ASSERT_TRUE(view->pose(Side::incoming));
    EXPECT_DOUBLE_EQ(view->pose(Side::incoming)->angle, 0) << "a cross-fade";
}

TEST_F(ArtworkViewInScene, DimmingFadesBothWaysFromWhereItIs)
{
    view->setArtwork(QImage(), 0);
    view->setDimmed(false);
    view->setDimmed(true);
    scheduler.advance(0.15);
    const double halfway = view->dimAmount();
    EXPECT_GT(halfway, 0.3);
    EXPECT_LT(halfway, 0.7);
    view->setDimmed(false);
    EXPECT_DOUBLE_EQ(view->dimAmount(), halfway);
    scheduler.advance(0.3);
    EXPECT_DOUBLE_EQ(view->dimAmount(), 0);
    scheduler.advance(0.02);
    EXPECT_FALSE(view->isAnimating());
}
