#include "Alerts/DeviceMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

constexpr AudioScope Output = AudioScope::Output;
const QString speakers = QStringLiteral("speakers");
const QString earbuds = QStringLiteral("earbuds");
const QString usb = QStringLiteral("usb");
const QString earbudsName = QStringLiteral("AirPods Pro de Ana");

AudioDevice outputDevice(const QString &id, const QString &name, bool isBluetooth)
{
    AudioDevice device = FakeAudioSystem::switchedDevice(id);
    device.name = name;
    device.isBluetooth = isBluetooth;
    return device;
}

// The monitor over fakes: built-in speakers as the default output, a wired
// USB headset, and Bluetooth earbuds whose buds report 80 and 60 %. `arrange`
// runs before the monitor is created.
struct Rig {
    explicit Rig(const std::function<void(Rig &)> &arrange = {})
    {
        platform.audio.addDevice(Output, outputDevice(speakers, QStringLiteral("Alto-falantes internos"), false));
        platform.audio.addDevice(Output, outputDevice(usb, QStringLiteral("Headset USB"), false));
        platform.audio.addDevice(Output, outputDevice(earbuds, earbudsName, true));
        platform.audio.defaults[Output] = speakers;
        platform.bluetooth.devices = {{earbudsName, true, {80, 60}}};
        if (arrange)
            arrange(*this);
        monitor.emplace(model);
    }

    void setCharges(QList<quint32> charges) { platform.bluetooth.devices[0].batteryCharges = std::move(charges); }
    std::optional<NotchAlert> strip() const { return model.alerts.current(); }
    QStringList sounds() const { return platform.soundPlayer.played(); }

    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<DeviceMonitor> monitor;
};

class DeviceMonitorTest : public ::testing::Test, protected Rig {};

NotchAlert deviceStrip(const QString &symbol, const QColor &symbolColor, const QString &title, const QString &trailing, const QColor &trailingColor)
{
    NotchAlert alert;
    alert.kind = AlertKind::device;
    alert.symbol = symbol;
    alert.symbolColor = symbolColor;
    alert.title = title;
    alert.trailing = trailing;
    alert.trailingColor = trailingColor;
    alert.sideWidth = 124;
    return alert;
}

const QColor white = Qt::white;
const QColor dimmedWhite = QColor::fromRgbF(1, 1, 1, 0.7f);

} // namespace

TEST(DeviceMonitorShortName, KeepsTheDeviceWordsOfAPersonalName)
{
    const struct {
        const char *name;
        QString given;
        QString shown;
    } cases[] = {
        {"owner after de", QStringLiteral("AirPods de Ana"), QStringLiteral("AirPods")},
        {"owner after do", QStringLiteral("Fone do Pedro"), QStringLiteral("Fone")},
        {"owner after da", QStringLiteral("Caixa da Sala"), QStringLiteral("Caixa")},
        {"typographic apostrophe", QStringLiteral("Ana\u2019s AirPods"), QStringLiteral("AirPods")},
        {"plain apostrophe", QStringLiteral("Ana's AirPods Pro"), QStringLiteral("AirPods Pro")},
        {"separators in list order, not position", QStringLiteral("Fone do Pedro de Ana"), QStringLiteral("Fone do Pedro")},
        {"first occurrence", QStringLiteral("Caixa de Som de Ana"), QStringLiteral("Caixa")},
        {"empty candidate tries the next separator", QStringLiteral(" da Sala's Caixa"), QStringLiteral("Caixa")},
        {"no separator fits", QStringLiteral(" da Sala"), QStringLiteral(" da Sala")},
        {"nothing after the apostrophe", QStringLiteral("Ana's "), QStringLiteral("Ana's ")},
        {"separator needs both spaces", QStringLiteral("Fone deAna"), QStringLiteral("Fone deAna")},
        {"case-sensitive", QStringLiteral("Fone DE Ana"), QStringLiteral("Fone DE Ana")},
        {"plain name", QStringLiteral("WH-1000XM4"), QStringLiteral("WH-1000XM4")},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DeviceMonitor::shortName(row.given), row.shown);
    }
}

