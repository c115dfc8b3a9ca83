#include "DesktopAppTest.h"
#include "Wait.h"

namespace {

using NotchPanelE2eTest = DesktopAppTest;

// A window that is already the active one when the app starts, so nothing
// but its own state changes afterwards.
class NotchPanelWithActiveWindowE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override { window = desktopClient.showWindow(QRect(100, 600, 200, 100), NotchDesktop::Shade::black); }

    xcb_window_t window = XCB_NONE;
};

} // namespace

// The private display has no top panel and no compositor: a simulated notch
// of 190 × 32, a banner of 380 × 104 (the notch height plus 72).
TEST_F(NotchPanelE2eTest, NotchShowsAtTheTopCentreAndABannerGrowsItForItsDuration)
{
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32))) << "last seen " << desktopClient.last().x() << "," << desktopClient.last().y() << " "
                                                            << desktopClient.last().width() << "x" << desktopClient.last().height();

    const auto result = quib.run({QStringLiteral("notify"), QStringLiteral("--title"), QStringLiteral("T"), QStringLiteral("--body"),
                                  QStringLiteral("B"), QStringLiteral("--duration"), QStringLiteral("2")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(380, 104))) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32))) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
}

TEST_F(NotchPanelE2eTest, FullScreenWindowHidesTheNotchOfItsScreen)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    desktopClient.showFullScreenWindow();
    EXPECT_TRUE(waitUntil([&] { return desktopClient.notchBounds().top() > 0 || desktopClient.notchBounds().isEmpty(); }, 5000));
    // Only the window is left to see.
    EXPECT_EQ(desktopClient.notchBounds(), QRect(100, 600, 200, 100).intersected(QRect(0, 0, desktop.width(), 400)));
}

TEST_F(NotchPanelWithActiveWindowE2eTest, ActiveWindowGoingFullScreenByItselfHidesTheNotchUntilItLeaves)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    desktopClient.setFullScreen(window, true);
    EXPECT_TRUE(waitUntil([&] { return desktopClient.notchBounds().top() > 0 || desktopClient.notchBounds().isEmpty(); }, 5000));
    desktopClient.setFullScreen(window, false);
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
}

TEST_F(NotchPanelE2eTest, WindowMappedLaterOverTheNotchLeavesItInFront)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    // A white window hides the notch from the screenshot wherever it covers
    // it.
    desktopClient.showWindow(QRect(340, 0, 600, 300), NotchDesktop::Shade::white);
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32))) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
}
