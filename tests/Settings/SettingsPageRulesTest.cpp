#include "Calendar/WeatherCode.h"
#include "QtPrinters.h"
#include "Settings/CalendarSettingsPage.h"
#include "Settings/LockScreenSettingsPage.h"
#include "Settings/SettingsValueText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(SettingsValueText, WholeNumberCutsTowardZero)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        const char *unit;
        const char *text;
    };
    for (const Case c : {Case{3, "s", "3s"}, Case{0, "s", "0s"}, Case{15, "s", "15s"}, Case{3.7, "s", "3s"}, Case{0, "m", "0m"},
                         Case{-20, "px", "-20px"}, Case{-150, "px", "-150px"}, Case{-0.5, "px", "0px"}, Case{-10.9, "px", "-10px"},
                         Case{14.99, "s", "14s"}, Case{-2.5, "s", "-2s"}, Case{10.9, "%", "10%"}, Case{50, "%", "50%"},
                         Case{nan, "m", "–m"}, Case{infinity, "m", "–m"}, Case{-infinity, "px", "–px"},
                         // Far beyond any integer type, and still no overflow.
                         Case{1e20, "m", "100000000000000000000m"}, Case{-1e20, "%", "-100000000000000000000%"}}) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(SettingsValueText::wholeNumber(c.value, QString::fromUtf8(c.unit)), QString::fromUtf8(c.text));
    }
}

TEST(CalendarSettingsPage, ReminderText)
{
    struct Case {
        double minutes;
        const char *text;
    };
    for (const Case c : {Case{0, "não"}, Case{5, "5m"}, Case{15, "15m"}, Case{60, "60m"}, Case{2.5, "2m"},
                         Case{std::numeric_limits<double>::quiet_NaN(), "–m"}}) {
        SCOPED_TRACE(c.minutes);
        EXPECT_EQ(CalendarSettingsPage::reminderText(c.minutes), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(CalendarSettingsPage::emptyListText(true), QStringLiteral("Nenhum calendário encontrado"));
    EXPECT_EQ(CalendarSettingsPage::emptyListText(false), QStringLiteral("Permita o acesso ao Calendário em Ajustes do Sistema › Privacidade"));
}

// Switching one calendar touches only its own identifier; identifiers of
// calendars that no longer exist stay in the set.
TEST(CalendarToggleRow, SwitchingChangesOnlyItsOwnIdentifier)
{
    const StringSet disabled{QStringLiteral("work"), QStringLiteral("gone")};
    struct Case {
        const char *what;
        const char *identifier;
        bool active;
        StringSet result;
    };
    const Case cases[] = {
        {"off adds it", "home", false, {QStringLiteral("work"), QStringLiteral("gone"), QStringLiteral("home")}},
        {"on removes it", "work", true, {QStringLiteral("gone")}},
        {"on when already on", "home", true, disabled},
        {"off when already off", "work", false, disabled},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CalendarToggleRow::withActive(disabled, QString::fromUtf8(c.identifier), c.active), c.result);
    }
    EXPECT_TRUE(CalendarToggleRow::isActive(disabled, QStringLiteral("home"))) << "a new calendar is active";
    EXPECT_FALSE(CalendarToggleRow::isActive(disabled, QStringLiteral("work")));
    EXPECT_TRUE(CalendarToggleRow::isActive({}, QString()));
}

TEST(LockScreenSettingsPage, WeatherTilesShowTheWeatherOrStandIns)
{
    using Page = LockScreenSettingsPage;
    using Tiles = std::array<Page::TileText, 3>;
    const Page::TileText standInConditions{QStringLiteral("sun.max.fill"), QStringLiteral("24°")};
    const Page::TileText standInSun{QStringLiteral("sunrise.fill"), QStringLiteral("06:20")};
    const Page::TileText standInChance{QStringLiteral("umbrella.fill"), QStringLiteral("12%")};
    const WeatherModel::SunEvent sunset{QStringLiteral("sunset.fill"), QStringLiteral("17:48")};
    struct Case {
        const char *what;
        Page::Weather weather;
        Tiles tiles;
    };
    const Case cases[] = {
        {"no data yet", {}, {standInConditions, standInSun, standInChance}},
        {"everything known",
         {21.5, 2, false, sunset, 40},
         {Page::TileText{WeatherCode::symbol(2, false), QStringLiteral("22°")}, Page::TileText{sunset.symbol, sunset.time},
          Page::TileText{QStringLiteral("umbrella.fill"), QStringLiteral("40%")}}},
        {"a temperature without a code", {21.5, std::nullopt, true, std::nullopt, std::nullopt}, {standInConditions, standInSun, standInChance}},
        {"a code without a temperature", {std::nullopt, 61, true, std::nullopt, 0},
         {standInConditions, standInSun, Page::TileText{QStringLiteral("umbrella.fill"), QStringLiteral("0%")}}},
        {"below zero by day", {-3.4, 0, true, std::nullopt, std::nullopt},
         {Page::TileText{WeatherCode::symbol(0, true), QStringLiteral("-3°")}, standInSun, standInChance}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Tiles tiles = Page::weatherTiles(c.weather);
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            EXPECT_EQ(tiles[i].symbol, c.tiles[i].symbol) << "tile " << i;
            EXPECT_EQ(tiles[i].text, c.tiles[i].text) << "tile " << i;
        }
    }
}

} // namespace