TEST(DeviceMonitorBattery, TakesTheLowestKnownChargeOfTheFirstMatchingConnectedDevice)
{
    const struct {
        const char *name;
        QList<BluetoothDevice> devices;
        QString asked;
        std::optional<int> battery;
    } cases[] = {
        {"left and right: the lower", {{"AirPods Pro de Ana", true, {80, 60}}}, QStringLiteral("AirPods Pro de Ana"), 60},
        {"0 and above 100 are unknown", {{"AirPods", true, {0, 101, 45, 200}}}, QStringLiteral("AirPods"), 45},
        {"100 counts", {{"AirPods", true, {100}}}, QStringLiteral("AirPods"), 100},
        {"1 counts", {{"AirPods", true, {1, 0}}}, QStringLiteral("AirPods"), 1},
        {"no known charge", {{"AirPods", true, {0, 101}}}, QStringLiteral("AirPods"), std::nullopt},
        {"no charge at all", {{"AirPods", true, {}}}, QStringLiteral("AirPods"), std::nullopt},
        {"asked name contains the device's", {{"AirPods", true, {70}}}, QStringLiteral("AirPods de Ana"), 70},
        {"device's name contains the asked one", {{"AirPods de Ana", true, {70}}}, QStringLiteral("AirPods"), 70},
        {"names compared case-sensitively", {{"AirPods", true, {70}}}, QStringLiteral("airpods"), std::nullopt},
        {"disconnected device skipped", {{"AirPods", false, {70}}, {"AirPods", true, {30}}}, QStringLiteral("AirPods"), 30},
        {"unnamed device skipped (it would match anything)", {{"", true, {10}}}, QStringLiteral("AirPods"), std::nullopt},
        {"a match without a charge goes on", {{"AirPods", true, {}}, {"AirPods de Ana", true, {55}}}, QStringLiteral("AirPods de Ana"), 55},
        {"the first match with a charge wins", {{"AirPods", true, {90}}, {"AirPods de Ana", true, {20}}}, QStringLiteral("AirPods de Ana"), 90},
        {"no match", {{"Caixa", true, {50}}}, QStringLiteral("AirPods"), std::nullopt},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        FakeBluetooth bluetooth;
        bluetooth.devices = row.devices;
        EXPECT_EQ(DeviceMonitor::battery(bluetooth, row.asked), row.battery);
    }
}

TEST(DeviceMonitorBattery, IsUnknownUnlessBluetoothIsAllowed)
{
    FakeBluetooth bluetooth;
    bluetooth.devices = {{"AirPods", true, {70}}};
    for (const auto authorization : {BluetoothAuthorization::notDetermined, BluetoothAuthorization::restricted, BluetoothAuthorization::denied}) {
        bluetooth.authorizationStatus = authorization;
        EXPECT_EQ(DeviceMonitor::battery(bluetooth, QStringLiteral("AirPods")), std::nullopt) << int(authorization);
    }
}

TEST_F(DeviceMonitorTest, SwitchingToBluetoothEarbudsShowsTheirShortNameAndLowerCharge)
{
    platform.audio.changeDefault(Output, earbuds);
    const NotchAlert connected = deviceStrip(QStringLiteral("airpodspro"), white, QStringLiteral("AirPods Pro"), QStringLiteral("60%"), white);
    EXPECT_EQ(strip(), connected);
    // The follow-up reads the battery again and shows the strip anew, for
    // the setting deviceDuration (4 s) from then.
    platform.scheduler.advance(DeviceMonitor::followUpDelay);
    EXPECT_EQ(strip(), connected);
    platform.scheduler.advance(3.9);
    EXPECT_TRUE(strip());
    platform.scheduler.advance(0.1);
    EXPECT_FALSE(strip());
    EXPECT_TRUE(sounds().isEmpty());
}

TEST_F(DeviceMonitorTest, ThePercentageIsRedAtOrBelowTheWholeThreshold)
{
    const struct {
        double threshold;
        QList<quint32> charges;
        QString trailing;
        QColor color;
    } cases[] = {
        {20, {80, 60}, QStringLiteral("60%"), white},
        {60, {80, 60}, QStringLiteral("60%"), DeviceMonitor::lowRed()},
        {60.9, {61}, QStringLiteral("61%"), white},
        {59.9, {60}, QStringLiteral("60%"), white},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.threshold);
        model.preferences.deviceLowThreshold.setValue(row.threshold);
        setCharges(row.charges);
        platform.audio.changeDefault(Output, earbuds);
        ASSERT_TRUE(strip());
        EXPECT_EQ(strip()->trailing, row.trailing);
        EXPECT_EQ(strip()->trailingColor, row.color);
        EXPECT_EQ(strip()->title, QStringLiteral("AirPods Pro")) << "the strip, not a low-battery warning";
        platform.audio.changeDefault(Output, speakers);
        platform.scheduler.advance(10);
    }
}

