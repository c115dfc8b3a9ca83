#include "Alerts/TimerCompactContent.h"
#include "Alerts/TimerModel.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Rendering.h"
#include "Shared/SystemColors.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF stripSize(385, notchHeight);

class TimerCompactContentUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        content->setSize(stripSize);
        content->setVisible(false);
        scene.addItem(content);
    }

    void show() { content->setVisible(true); }
    QImage render() { return Rendering::renderOnBlack(scene, QRectF(QPointF(), stripSize)); }

    FakePlatform platform;
    AppModel app{platform.services()};
    QGraphicsScene scene;
    TimerCompactContent *content = new TimerCompactContent(app, notchHeight);
};

TEST_F(TimerCompactContentUi, SymbolLeftAndTimeRightInOrange)
{
    app.timers.start(5);
    show();
    EXPECT_EQ(content->text(), QStringLiteral("5:00"));
    const auto layout = content->layout();
    EXPECT_EQ(layout.symbol, QRectF(16, 9.5, 13, 13));
    EXPECT_DOUBLE_EQ(layout.text.right(), stripSize.width() - 16);

    const QImage image = render();
    const QRect symbol = Rendering::inkBounds(image, QRect(0, 0, 60, int(notchHeight)));
    EXPECT_FALSE(symbol.isEmpty());
    EXPECT_TRUE(layout.symbol.toAlignedRect().adjusted(-1, -1, 1, 1).contains(symbol));
    const QRect time = Rendering::inkBounds(image, QRect(60, 0, int(stripSize.width()) - 60, int(notchHeight)));
    ASSERT_FALSE(time.isEmpty());
    EXPECT_LE(time.right(), stripSize.width() - 16);
    EXPECT_GE(time.right(), stripSize.width() - 18);
    EXPECT_NEAR(time.center().y(), notchHeight / 2, 2);
    // The strongest pixel of the digits is the system orange.
    QColor strongest(Qt::black);
    for (int x = time.left(); x <= time.right(); ++x) {
        for (int y = time.top(); y <= time.bottom(); ++y) {
            if (image.pixelColor(x, y).red() > strongest.red())
                strongest = image.pixelColor(x, y);
        }
    }
    EXPECT_EQ(strongest.rgb(), SystemColors::orange().rgb());
}

TEST_F(TimerCompactContentUi, CountsDownOnceASecondWhileShown)
{
    app.timers.start(1);
    show();
    EXPECT_TRUE(content->isTicking());
    platform.scheduler.advance(1);
    EXPECT_EQ(content->text(), QStringLiteral("0:59"));
    platform.scheduler.advance(0.5);
    EXPECT_EQ(content->text(), QStringLiteral("0:59"));
    platform.scheduler.advance(0.5);
    EXPECT_EQ(content->text(), QStringLiteral("0:58"));

    // Hidden: nothing ticks; shown again: the time is read at once.
    content->setVisible(false);
    EXPECT_FALSE(content->isTicking());
    platform.scheduler.advance(10.5);
    EXPECT_EQ(content->text(), QStringLiteral("0:58"));
    content->setVisible(true);
    EXPECT_TRUE(content->isTicking());
    EXPECT_EQ(content->text(), QStringLiteral("0:48"));
}

TEST_F(TimerCompactContentUi, NothingTicksWithoutACountdown)
{
    show();
    EXPECT_FALSE(content->isTicking());
    EXPECT_EQ(content->text(), QStringLiteral("0:00"));
    EXPECT_EQ(platform.scheduler.pendingCount(), 0);

    // Out of the scene: a running countdown alone starts no tick.
    scene.removeItem(content);
    app.timers.start(3);
    EXPECT_FALSE(content->isTicking());
    EXPECT_EQ(platform.scheduler.pendingCount(), 1);

    scene.addItem(content);
    EXPECT_TRUE(content->isTicking());
    EXPECT_EQ(content->text(), QStringLiteral("3:00"));
    app.timers.cancel();
    EXPECT_FALSE(content->isTicking());
    EXPECT_EQ(content->text(), QStringLiteral("0:00"));
    EXPECT_EQ(platform.scheduler.pendingCount(), 0);
}

TEST_F(TimerCompactContentUi, ReadsZeroAtTheEnd)
{
    app.timers.start(0.05);
    show();
    EXPECT_EQ(content->text(), QStringLiteral("0:03"));
    platform.scheduler.advance(3);
    EXPECT_FALSE(app.timers.isRunning());
    EXPECT_EQ(content->text(), QStringLiteral("0:00"));
    EXPECT_FALSE(content->isTicking());
    EXPECT_FALSE(Rendering::inkBounds(render(), QRect(60, 0, 325, 32)).isEmpty());
}

} // namespace
