#include "NotchDesktop.h"
#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "PulseServer.h"
#include "QuibProcess.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QSize desktop(1280, 800);

// The real app on a private display and a private sound server: a volume key
// typed with xdotool changes the null sink and the notch shows the strip.
class HUDE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sound.isReady()) << sound.log().constData();
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(display.isRunning());
        ASSERT_TRUE(desktopClient.isConnected());
        quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
        quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        quib.environment().insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(qgetenv("PULSE_SERVER")));
        PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
        // The strip stays long enough for a screenshot to find it on a busy
        // machine.
        const QString config = quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib");
        ASSERT_TRUE(QDir().mkpath(config));
        QFile settings(config + QStringLiteral("/defaults.json"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("{\"soundDuration\": 8}");
        settings.close();
        app = std::make_unique<RunningQuib>(quib);
        ASSERT_TRUE(app->waitUntilReady(observer));
    }

    PulseServer sound;
    PrivateBus bus;
    QDBusConnection observer = bus.connect(QStringLiteral("observer"));
    PrivateDisplay display{desktop};
    NotchDesktop desktopClient{display.name(), desktop};
    QuibProcess quib;
    std::unique_ptr<RunningQuib> app;
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
