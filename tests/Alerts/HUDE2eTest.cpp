#include "DesktopAppTest.h"
#include "PulseServer.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

namespace {

// The real app on a private display and a private sound server: a volume key
// typed with xdotool changes the null sink and the notch shows the strip.
class HUDE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        ASSERT_TRUE(sound.isReady()) << sound.log().constData();
        quib.environment().insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(qgetenv("PULSE_SERVER")));
        PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
        // The strip stays long enough for a screenshot to find it on a busy
        // machine.
        quib.writeDefaults(QByteArray("{\"soundDuration\": 8}"));
    }

    PulseServer sound;
};

} // namespace

// The simulated notch is 190 × 32; the volume strip with its number adds a
// side of 100 on each side: 390 × 32, for the duration setting.
TEST_F(HUDE2eTest, VolumeKeyRaisesTheSinkAndTheNotchShowsTheLevelStrip)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    // The notch on screen means launching has finished: the keys are taken.
    display.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(waitUntil([] { return PulseServer::pactl({"get-sink-volume", "speakers"}).contains("/  56% /"); }))
        << PulseServer::pactl({"get-sink-volume", "speakers"}).toStdString();
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(390, 32), 7000))
        << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
    EXPECT_TRUE(desktopClient.waitForNotch(QSize(190, 32), 15000)) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
}
