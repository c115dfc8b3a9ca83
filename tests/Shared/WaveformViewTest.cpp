#include "Shared/SystemColors.h"
#include "Shared/WaveformView.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(WaveformViewTest, BarsTouchBothEdgesWithFourEqualGaps)
{
    // 22 points wide: gaps of 2.75, centres 4.95 apart.
    const double expected[] = {1.1, 6.05, 11.0, 15.95, 20.9};
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        EXPECT_NEAR(WaveformView::barCentre(bar, 22), expected[bar], 1e-9) << "bar " << bar;
    // The media strip's 18-point meter.
    EXPECT_NEAR(WaveformView::barCentre(0, 18) - WaveformView::barWidth / 2, 0, 1e-9);
    EXPECT_NEAR(WaveformView::barCentre(4, 18) + WaveformView::barWidth / 2, 18, 1e-9);
}

TEST(WaveformViewTest, EachBarBouncesBetweenAQuarterAndItsPeakOnItsOwnPeriod)
{
    for (int bar = 0; bar < WaveformView::barCount; ++bar) {
        SCOPED_TRACE(bar);
        const double start = WaveformView::stagger * bar;
        const double duration = WaveformView::durations[bar];
        // Waiting for its start, the bar holds the low scale.
        EXPECT_DOUBLE_EQ(WaveformView::playingScale(bar, start * 0.5), WaveformView::lowScale);
        EXPECT_DOUBLE_EQ(WaveformView::playingScale(bar, start), WaveformView::lowScale);
        EXPECT_NEAR(WaveformView::playingScale(bar, start + duration), WaveformView::peaks[bar], 1e-9);
        // Ease-in-out: half way up at half the rise.
        EXPECT_NEAR(WaveformView::playingScale(bar, start + duration / 2), (WaveformView::lowScale + WaveformView::peaks[bar]) / 2, 1e-3);
        // Back down, and again, forever.
        EXPECT_NEAR(WaveformView::playingScale(bar, start + 2 * duration), WaveformView::lowScale, 1e-9);
        EXPECT_NEAR(WaveformView::playingScale(bar, start + 1001 * duration), WaveformView::peaks[bar], 1e-6);
    }
    // The bars never move in step: half a second in, all five differ.
    QList<double> scales;
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        scales.append(WaveformView::playingScale(bar, 0.5));
    for (int a = 0; a < WaveformView::barCount; ++a)
        for (int b = a + 1; b < WaveformView::barCount; ++b)
            EXPECT_NE(scales[a], scales[b]);
}

TEST(WaveformViewTest, TimesThatAreNotNumbersHoldTheLowScale)
{
    EXPECT_DOUBLE_EQ(WaveformView::playingScale(2, std::numeric_limits<double>::quiet_NaN()), WaveformView::lowScale);
    EXPECT_DOUBLE_EQ(WaveformView::playingScale(2, std::numeric_limits<double>::infinity()), WaveformView::lowScale);
    EXPECT_DOUBLE_EQ(WaveformView::playingScale(2, -5), WaveformView::lowScale);
}

TEST(WaveformViewTest, ColoursOfEachStyle)
{
    const QColor tint(200, 40, 120);
    const QList<QColor> monochrome = WaveformView::colors(WaveformStyle::monochrome, tint);
    ASSERT_EQ(monochrome.size(), 1);
    EXPECT_EQ(monochrome.first().rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(monochrome.first().alphaF(), 0.9, 1e-3);
    EXPECT_EQ(WaveformView::colors(WaveformStyle::colored, tint), QList<QColor>{tint});
    EXPECT_EQ(WaveformView::colors(WaveformStyle::gradient, tint), (QList<QColor>{tint, SystemColors::orange(), SystemColors::pink()}));
}

namespace {

class WaveformViewInScene : public ::testing::Test {
protected:
    void SetUp() override { scene.addItem(view); }
    void advance(double seconds) { scheduler.advance(seconds); }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    WaveformView *view = new WaveformView(scheduler);
};

} // namespace

TEST_F(WaveformViewInScene, NoAnimationBeforeTheFirstLayoutWithAHeight)
{
    view->update(true, {Qt::white});
    view->setSize(QSizeF(18, 0));
    EXPECT_FALSE(view->isAnimating());
    advance(0.2);
    EXPECT_DOUBLE_EQ(view->barScale(1), WaveformView::lowScale);
    view->setSize(QSizeF(18, 12));
    EXPECT_TRUE(view->isAnimating());
    advance(0.07 + 0.31);
    EXPECT_NEAR(view->barScale(1), 1.0, 1e-9);
    EXPECT_EQ(view->barRect(1), QRectF(WaveformView::barCentre(1, 18) - 1.1, 0, 2.2, 12));
}

TEST_F(WaveformViewInScene, StoppingMidBounceSinksFromTheCurrentHeightToADot)
{
    view->setSize(QSizeF(18, 12));
    view->update(true, {Qt::white});
    advance(0.2);
    double before[WaveformView::barCount];
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        before[bar] = view->barScale(bar);
    view->update(false, {Qt::white});
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        EXPECT_DOUBLE_EQ(view->barScale(bar), before[bar]) << "bar " << bar << " starts where it stood";
    advance(0.1);
    EXPECT_LT(view->barScale(1), before[1]);
    advance(0.15);
    const double dot = WaveformView::dotScale(12);
    advance(0.02);
    for (int bar = 0; bar < WaveformView::barCount; ++bar) {
        EXPECT_DOUBLE_EQ(view->barScale(bar), dot);
        EXPECT_NEAR(view->barRect(bar).height(), WaveformView::barWidth, 1e-9) << "a round dot";
    }
    EXPECT_FALSE(view->isAnimating()) << "a stopped meter ticks no frames";
}

TEST_F(WaveformViewInScene, TheSameValuesAgainRestartNothing)
{
    view->setSize(QSizeF(18, 12));
    view->update(true, {Qt::red});
    advance(0.3);
    const double scale = view->barScale(2);
    view->update(true, {Qt::red});
    EXPECT_DOUBLE_EQ(view->barScale(2), scale);
    // A new size restarts the bounce from the low position.
    view->setSize(QSizeF(22, 12));
    EXPECT_DOUBLE_EQ(view->barScale(2), WaveformView::lowScale);
}

TEST_F(WaveformViewInScene, FramesTickOnlyWhilePlayingAndShown)
{
    view->setSize(QSizeF(18, 12));
    view->update(true, {Qt::white});
    advance(1);
    EXPECT_GE(view->frameCount(), 55u);
    view->setVisible(false);
    const quint64 hidden = view->frameCount();
    advance(3);
    EXPECT_EQ(view->frameCount(), hidden) << "a hidden meter costs no frames";
    view->setVisible(true);
    view->update(false, {Qt::white});
    advance(1);
    const quint64 stopped = view->frameCount();
    advance(5);
    EXPECT_EQ(view->frameCount(), stopped) << "a paused song costs no frames";
}
