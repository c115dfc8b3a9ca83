#include "Alerts/BatteryMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>

using Battery = PowerSources::InternalBattery;
using Reading = BatteryMonitor::Reading;

// A strip in one line: a failed comparison shows which field differs.
void PrintTo(const NotchAlert &alert, std::ostream *out)
{
    *out << "{kind " << int(alert.kind) << ", " << alert.symbol.toStdString() << " " << alert.symbolColor.name().toStdString() << ", title "
         << alert.title.value_or(QStringLiteral("none")).toStdString() << ", level " << (alert.level ? *alert.level : -1) << ", trailing "
         << alert.trailing.value_or(QStringLiteral("none")).toStdString() << " " << alert.trailingColor.name().toStdString() << ", width "
         << alert.sideWidth << "}";
}

namespace {

Battery onBattery(double percent)
{
    return FakePowerSources::batteryAt(percent, false);
}

Battery onCharger(double percent)
{
    return FakePowerSources::batteryAt(percent, true, true);
}

NotchAlert expectedStrip(const QString &symbol, const QColor &color, const QString &title, const QString &trailing)
{
    NotchAlert alert;
    alert.kind = AlertKind::battery;
    alert.symbol = symbol;
    alert.symbolColor = color;
    alert.title = title;
    alert.trailing = trailing;
    alert.trailingColor = color;
    alert.sideWidth = 112;
    return alert;
}

// The monitor over fakes with default settings; the battery (or none) is
// set before the monitor is created, as the computer was at launch.
class BatteryMonitorTest : public ::testing::Test {
protected:
    void launch(const std::optional<Battery> &battery)
    {
        platform.powerSources.battery = battery;
        monitor.emplace(model);
    }

    // Lets every shown strip hide, so that the next one is seen alone.
    void clearStrip()
    {
        platform.scheduler.advance(60);
        ASSERT_FALSE(model.alerts.current());
    }

    std::optional<NotchAlert> strip() const { return model.alerts.current(); }
    QStringList sounds() const { return platform.soundPlayer.played(); }

    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<BatteryMonitor> monitor;
};

} // namespace

TEST(BatteryMonitorSymbolTest, EachChargeHasTheSymbolOfItsBand)
{
    const std::pair<int, const char *> rows[] = {
        {0, "battery.0percent"},   {12, "battery.0percent"},  {13, "battery.25percent"}, {37, "battery.25percent"},
        {38, "battery.50percent"}, {62, "battery.50percent"}, {63, "battery.75percent"},  {87, "battery.75percent"},
        {88, "battery.100percent"}, {100, "battery.100percent"},
    };
    for (const auto &[percent, symbol] : rows)
        EXPECT_EQ(BatteryMonitor::batterySymbol(percent), QString::fromLatin1(symbol)) << percent;
}

TEST(BatteryMonitorReadTest, TheChargeIsTheCapacityRatioRoundedHalfAwayFromZero)
{
    struct Row {
        const char *name;
        Battery battery;
        int percent;
    };
    const Row rows[] = {
        {"a plain ratio", {Battery{2800.0, 4900.0}}, 57},
        {"a half rounds up", {Battery{50.5, 100.0}}, 51},
        {"just under a half rounds down", {Battery{50.49, 100.0}}, 50},
        {"a missing maximum is 100", {Battery{42.0, std::nullopt}}, 42},
        {"a zero maximum is 1", {Battery{0.0, 0.0}}, 0},
        {"a negative maximum is 1, the charge stays within 100", {Battery{3.0, -5.0}}, 100},
        {"a missing charge is 0", {Battery{std::nullopt, 100.0}}, 0},
        {"a charge that is not a number is 0", {Battery{std::numeric_limits<double>::quiet_NaN(), 100.0}}, 0},
        {"an infinite maximum is 100", {Battery{30.0, std::numeric_limits<double>::infinity()}}, 30},
    };
    for (const Row &row : rows) {
        FakePowerSources sources;
        sources.battery = row.battery;
        const auto reading = BatteryMonitor::read(sources);
        ASSERT_TRUE(reading) << row.name;
        EXPECT_EQ(reading->percent, row.percent) << row.name;
    }
}

TEST(BatteryMonitorReadTest, CarriesTheChargingAndPlugStatesAndIsNoneWithoutABattery)
{
    FakePowerSources sources;
    EXPECT_FALSE(BatteryMonitor::read(sources));
    sources.battery = FakePowerSources::batteryAt(100, true, false);
    EXPECT_EQ(BatteryMonitor::read(sources), (Reading{100, false, true}));
    sources.battery = FakePowerSources::batteryAt(40, true, true);
    EXPECT_EQ(BatteryMonitor::read(sources), (Reading{40, true, true}));
}

