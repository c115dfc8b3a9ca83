#include "Rendering.h"
#include "Shared/SystemColors.h"
#include "Shared/WaveformView.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

namespace {

// A meter scaled up 4 times, so each bar is wide enough to read its colour.
class WaveformViewUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        view->setScale(4);
        view->setSize(QSizeF(22, 12));
        scene.addItem(view);
    }
    // The colour at the middle of bar `bar`, a moment into the bounce.
    QColor barColor(int bar)
    {
        const QImage image = Rendering::renderOnBlack(scene, QRectF(0, 0, 88, 48));
        const QRectF rect = view->barRect(bar);
        return image.pixelColor(QPointF(rect.center() * 4).toPoint());
    }
    static int distance(const QColor &a, const QColor &b)
    {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    WaveformView *view = new WaveformView(scheduler);
};

const QColor tint(40, 120, 255);

} // namespace

TEST_F(WaveformViewUi, GradientRunsFromTheTintThroughOrangeToPink)
{
    view->update(true, WaveformView::colors(WaveformStyle::gradient, tint));
    scheduler.advance(0.5);
    const QColor first = barColor(0);
    const QColor middle = barColor(2);
    const QColor last = barColor(4);
    EXPECT_LT(distance(first, tint), distance(first, SystemColors::pink()));
    EXPECT_LT(distance(middle, SystemColors::orange()), 40) << middle.name().toStdString();
    EXPECT_LT(distance(last, SystemColors::pink()), distance(last, tint));
}

TEST_F(WaveformViewUi, ColouredAndMonochromeBarsAreSolid)
{
    view->update(true, WaveformView::colors(WaveformStyle::colored, tint));
    scheduler.advance(0.5);
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        EXPECT_LT(distance(barColor(bar), tint), 6) << "bar " << bar;
    view->update(true, WaveformView::colors(WaveformStyle::monochrome, tint));
    // White at 90 % over black.
    for (int bar = 0; bar < WaveformView::barCount; ++bar)
        EXPECT_LT(distance(barColor(bar), QColor(230, 230, 230)), 6) << "bar " << bar;
}