TEST_F(DeviceMonitorTest, AtTheThresholdTheLowBatteryWarningFollowsTheStripOnce)
{
    model.preferences.deviceLowThreshold.setValue(60);
    platform.audio.changeDefault(Output, earbuds);
    EXPECT_EQ(strip()->title, QStringLiteral("AirPods Pro"));
    platform.scheduler.advance(2.4);
    EXPECT_EQ(strip()->title, QStringLiteral("AirPods Pro"));
    EXPECT_TRUE(sounds().isEmpty());
    platform.scheduler.advance(0.1);
    const NotchAlert low = deviceStrip(QStringLiteral("airpodspro"), DeviceMonitor::lowRed(), QStringLiteral("Bateria fraca"), QStringLiteral("60%"),
                                       DeviceMonitor::lowRed());
    EXPECT_EQ(strip(), low);
    EXPECT_EQ(sounds(), QStringList{QStringLiteral("Funk")});

    // The watch finds it low again: the warning was given for this connection.
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval * 3);
    EXPECT_FALSE(strip());
    EXPECT_EQ(sounds().size(), 1);
}

TEST_F(DeviceMonitorTest, ABatteryReportedLateReplacesConnectedAndRestartsTheDuration)
{
    setCharges({});
    platform.audio.changeDefault(Output, earbuds);
    EXPECT_EQ(strip(), deviceStrip(QStringLiteral("airpodspro"), white, QStringLiteral("AirPods Pro"), QStringLiteral("Conectado"), dimmedWhite));
    setCharges({75});
    platform.scheduler.advance(2.5);
    EXPECT_EQ(strip(), deviceStrip(QStringLiteral("airpodspro"), white, QStringLiteral("AirPods Pro"), QStringLiteral("75%"), white));
    platform.scheduler.advance(3.9);
    EXPECT_TRUE(strip()) << "4 s from the new strip, not from the first";
    platform.scheduler.advance(0.1);
    EXPECT_FALSE(strip());
}

TEST(DeviceMonitorFollowUp, AsksOnlyWhileTheDeviceStripStillShowsForThatDevice)
{
    const auto nothing = [](Rig &) {};
    const struct {
        const char *name;
        std::function<void(Rig &)> arrange;
        std::function<void(Rig &)> meanwhile;
        std::optional<QString> shownAfter;
    } cases[] = {
        {"the strip still shows", nothing, nothing, QStringLiteral("75%")},
        {"the strip hid", [](Rig &rig) { rig.model.preferences.deviceDuration.setValue(2); }, nothing, std::nullopt},
        {"another kind of strip shows", nothing,
         [](Rig &rig) {
             NotchAlert volume;
             volume.kind = AlertKind::volume;
             volume.trailing = QStringLiteral("50%");
             rig.model.alerts.show(volume, 4);
         },
         QStringLiteral("50%")},
        {"the output changed", nothing, [](Rig &rig) { rig.platform.audio.changeDefault(Output, usb); }, QStringLiteral("Conectado")},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        Rig rig([&](Rig &rig) {
            rig.setCharges({});
            row.arrange(rig);
        });
        rig.platform.audio.changeDefault(Output, earbuds);
        rig.setCharges({75});
        row.meanwhile(rig);
        rig.platform.scheduler.advance(DeviceMonitor::followUpDelay);
        EXPECT_EQ(rig.strip() ? rig.strip()->trailing : std::nullopt, row.shownAfter);
    }
}

TEST_F(DeviceMonitorTest, TheSameDeviceReportedAgainShowsNoSecondStrip)
{
    platform.audio.changeDefault(Output, earbuds);
    platform.scheduler.advance(10);
    ASSERT_FALSE(strip());
    platform.audio.changeDefault(Output, earbuds);
    EXPECT_FALSE(strip());
}

TEST_F(DeviceMonitorTest, WiredAndBuiltInOutputsShowNothingAndStopTheWatch)
{
    const int idle = platform.scheduler.pendingCount();
    platform.audio.changeDefault(Output, earbuds);
    platform.scheduler.advance(10);
    EXPECT_EQ(platform.scheduler.pendingCount(), idle + 1) << "the battery watch";
    for (const QString &device : {usb, speakers}) {
        SCOPED_TRACE(device.toStdString());
        platform.audio.changeDefault(Output, device);
        EXPECT_FALSE(strip());
        // The mixer answers the change one turn later.
        platform.scheduler.advance(0.1);
        EXPECT_EQ(platform.scheduler.pendingCount(), idle);
    }
}

