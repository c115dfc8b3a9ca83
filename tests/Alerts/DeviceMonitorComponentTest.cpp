#include "Alerts/DeviceMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/BlueZBluetooth.h"
#include "Platform/Linux/PulseAudioSystem.h"

#include "BlueZStandIn.h"
#include "PrivateBus.h"
#include "PulseServer.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr AudioScope Output = AudioScope::Output;
const QString headset = QStringLiteral("11:22:33:44:55:66");
const QString headsetName = QStringLiteral("AirPods Pro de Ana");
const QString headsetSink = QStringLiteral("bluez_output.11_22_33_44_55_66");

// The monitor over the real sound server and BlueZ's stand-in on a private
// bus (which plays the system bus); the rest of the platform is fake, with
// its manual clock.
class DeviceMonitorComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pulse.isReady()) << pulse.log().constData();
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(blueZ.isRunning());
        ASSERT_TRUE(waitUntil([&] { return bluetooth.authorization() == BluetoothAuthorization::allowedAlways; }));
        ASSERT_TRUE(blueZ.addDevice(headset, headsetName));
        ASSERT_TRUE(blueZ.makeHeadset(headset));
    }

    // The headset connects, with its battery when it tells one.
    void connectHeadset(std::optional<int> battery)
    {
        ASSERT_TRUE(blueZ.setConnected(headset, true));
        if (battery) {
            ASSERT_TRUE(blueZ.setBattery(headset, *battery));
        }
        ASSERT_TRUE(waitUntil([&] {
            const QList<BluetoothDevice> devices = bluetooth.audioDevices();
            return !devices.isEmpty() && devices[0].isConnected && devices[0].batteryCharges.size() == (battery ? 1 : 0);
        }));
    }
    // Its sound output appears and the desktop makes it the default.
    void addHeadsetSink()
    {
        m_sinkModule = PulseServer::pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + headsetSink,
                                           QStringLiteral("sink_properties=\"device.bus=bluetooth device.description='%1'\"").arg(headsetName)});
        ASSERT_FALSE(m_sinkModule.isEmpty());
        PulseServer::pactl({QStringLiteral("set-default-sink"), headsetSink});
    }
    void startAudio()
    {
        audio = std::make_unique<PulseAudioSystem>(platform.scheduler, records.filePath(QStringLiteral("stream-volumes.json")));
        model = std::make_unique<AppModel>(Services{.scheduler = platform.scheduler,
                                                    .defaults = platform.defaults,
                                                    .notifications = platform.notifications,
                                                    .workspace = platform.workspace,
                                                    .soundPlayer = platform.soundPlayer,
                                                    .audio = *audio,
                                                    .keyCapture = platform.keyCapture,
                                                    .windowServer = platform.windowServer,
                                                    .screens = platform.screens,
                                                    .eventStore = platform.eventStore,
                                                    .location = platform.location,
                                                    .credentials = platform.credentials,
                                                    .pointer = platform.pointer,
                                                    .backlights = platform.backlights,
                                                    .updates = platform.updates,
                                                    .powerSources = platform.powerSources,
                                                    .bluetooth = bluetooth,
                                                    .loginItems = platform.loginItems});
        monitor = std::make_unique<DeviceMonitor>(*model);
    }
    bool isReadyWithDefault(const QString &sink) const
    {
        return waitUntil([&] {
            return audio->connectionState() == AudioSystem::ConnectionState::Ready && audio->defaultDevice(Output) == sink && audio->device(Output, sink);
        });
    }
    std::optional<NotchAlert> strip() const { return model->alerts.current(); }

    PulseServer pulse;
    PrivateBus bus;
    BlueZStandIn blueZ{bus.address()};
    BlueZBluetooth bluetooth{bus.connect(QStringLiteral("quib"))};
    FakePlatform platform;
    QTemporaryDir records;
    std::unique_ptr<PulseAudioSystem> audio;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<DeviceMonitor> monitor;
    QString m_sinkModule;
};

} // namespace

TEST_F(DeviceMonitorComponentTest, AHeadsetConnectingShowsItsNameAndBatteryAndDisconnectingEndsTheWatch)
{
    startAudio();
    ASSERT_TRUE(isReadyWithDefault(QStringLiteral("speakers")));
    // The mixer answers a change of the output one turn later.
    platform.scheduler.advance(0.1);
    const int idle = platform.scheduler.pendingCount();

    connectHeadset(70);
    addHeadsetSink();
    ASSERT_TRUE(waitUntil([&] { return strip().has_value(); }));
    NotchAlert expected;
    expected.kind = AlertKind::device;
    expected.symbol = QStringLiteral("airpodspro");
    expected.symbolColor = Qt::white;
    expected.title = QStringLiteral("AirPods Pro");
    expected.trailing = QStringLiteral("70%");
    expected.trailingColor = Qt::white;
    expected.sideWidth = 124;
    EXPECT_EQ(strip(), expected);
    platform.scheduler.advance(10);
    EXPECT_FALSE(strip());

    // The headset goes: BlueZ reports it first, then its output leaves and
    // the server falls back to the speakers.
    ASSERT_TRUE(blueZ.setConnected(headset, false));
    ASSERT_TRUE(blueZ.removeBattery(headset));
    PulseServer::pactl({QStringLiteral("unload-module"), m_sinkModule});
    ASSERT_TRUE(isReadyWithDefault(QStringLiteral("speakers")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(strip());
    platform.scheduler.advance(0.1);
    EXPECT_EQ(platform.scheduler.pendingCount(), idle) << "no follow-up, no battery watch";
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
}

TEST_F(DeviceMonitorComponentTest, ABatteryToldLateShowsAtTheFollowUpAndTheWatchWarnsWhenItFalls)
{
    startAudio();
    ASSERT_TRUE(isReadyWithDefault(QStringLiteral("speakers")));
    connectHeadset(std::nullopt);
    addHeadsetSink();
    ASSERT_TRUE(waitUntil([&] { return strip().has_value(); }));
    EXPECT_EQ(strip()->trailing, QStringLiteral("Conectado"));

    ASSERT_TRUE(blueZ.setBattery(headset, 70));
    ASSERT_TRUE(waitUntil([&] { return DeviceMonitor::battery(bluetooth, headsetName) == 70; }));
    platform.scheduler.advance(DeviceMonitor::followUpDelay);
    ASSERT_TRUE(strip());
    EXPECT_EQ(strip()->title, QStringLiteral("AirPods Pro"));
    EXPECT_EQ(strip()->trailing, QStringLiteral("70%"));

    ASSERT_TRUE(blueZ.setBattery(headset, 15));
    ASSERT_TRUE(waitUntil([&] { return DeviceMonitor::battery(bluetooth, headsetName) == 15; }));
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    ASSERT_TRUE(strip());
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
    EXPECT_EQ(strip()->trailing, QStringLiteral("15%"));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Funk")});
}

TEST_F(DeviceMonitorComponentTest, AHeadsetAlreadyTheOutputAtStartShowsNoStripButIsWatched)
{
    connectHeadset(10);
    addHeadsetSink();
    startAudio();
    ASSERT_TRUE(isReadyWithDefault(headsetSink));
    QCoreApplication::processEvents();
    EXPECT_FALSE(strip());

    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    ASSERT_TRUE(strip());
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
    EXPECT_EQ(strip()->trailing, QStringLiteral("10%"));
}
