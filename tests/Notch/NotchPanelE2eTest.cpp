#include "NotchDesktop.h"
#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "QuibProcess.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QSize desktop(1280, 800);

class NotchPanelE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(display.isRunning());
        ASSERT_TRUE(desktopClient.isConnected());
        beforeLaunch();
        quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
        quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        app = std::make_unique<RunningQuib>(quib);
        ASSERT_TRUE(app->waitUntilReady(observer));
    }

    // What the desktop shows before the app starts.
    virtual void beforeLaunch() {}

    PrivateBus bus;
    QDBusConnection observer = bus.connect(QStringLiteral("observer"));
    PrivateDisplay display{desktop};
    NotchDesktop desktopClient{display.name(), desktop};
    QuibProcess quib;
    std::unique_ptr<RunningQuib> app;
};

// A window that is already the active one when the app starts, so nothing
// but its own state changes afterwards.
class NotchPanelWithActiveWindowE2eTest : public NotchPanelE2eTest {
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