TEST_F(BatteryMonitorTest, ConnectingTheChargerShowsChargingForTheBatteryDuration)
{
    launch(onBattery(57));
    platform.powerSources.setBattery(onCharger(57));
    EXPECT_EQ(strip(), expectedStrip("battery.100percent.bolt", BatteryMonitor::chargingGreen(), "Carregando", "57%"));
    EXPECT_EQ(BatteryMonitor::chargingGreen(), QColor::fromRgbF(0.3f, 0.85f, 0.4f));
    platform.scheduler.advance(3.9);
    EXPECT_TRUE(strip());
    platform.scheduler.advance(0.1);
    EXPECT_FALSE(strip());
}

TEST_F(BatteryMonitorTest, RemovingTheChargerShowsOnBatteryWithTheChargesSymbolInWhite)
{
    const std::pair<int, const char *> rows[] = {{30, "battery.25percent"}, {12, "battery.0percent"}, {88, "battery.100percent"}};
    launch(onCharger(30));
    model.preferences.warnLowBattery.setValue(false);
    for (const auto &[percent, symbol] : rows) {
        platform.powerSources.setBattery(onCharger(percent));
        clearStrip();
        platform.powerSources.setBattery(onBattery(percent));
        EXPECT_EQ(strip(), expectedStrip(symbol, Qt::white, "Na bateria", QStringLiteral("%1%").arg(percent))) << percent;
    }
}

TEST_F(BatteryMonitorTest, OnlyAChangeOfThePlugStateShowsTheChargerStrip)
{
    launch(onBattery(60));
    platform.powerSources.setBattery(onBattery(59));
    platform.powerSources.setBattery(FakePowerSources::batteryAt(59, false, true));
    EXPECT_FALSE(strip());
}

// Without a reading at launch the previous plug state is unknown: the first
// reading only records it.
TEST_F(BatteryMonitorTest, TheFirstReadingAfterALaunchWithoutOneShowsNoChargerStrip)
{
    launch(std::nullopt);
    platform.powerSources.setBattery(onCharger(50));
    EXPECT_FALSE(strip());
    platform.powerSources.setBattery(onBattery(50));
    EXPECT_EQ(strip()->title, QStringLiteral("Na bateria"));
}

// A battery that cannot be read changes nothing: the plug state from before
// is still the one compared with.
TEST_F(BatteryMonitorTest, AnUnreadableBatteryKeepsThePreviousPlugState)
{
    launch(onCharger(70));
    platform.powerSources.setBattery(std::nullopt);
    EXPECT_FALSE(strip());
    platform.powerSources.setBattery(onBattery(70));
    EXPECT_EQ(strip()->title, QStringLiteral("Na bateria"));
}

TEST_F(BatteryMonitorTest, TheLowBatteryStripShowsOncePerDischarge)
{
    const NotchAlert lowAt10 = expectedStrip("battery.25percent", BatteryMonitor::lowBatteryRed(), "Bateria fraca", "10%");
    launch(onBattery(11));
    platform.powerSources.setBattery(onBattery(11));
    EXPECT_FALSE(strip());

    platform.powerSources.setBattery(onBattery(10));
    EXPECT_EQ(strip(), lowAt10);
    EXPECT_EQ(sounds(), QStringList{"Funk"});

    clearStrip();
    platform.powerSources.setBattery(onBattery(9));
    platform.powerSources.setBattery(onBattery(8));
    EXPECT_FALSE(strip());
    EXPECT_EQ(sounds(), QStringList{"Funk"});

    // Plugging in ends the discharge; the next one warns again.
    platform.powerSources.setBattery(onCharger(9));
    EXPECT_EQ(strip()->title, QStringLiteral("Carregando"));
    platform.powerSources.setBattery(onBattery(9));
    EXPECT_EQ(strip(), expectedStrip("battery.25percent", BatteryMonitor::lowBatteryRed(), "Bateria fraca", "9%"));
    EXPECT_EQ(sounds(), (QStringList{"Funk", "Funk"}));
}

TEST_F(BatteryMonitorTest, RisingAboveTheThresholdEndsTheDischargeToo)
{
    launch(onBattery(10));
    platform.powerSources.setBattery(onBattery(10));
    clearStrip();
    platform.powerSources.setBattery(onBattery(11));
    platform.powerSources.setBattery(onBattery(10));
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
}

// Both strips are asked for in one update; the last request wins.
TEST_F(BatteryMonitorTest, UnpluggingAtTheThresholdShowsTheLowBatteryStripLast)
{
    launch(onCharger(10));
    platform.powerSources.setBattery(onBattery(10));
    EXPECT_EQ(strip(), expectedStrip("battery.25percent", BatteryMonitor::lowBatteryRed(), "Bateria fraca", "10%"));
}

