#include "DesktopAppTest.h"
#include "FakeWallClock.h"

namespace {

// The real app on a wall clock that the test steps.
class BannerClockStepE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        ASSERT_TRUE(clock.isUsable()) << "libfaketime is missing (Debian package libfaketime)";
        clock.applyTo(quib.environment());
    }

    FakeWallClock clock;
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
