#include "Platform/Linux/UPowerPowerSources.h"

#include "DBusMockTemplate.h"
#include "PowerSourcesPrinter.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDBusVariant>

#include <gtest/gtest.h>

using Battery = PowerSources::InternalBattery;

namespace {

const QString upowerService = QStringLiteral("org.freedesktop.UPower");
const QString displayDevice = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString profilesService = QStringLiteral("net.hadess.PowerProfiles");

// UPower's device types and battery states.
constexpr uint battery = 2;
constexpr uint linePower = 1;
constexpr uint charging = 1;
constexpr uint discharging = 2;
constexpr uint fullyCharged = 4;
constexpr uint unknownState = 0;

QVariantMap displayDeviceState(uint type, uint state, double percentage)
{
    return {{QStringLiteral("Type"), QVariant::fromValue(type)},
            {QStringLiteral("State"), QVariant::fromValue(state)},
            {QStringLiteral("Percentage"), percentage},
            {QStringLiteral("IsPresent"), type == battery}};
}

// The backend against dbusmock's UPower and power-profiles-daemon on a
// private bus that serves as the system bus.
class UPowerPowerSourcesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(upower.start()) << upower.log().constData();
    }

    // Sets the display device in one change signal.
    void setDisplayDevice(uint type, uint state, double percentage)
    {
        ASSERT_TRUE(upower.updateProperties(displayDevice, deviceInterface, displayDeviceState(type, state, percentage))) << upower.log().constData();
    }

    void setProfile(const QString &profile)
    {
        ASSERT_TRUE(profiles.call(QStringLiteral("/net/hadess/PowerProfiles"), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                                  {profilesService, QStringLiteral("ActiveProfile"), QVariant::fromValue(QDBusVariant(profile))}))
            << profiles.log().constData();
    }

    // Creates the backend and waits for UPower's first answer.
    void createSources()
    {
        sources = std::make_unique<UPowerPowerSources>(bus.connect(QStringLiteral("quib")));
        sources->observeChanges([this] { ++changes; });
        sources->observeLowPowerMode([this] { ++modeSwitches; });
        ASSERT_TRUE(waitUntil([this] { return changes > 0; }));
    }

    PrivateBus bus;
    DBusMockTemplate upower{bus.address(), QStringLiteral("upower"), upowerService};
    DBusMockTemplate profiles{bus.address(), QStringLiteral("power_profiles_daemon"), profilesService};
    std::unique_ptr<UPowerPowerSources> sources;
    int changes = 0;
    int modeSwitches = 0;
};

} // namespace

TEST_F(UPowerPowerSourcesTest, IsAvailableOnlyWhileUPowerIsOnTheBus)
{
    QDBusConnection connection = bus.connect(QStringLiteral("probe"));
    EXPECT_TRUE(UPowerPowerSources::isAvailable(connection));
    ASSERT_TRUE(upower.stop());
    EXPECT_FALSE(UPowerPowerSources::isAvailable(connection));
}

TEST_F(UPowerPowerSourcesTest, TheDisplayDeviceIsTheBatteryAndItsChangesAreReported)
{
    setDisplayDevice(battery, charging, 57.4);
    createSources();
    EXPECT_EQ(sources->internalBattery(), (Battery{57.4, 100.0, true, true}));

    const int before = changes;
    setDisplayDevice(battery, discharging, 56.0);
    ASSERT_TRUE(waitUntil([&] { return changes > before; }));
    EXPECT_EQ(sources->internalBattery(), (Battery{56.0, 100.0, false, false}));

    // A full battery on the charger no longer charges.
    setDisplayDevice(battery, fullyCharged, 100.0);
    ASSERT_TRUE(waitUntil([&] { return sources->internalBattery() == Battery{100.0, 100.0, false, true}; })) << testing::PrintToString(sources->internalBattery());
}

TEST_F(UPowerPowerSourcesTest, AnUnknownStateKeepsThePlugState)
{
    setDisplayDevice(battery, charging, 40.0);
    createSources();
    setDisplayDevice(battery, unknownState, 41.0);
    ASSERT_TRUE(waitUntil([&] { return sources->internalBattery() && sources->internalBattery()->currentCapacity == 41.0; }));
    EXPECT_TRUE(sources->internalBattery()->isOnACPower);
    EXPECT_FALSE(sources->internalBattery()->isCharging);
}

TEST_F(UPowerPowerSourcesTest, AComputerWithoutABatteryHasNone)
{
    // UPower's display device of a desktop: no type, nothing present.
    createSources();
    EXPECT_EQ(sources->internalBattery(), std::nullopt);
    // Only a mains supply: still no battery.
    setDisplayDevice(linePower, unknownState, 0.0);
    ASSERT_TRUE(waitUntil([&] { return changes > 1; }));
    EXPECT_EQ(sources->internalBattery(), std::nullopt);
}

TEST_F(UPowerPowerSourcesTest, UPowerLeavingTakesTheBatteryAndComingBackReadsItAgain)
{
    setDisplayDevice(battery, discharging, 30.0);
    createSources();
    ASSERT_TRUE(sources->internalBattery());

    ASSERT_TRUE(upower.stop());
    ASSERT_TRUE(waitUntil([&] { return !sources->internalBattery(); }));

    ASSERT_TRUE(upower.start()) << upower.log().constData();
    setDisplayDevice(battery, charging, 31.0);
    ASSERT_TRUE(waitUntil([&] { return sources->internalBattery() == Battery{31.0, 100.0, true, true}; })) << testing::PrintToString(sources->internalBattery());
}

TEST_F(UPowerPowerSourcesTest, ThePowerSaverProfileIsLowPowerModeAndOnlyItsSwitchesAreReported)
{
    ASSERT_TRUE(profiles.start()) << profiles.log().constData();
    createSources();
    // The profile at start ("balanced") is a state, not a switch; it was
    // asked for before the change below, so it is answered first.

    setProfile(QStringLiteral("power-saver"));
    ASSERT_TRUE(waitUntil([&] { return modeSwitches == 1; }));
    EXPECT_TRUE(sources->isLowPowerModeEnabled());

    setProfile(QStringLiteral("balanced"));
    ASSERT_TRUE(waitUntil([&] { return modeSwitches == 2; }));
    EXPECT_FALSE(sources->isLowPowerModeEnabled());

    // Balanced to performance is no switch of the mode; the signals arrive in
    // order, so once the mode is on again both were handled.
    setProfile(QStringLiteral("performance"));
    setProfile(QStringLiteral("power-saver"));
    ASSERT_TRUE(waitUntil([&] { return sources->isLowPowerModeEnabled(); }));
    EXPECT_EQ(modeSwitches, 3);
}

TEST_F(UPowerPowerSourcesTest, AProfilesDaemonThatStartsLaterIsFollowed)
{
    createSources();
    EXPECT_FALSE(sources->isLowPowerModeEnabled());
    ASSERT_TRUE(profiles.start()) << profiles.log().constData();
    setProfile(QStringLiteral("power-saver"));
    ASSERT_TRUE(waitUntil([&] { return sources->isLowPowerModeEnabled(); }));
}
