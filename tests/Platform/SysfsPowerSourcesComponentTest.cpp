#include "Platform/Linux/SysfsPowerSources.h"

#include "PowerSourcesPrinter.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Battery = PowerSources::InternalBattery;

namespace {

// One power supply: its folder name and attribute files.
struct Supply {
    const char *name;
    std::vector<std::pair<const char *, const char *>> attributes;
};

// A power-supply folder laid out as the kernel does.
class SupplyFolder {
public:
    explicit SupplyFolder(const std::vector<Supply> &supplies)
    {
        for (const Supply &supply : supplies) {
            QDir(m_root.path()).mkdir(QString::fromLatin1(supply.name));
            for (const auto &[file, value] : supply.attributes) {
                QFile attribute(m_root.filePath(QString::fromLatin1(supply.name) + QLatin1Char('/') + QString::fromLatin1(file)));
                attribute.open(QIODevice::WriteOnly);
                attribute.write(QByteArray(value) + '\n');
            }
        }
    }
    QString path() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
};

const Supply acOnline{"AC", {{"type", "Mains"}, {"online", "1"}}};
const Supply acOffline{"AC", {{"type", "Mains"}, {"online", "0"}}};

} // namespace

TEST(SysfsPowerSourcesTest, ReadsTheComputersOwnBattery)
{
    struct Row {
        const char *name;
        std::vector<Supply> supplies;
        std::optional<Battery> battery;
    };
    const Row rows[] = {
        {"energy, discharging",
         {acOffline, {"BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"energy_now", "28000000"}, {"energy_full", "49000000"}}}},
         Battery{28000000.0, 49000000.0, false, false}},
        {"charge, charging",
         {acOnline, {"BAT1", {{"type", "Battery"}, {"status", "Charging"}, {"charge_now", "2000000"}, {"charge_full", "4000000"}}}},
         Battery{2000000.0, 4000000.0, true, true}},
        {"only a percentage, full on a USB-C charger",
         {{"BAT0", {{"type", "Battery"}, {"status", "Full"}, {"capacity", "100"}}}, {"ucsi-source-psy-1", {{"type", "USB"}, {"online", "1"}}}},
         Battery{100.0, 100.0, false, true}},
        {"no other supply: the battery's status tells the charger",
         {{"BAT0", {{"type", "Battery"}, {"status", "Not charging"}, {"capacity", "80"}}}},
         Battery{80.0, 100.0, false, true}},
        {"no capacity at all", {acOffline, {"BAT0", {{"type", "Battery"}, {"status", "Discharging"}}}}, Battery{std::nullopt, std::nullopt, false, false}},
        {"a mouse's battery is not the computer's",
         {acOnline, {"hid-mouse-battery", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "40"}}}},
         std::nullopt},
        {"an empty battery bay",
         {acOnline, {"BAT0", {{"type", "Battery"}, {"present", "0"}}}, {"BAT1", {{"type", "Battery"}, {"status", "Full"}, {"capacity", "99"}}}},
         Battery{99.0, 100.0, false, true}},
        {"a desktop", {acOnline}, std::nullopt},
    };
    for (const Row &row : rows) {
        const SupplyFolder folder(row.supplies);
        EXPECT_EQ(SysfsPowerSources::readBattery(folder.path()), row.battery) << row.name;
    }
    EXPECT_EQ(SysfsPowerSources::readBattery(QStringLiteral("/nonexistent/power_supply")), std::nullopt);
}

// The first read runs off the main thread and is reported as a change.
TEST(SysfsPowerSourcesTest, TheFirstReadIsReportedAsAChange)
{
    const SupplyFolder folder({acOnline, {"BAT0", {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "57"}}}});
    SysfsPowerSources sources(folder.path());
    int changes = 0;
    sources.observeChanges([&] { ++changes; });
    EXPECT_EQ(sources.internalBattery(), std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return changes == 1; }));
    EXPECT_EQ(sources.internalBattery(), (Battery{57.0, 100.0, true, true}));
}
