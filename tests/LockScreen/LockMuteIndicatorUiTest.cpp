#include "Notch/NotchState.h"
#include "../Notch/NotchFixture.h"
#include "LockScreen/LockMuteIndicator.h"
#include "LockScreen/LockScreenPanel.h"
#include "LogCapture.h"
#include "Notch/MutedIcons.h"
#include "QtPrinters.h"
#include "Rendering.h"

#include <QGraphicsScene>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

class LockMuteIndicatorUi : public ::testing::Test, public NotchFixture {
protected:
    LockMuteIndicatorUi()
    {
        // The notch screen has a camera housing 200 × 32.
        platform.screens.setScreens({FakeScreens::screen(QStringLiteral("DP-1"), desktop, 24),
                                     FakeScreens::notchedScreen(QStringLiteral("eDP-1"), QRect(1920, 0, 1512, 982), 32, 200, 32)});
    }

    // Lets the observation react.
    void settle() { platform.scheduler.advance(0); }
    QImage render(LockScreenPanel &panel)
    {
        return Rendering::renderOnBlack(*panel.scene(), QRectF(QPointF(), panel.size()));
    }

    LockMuteIndicator indicator{*app};
};

TEST_F(LockMuteIndicatorUi, ShowsAtTheTopOfTheNotchScreenAboveTheLocker)
{
    indicator.show();
    LockScreenPanel *panel = indicator.panel();
    ASSERT_NE(panel, nullptr);
    // 200 + 2 × 64 wide, centred on the notch screen's top edge.
    EXPECT_EQ(panel->geometry(), QRect(1920 + 756 - 164, 0, 328, 32));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowTransparentForInput));
    ASSERT_EQ(platform.windowServer.movedToLockScreen.size(), 1u);
    EXPECT_EQ(platform.windowServer.movedToLockScreen[0], panel->windowHandle());

    // Showing again keeps the panel.
    indicator.show();
    EXPECT_EQ(indicator.panel(), panel);
    EXPECT_EQ(platform.windowServer.movedToLockScreen.size(), 1u);

    indicator.hide();
    EXPECT_EQ(indicator.panel(), nullptr);
    indicator.hide();
}

TEST_F(LockMuteIndicatorUi, KeepsThePanelWhenItCannotRiseAboveTheLocker)
{
    platform.windowServer.movesToLockScreen = false;
    const LogCapture log;
    indicator.show();
    EXPECT_NE(indicator.panel(), nullptr);
    EXPECT_EQ(log.messages(QStringLiteral("Quib: ")), QStringList{QStringLiteral("Quib: could not show the muted icon on the lock screen")});
    indicator.hide();
    EXPECT_EQ(indicator.panel(), nullptr);
}

TEST_F(LockMuteIndicatorUi, ShowsNothingWithoutAScreen)
{
    platform.screens.setScreens({});
    indicator.show();
    EXPECT_EQ(indicator.panel(), nullptr);
}

TEST_F(LockMuteIndicatorUi, DrawsTheMutedIconsAndTheWord)
{
    app->micMute.setMuted(true);
    indicator.show();
    ASSERT_NE(indicator.panel(), nullptr);
    const QImage image = render(*indicator.panel());
    // The silhouette is black; the microphone at the leading edge (after 14
    // points) and "Mudo" at the trailing edge are red.
    const QRect ink = Rendering::inkBounds(image, image.rect());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 14);
    EXPECT_LE(ink.left(), 18);
    EXPECT_LE(ink.right(), 328 - 14);
    EXPECT_GE(ink.right(), 328 - 20);
    // The word is red.
    bool red = false;
    for (int y = 0; y < 32; ++y) {
        for (int x = 250; x < 328; ++x) {
            const QRgb pixel = image.pixel(x, y);
            red = red || (qRed(pixel) > 150 && qGreen(pixel) < 110 && qBlue(pixel) < 110);
        }
    }
    EXPECT_TRUE(red);
    // Only the microphone: the speaker is not drawn.
    int iconRows = 0;
    for (QGraphicsItem *item : indicator.panel()->scene()->items()) {
        if (auto *muted = dynamic_cast<MutedIcons *>(item)) {
            EXPECT_TRUE(muted->showsMic());
            EXPECT_FALSE(muted->showsSound());
            ++iconRows;
        }
    }
    EXPECT_EQ(iconRows, 1);
}

TEST_F(LockMuteIndicatorUi, FollowsMuteChangesWhileLocked)
{
    app->micMute.setMuted(true);
    settle();
    EXPECT_EQ(indicator.panel(), nullptr) << "unlocked: nothing";

    // The controller locks and shows.
    indicator.setLocked(true);
    if (indicator.wantsIndicator())
        indicator.show();
    ASSERT_NE(indicator.panel(), nullptr);

    app->micMute.setMuted(false);
    settle();
    EXPECT_EQ(indicator.panel(), nullptr) << "nothing muted: hidden at once";

    muteOutput(true);
    settle();
    ASSERT_NE(indicator.panel(), nullptr) << "muted again: a new panel";

    preferences().showSoundMutedIcon.setValue(false);
    settle();
    EXPECT_EQ(indicator.panel(), nullptr) << "the speaker's icon turned off";
}

TEST_F(LockMuteIndicatorUi, PillBottomCornersAreRound)
{
    platform.screens.setScreens({FakeScreens::screen(QStringLiteral("DP-1"), desktop, 24)});
    preferences().simulatedStyle.setValue(SimulatedStyle::pill);
    indicator.show();
    ASSERT_NE(indicator.panel(), nullptr);
    // A pill 150 × 20 hanging 3 points below the top edge: 278 × 23.
    EXPECT_EQ(indicator.panel()->geometry(), QRect(821, 0, 278, 23));
    // Drawn on white, the black pill shows its corners.
    QImage image(278, 23, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    indicator.panel()->scene()->render(&painter, QRectF(0, 0, 278, 23), QRectF(0, 0, 278, 23));
    painter.end();
    EXPECT_EQ(image.pixel(139, 21), qRgb(0, 0, 0)) << "the bottom edge";
    EXPECT_EQ(image.pixel(7, 22), qRgb(255, 255, 255)) << "outside the bottom-left curve of radius 10";
    EXPECT_EQ(image.pixel(270, 22), qRgb(255, 255, 255)) << "outside the bottom-right curve";
    EXPECT_EQ(image.pixel(10, 1), qRgb(255, 255, 255)) << "the gap above the pill";
}

} // namespace
