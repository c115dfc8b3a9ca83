#include "Alerts/BatteryMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/UPowerPowerSources.h"

#include "DBusMockTemplate.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDBusVariant>

#include <gtest/gtest.h>

namespace {

const QString displayDevice = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");

// UPower's battery type and states.
constexpr uint battery = 2;
constexpr uint charging = 1;
constexpr uint discharging = 2;

// The monitor on the app's model, whose power sources are the UPower backend
// against dbusmock's UPower and power-profiles-daemon on a private bus; the
// other services are fakes.
class BatteryMonitorComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(upower.start()) << upower.log().constData();
        ASSERT_TRUE(profiles.start()) << profiles.log().constData();
        setDisplayDevice(charging, 80.0);
        sources = std::make_unique<UPowerPowerSources>(bus.connect(QStringLiteral("quib")));
        const Services fakes = platform.services();
        const Services services{fakes.scheduler, fakes.defaults, fakes.notifications, fakes.workspace, fakes.soundPlayer, fakes.audio,
                                fakes.keyCapture, fakes.windowServer, fakes.screens, fakes.eventStore, fakes.location, fakes.credentials,
                                fakes.pointer, fakes.backlights, fakes.updates, *sources, fakes.bluetooth, fakes.sessionLock, fakes.loginItems};
        model = std::make_unique<AppModel>(services);
        monitor = std::make_unique<BatteryMonitor>(*model);
        ASSERT_TRUE(waitUntil([this] { return BatteryMonitor::read(*sources).has_value(); }));
    }

    void setDisplayDevice(uint state, double percentage)
    {
        const QVariantMap properties{{QStringLiteral("Type"), QVariant::fromValue(battery)},
                                     {QStringLiteral("State"), QVariant::fromValue(state)},
                                     {QStringLiteral("Percentage"), percentage},
                                     {QStringLiteral("IsPresent"), true}};
        ASSERT_TRUE(upower.updateProperties(displayDevice, deviceInterface, properties)) << upower.log().constData();
    }

    std::optional<QString> stripTitle() const
    {
        const auto strip = model->alerts.current();
        return strip ? strip->title : std::nullopt;
    }

    FakePlatform platform;
    PrivateBus bus;
    DBusMockTemplate upower{bus.address(), QStringLiteral("upower"), QStringLiteral("org.freedesktop.UPower")};
    DBusMockTemplate profiles{bus.address(), QStringLiteral("power_profiles_daemon"), QStringLiteral("net.hadess.PowerProfiles")};
    std::unique_ptr<UPowerPowerSources> sources;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<BatteryMonitor> monitor;
};

} // namespace

TEST_F(BatteryMonitorComponentTest, UnpluggingTheChargerShowsOnBattery)
{
    // The first reading came after the monitor started: it only recorded the
    // charger.
    EXPECT_EQ(model->alerts.current(), std::nullopt);

    setDisplayDevice(discharging, 79.6);
    ASSERT_TRUE(waitUntil([this] { return stripTitle() == QStringLiteral("Na bateria"); }));
    const NotchAlert strip = *model->alerts.current();
    EXPECT_EQ(strip.kind, AlertKind::battery);
    EXPECT_EQ(strip.symbol, QStringLiteral("battery.75percent"));
    EXPECT_EQ(strip.trailing, QStringLiteral("80%"));

    setDisplayDevice(charging, 79.6);
    ASSERT_TRUE(waitUntil([this] { return stripTitle() == QStringLiteral("Carregando"); }));
}

TEST_F(BatteryMonitorComponentTest, FallingToTheThresholdWarnsWithTheSound)
{
    setDisplayDevice(discharging, 10.2);
    ASSERT_TRUE(waitUntil([this] { return stripTitle() == QStringLiteral("Bateria fraca"); }));
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("10%"));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Funk")});
}

TEST_F(BatteryMonitorComponentTest, ThePowerSaverProfileShowsLowPower)
{
    ASSERT_TRUE(profiles.call(QStringLiteral("/net/hadess/PowerProfiles"), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                              {QStringLiteral("net.hadess.PowerProfiles"), QStringLiteral("ActiveProfile"),
                               QVariant::fromValue(QDBusVariant(QStringLiteral("power-saver")))}))
        << profiles.log().constData();
    ASSERT_TRUE(waitUntil([this] { return stripTitle() == QStringLiteral("Pouca Energia"); }));
    EXPECT_EQ(model->alerts.current()->symbolColor, BatteryMonitor::lowPowerAmber());
}
