#include "Notch/NotchState.h"
#include "../Notch/NotchFixture.h"
#include "LockScreen/LockMuteIndicator.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QRect desktop(0, 0, 1920, 1080);

NotchMetrics notch(double width, double height, double topInset = 0, bool pill = false)
{
    NotchMetrics metrics;
    metrics.notchSize = QSizeF(width, height);
    metrics.topInset = topInset;
    metrics.isPill = pill;
    return metrics;
}

TEST(LockMuteIndicator, LayoutWidensTheNotchAtTheTopOfItsScreen)
{
    const Screens::Screen screen = FakeScreens::screen(QStringLiteral("DP-1"), desktop, 24);
    struct Row {
        const char *name;
        Screens::Screen screen;
        NotchMetrics metrics;
        LockMuteIndicator::Layout layout;
    };
    const Screens::Screen right = FakeScreens::screen(QStringLiteral("DP-2"), QRect(1920, -200, 1280, 800), 24);
    const Row rows[] = {
        {"a notch 200 × 32", screen, notch(200, 32), {QRect(796, 0, 328, 32), {328, 32, 6, std::min(32 * 0.38, 13.0)}, QRectF(0, 0, 328, 32)}},
        {"an odd width rounds the place away from zero",
         screen,
         notch(201, 32),
         {QRect(796, 0, 329, 32), {329, 32, 6, std::min(32 * 0.38, 13.0)}, QRectF(0, 0, 329, 32)}},
        {"a fractional width", screen, notch(185.5, 30), {QRect(803, 0, 314, 30), {313.5, 30, 6, 11.4}, QRectF(0.25, 0, 313.5, 30)}},
        {"a pill hangs below its gap, round at the bottom",
         screen,
         notch(150, 20, 3, true),
         {QRect(821, 0, 278, 23), {278, 20, 6, 10}, QRectF(0, 3, 278, 20)}},
        {"a screen beside the first", right, notch(190, 24), {QRect(2401, -200, 318, 24), {318, 24, 6, 24 * 0.38}, QRectF(0, 0, 318, 24)}},
    };
    for (const Row &row : rows) {
        const LockMuteIndicator::Layout layout = LockMuteIndicator::layout(row.screen, row.metrics);
        EXPECT_EQ(layout.frame, row.layout.frame) << row.name;
        EXPECT_DOUBLE_EQ(layout.shape.width, row.layout.shape.width) << row.name;
        EXPECT_DOUBLE_EQ(layout.shape.height, row.layout.shape.height) << row.name;
        EXPECT_DOUBLE_EQ(layout.shape.top, row.layout.shape.top) << row.name;
        EXPECT_DOUBLE_EQ(layout.shape.bottom, row.layout.shape.bottom) << row.name;
        EXPECT_EQ(layout.content, row.layout.content) << row.name;
    }
}

TEST(LockMuteIndicator, NotchScreenIsTheFirstWithACameraHousing)
{
    const Screens::Screen plain = FakeScreens::screen(QStringLiteral("DP-1"), desktop, 24);
    const Screens::Screen notched = FakeScreens::notchedScreen(QStringLiteral("eDP-1"), QRect(1920, 0, 1512, 982), 32, 200, 32);
    const Screens::Screen other = FakeScreens::notchedScreen(QStringLiteral("eDP-2"), QRect(3432, 0, 1512, 982), 32, 200, 32);
    EXPECT_EQ(LockMuteIndicator::notchScreen({plain, notched, other}), notched);
    EXPECT_EQ(LockMuteIndicator::notchScreen({plain, other}), other);
    EXPECT_EQ(LockMuteIndicator::notchScreen({plain}), plain);
    EXPECT_EQ(LockMuteIndicator::notchScreen({}), std::nullopt);
}

class LockMuteIndicatorWants : public ::testing::Test, public NotchFixture {};

TEST_F(LockMuteIndicatorWants, OnlyWhileLockedWithAMutedDeviceWhoseIconIsOn)
{
    LockMuteIndicator indicator(*app);
    EXPECT_FALSE(indicator.isLocked());
    app->micMute.setMuted(true);
    ASSERT_TRUE(app->micMute.isMuted());
    EXPECT_FALSE(indicator.wantsIndicator()) << "unlocked";

    indicator.setLocked(true);
    EXPECT_TRUE(indicator.wantsIndicator());
    preferences().showMicMutedIcon.setValue(false);
    EXPECT_FALSE(indicator.wantsIndicator()) << "the microphone's icon is off";

    muteOutput(true);
    ASSERT_TRUE(app->outputMute.isMuted());
    EXPECT_TRUE(indicator.wantsIndicator());
    preferences().showSoundMutedIcon.setValue(false);
    EXPECT_FALSE(indicator.wantsIndicator());
}

} // namespace