TEST_F(DeviceMonitorTest, UnreadableOrUnnamedOutputsShowNothing)
{
    AudioDevice unnamed = outputDevice(QStringLiteral("unnamed"), QString(), true);
    platform.audio.addDevice(Output, unnamed);
    for (const QString &device : {QStringLiteral("unnamed"), QStringLiteral("unknown"), QString()}) {
        SCOPED_TRACE(device.toStdString());
        platform.audio.changeDefault(Output, device);
        EXPECT_FALSE(strip());
    }
}

TEST_F(DeviceMonitorTest, WithoutBluetoothPermissionTheStripSaysConnectedAndNothingWarns)
{
    platform.bluetooth.authorizationStatus = BluetoothAuthorization::denied;
    model.preferences.deviceLowThreshold.setValue(90);
    platform.audio.changeDefault(Output, earbuds);
    EXPECT_EQ(strip()->trailing, QStringLiteral("Conectado"));
    platform.scheduler.advance(2.5);
    EXPECT_EQ(strip()->trailing, QStringLiteral("Conectado"));
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_FALSE(strip());
    EXPECT_TRUE(sounds().isEmpty());
}

TEST_F(DeviceMonitorTest, WithDeviceAlertsOffNothingShowsButTheWatchRuns)
{
    model.preferences.deviceAlerts.setValue(false);
    model.preferences.deviceLowThreshold.setValue(60);
    platform.audio.changeDefault(Output, earbuds);
    EXPECT_FALSE(strip());
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_FALSE(strip());
    model.preferences.deviceAlerts.setValue(true);
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca")) << "the watch kept running";
}

TEST_F(DeviceMonitorTest, TheWatchWarnsOncePerConnectionWhenTheBatteryFalls)
{
    setCharges({50});
    platform.audio.changeDefault(Output, earbuds);
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_FALSE(strip());

    setCharges({20});
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
    EXPECT_EQ(strip()->trailing, QStringLiteral("20%"));
    EXPECT_EQ(sounds(), QStringList{QStringLiteral("Funk")});

    // Charged in between, then low again: still the same connection.
    setCharges({90});
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    setCharges({10});
    platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
    EXPECT_FALSE(strip());

    // A new connection warns again (at its follow-up).
    platform.audio.changeDefault(Output, speakers);
    platform.audio.changeDefault(Output, earbuds);
    platform.scheduler.advance(DeviceMonitor::followUpDelay);
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
    EXPECT_EQ(sounds().size(), 2);
}

TEST_F(DeviceMonitorTest, TheLowBatterySettingsSilenceTheWarningOrItsSound)
{
    const struct {
        const char *name;
        std::function<void(Preferences &)> set;
        bool warns;
        bool sounds;
    } cases[] = {
        {"everything on", [](Preferences &) {}, true, true},
        {"no sound", [](Preferences &preferences) { preferences.soundOnDeviceLowBattery.setValue(false); }, true, false},
        {"no warning", [](Preferences &preferences) { preferences.warnDeviceLowBattery.setValue(false); }, false, false},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        Rig rig([&](Rig &rig) { row.set(rig.model.preferences); });
        rig.setCharges({15});
        rig.platform.audio.changeDefault(Output, earbuds);
        rig.platform.scheduler.advance(DeviceMonitor::followUpDelay);
        EXPECT_EQ(rig.strip()->title, row.warns ? QStringLiteral("Bateria fraca") : QStringLiteral("AirPods Pro"));
        EXPECT_EQ(rig.sounds().contains(QStringLiteral("Funk")), row.sounds);
    }
}

TEST(DeviceMonitorStart, TakesTheOutputFoundAtStartWithoutAStripAndWatchesIt)
{
    for (const bool connected : {true, false}) {
        SCOPED_TRACE(connected ? "sound server ready at start" : "sound server connected after start");
        Rig rig([&](Rig &rig) {
            rig.platform.audio.defaults[Output] = earbuds;
            rig.setCharges({10});
            if (!connected)
                rig.platform.audio.state = AudioSystem::ConnectionState::Connecting;
        });
        if (!connected) {
            rig.platform.audio.state = AudioSystem::ConnectionState::Ready;
            Q_EMIT rig.platform.audio.connectionStateChanged(AudioSystem::ConnectionState::Ready);
            Q_EMIT rig.platform.audio.defaultDeviceChanged(Output);
        }
        EXPECT_FALSE(rig.strip());
        rig.platform.scheduler.advance(DeviceMonitor::batteryWatchInterval);
        ASSERT_TRUE(rig.strip());
        EXPECT_EQ(rig.strip()->title, QStringLiteral("Bateria fraca"));
    }
}
