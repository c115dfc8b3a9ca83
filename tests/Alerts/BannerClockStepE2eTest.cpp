#include "FakeWallClock.h"
#include "NotchDesktop.h"
#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "QuibProcess.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const QSize desktop(1280, 800);

// The real app on a wall clock that the test steps.
class BannerClockStepE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(display.isRunning());
        ASSERT_TRUE(desktopClient.isConnected());
        ASSERT_TRUE(clock.isUsable()) << "libfaketime is missing (Debian package libfaketime)";
        quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
        quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        clock.applyTo(quib.environment());
        app = std::make_unique<RunningQuib>(quib);
        ASSERT_TRUE(app->waitUntilReady(observer));
    }

    FakeWallClock clock;
    PrivateBus bus;
    QDBusConnection observer = bus.connect(QStringLiteral("observer"));
    PrivateDisplay display{desktop};
    NotchDesktop desktopClient{display.name(), desktop};
    QuibProcess quib;
    std::unique_ptr<RunningQuib> app;
};

} // namespace

// A banner of 4 s while the wall clock steps back a minute: it goes after
// its 4 s, long before the minute that the step would add to a deadline on
// the wall clock.
TEST_F(BannerClockStepE2eTest, BannerHidesOnTimeWhenTheWallClockStepsBack)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    const auto result = quib.run({QStringLiteral("notify"), QStringLiteral("--title"), QStringLiteral("T"), QStringLiteral("--body"), QStringLiteral("B"),
                                  QStringLiteral("--duration"), QStringLiteral("4")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(380, 104))) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();

    ASSERT_TRUE(clock.setOffset(-60));
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32), 25000))
        << "the banner still shows; last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
    EXPECT_TRUE(app->isRunning());
}