TEST_F(BatteryMonitorTest, TheThresholdIsCutToAWholeNumberAndTheSoundFollowsItsSetting)
{
    model.preferences.lowBatteryThreshold.setValue(20.9);
    model.preferences.soundOnLowBattery.setValue(false);
    launch(onBattery(21));
    platform.powerSources.setBattery(onBattery(21));
    EXPECT_FALSE(strip());
    platform.powerSources.setBattery(onBattery(20));
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
    EXPECT_TRUE(sounds().isEmpty());
}

TEST_F(BatteryMonitorTest, SwitchingTheWarningOnBelowTheThresholdWarnsAtTheNextUpdate)
{
    model.preferences.warnLowBattery.setValue(false);
    launch(onBattery(8));
    platform.powerSources.setBattery(onBattery(8));
    EXPECT_FALSE(strip());
    model.preferences.warnLowBattery.setValue(true);
    platform.powerSources.setBattery(onBattery(7));
    EXPECT_EQ(strip()->title, QStringLiteral("Bateria fraca"));
}

TEST_F(BatteryMonitorTest, AThresholdThatIsNotANumberNeverWarnsAndTheChargerStripsGoOn)
{
    for (const double threshold : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        model.preferences.lowBatteryThreshold.setValue(threshold);
        monitor.reset();
        launch(onCharger(3));
        platform.powerSources.setBattery(onBattery(3));
        EXPECT_EQ(strip()->title, QStringLiteral("Na bateria")) << threshold;
        clearStrip();
    }
}

TEST_F(BatteryMonitorTest, WithBatteryAlertsOffNothingShowsButThePlugStateIsFollowed)
{
    model.preferences.batteryAlerts.setValue(false);
    launch(onCharger(50));
    platform.powerSources.setBattery(onBattery(5));
    platform.powerSources.setLowPowerMode(true);
    EXPECT_FALSE(strip());
    EXPECT_TRUE(sounds().isEmpty());

    // The unplugging was seen while off: switching on shows no late strip.
    model.preferences.batteryAlerts.setValue(true);
    model.preferences.warnLowBattery.setValue(false);
    platform.powerSources.setBattery(onBattery(5));
    EXPECT_FALSE(strip());
}

TEST_F(BatteryMonitorTest, TheChargerStripFollowsItsSetting)
{
    model.preferences.chargingAlert.setValue(false);
    launch(onBattery(50));
    platform.powerSources.setBattery(onCharger(50));
    EXPECT_FALSE(strip());
}

TEST_F(BatteryMonitorTest, SwitchingThePowerSavingModeShowsItsStrip)
{
    launch(onBattery(80));
    platform.powerSources.setLowPowerMode(true);
    EXPECT_EQ(strip(), expectedStrip("battery.75percent", BatteryMonitor::lowPowerAmber(), "Pouca Energia", "80%"));
    platform.powerSources.setLowPowerMode(false);
    EXPECT_EQ(strip(), expectedStrip("battery.75percent", Qt::white, "Energia normal", "80%"));
    EXPECT_EQ(BatteryMonitor::lowPowerAmber(), QColor::fromRgbF(1.0f, 0.82f, 0.2f));
    EXPECT_EQ(BatteryMonitor::lowBatteryRed(), QColor::fromRgbF(1.0f, 0.3f, 0.28f));
}

TEST_F(BatteryMonitorTest, ThePowerSavingStripNeedsItsSettingAndABattery)
{
    launch(std::nullopt);
    platform.powerSources.setLowPowerMode(true);
    EXPECT_FALSE(strip());

    platform.powerSources.battery = onBattery(80);
    model.preferences.notifyLowPowerMode.setValue(false);
    platform.powerSources.setLowPowerMode(false);
    EXPECT_FALSE(strip());
}

TEST_F(BatteryMonitorTest, AComputerWithoutABatteryShowsNoStripAtAll)
{
    launch(std::nullopt);
    for (int change = 0; change < 3; ++change)
        platform.powerSources.setBattery(std::nullopt);
    platform.powerSources.setLowPowerMode(true);
    EXPECT_FALSE(strip());
    EXPECT_TRUE(sounds().isEmpty());
}

// The power sources keep their observers after the monitor is gone.
TEST_F(BatteryMonitorTest, ChangesAfterTheMonitorIsGoneAreIgnored)
{
    launch(onCharger(50));
    monitor.reset();
    platform.powerSources.setBattery(onBattery(5));
    platform.powerSources.setLowPowerMode(true);
    EXPECT_FALSE(strip());
}
