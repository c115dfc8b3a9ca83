#include "Calendar/WeatherCode.h"
#include "Calendar/WeatherModel.h"

#include "QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

TEST(WeatherCode, MapsCodesToSymbolAndLabelByDayAndNight)
{
    struct Case {
        int code;
        const char *day;
        const char *night;
        const char *label;
    };
    const QList<Case> cases{
        {0, "sun.max.fill", "moon.stars.fill", "Céu limpo"},
        {1, "cloud.sun.fill", "cloud.moon.fill", "Quase limpo"},
        {2, "cloud.sun.fill", "cloud.moon.fill", "Parcialmente nublado"},
        {3, "cloud.fill", "cloud.fill", "Nublado"},
        {48, "cloud.fog.fill", "cloud.fog.fill", "Neblina"},
        {54, "cloud.drizzle.fill", "cloud.drizzle.fill", "Garoa"},
        {63, "cloud.rain.fill", "cloud.rain.fill", "Chuva"},
        {81, "cloud.rain.fill", "cloud.rain.fill", "Chuva"},
        {82, "cloud.heavyrain.fill", "cloud.heavyrain.fill", "Chuva forte"},
        {86, "cloud.snow.fill", "cloud.snow.fill", "Neve"},
        {99, "cloud.bolt.rain.fill", "cloud.bolt.rain.fill", "Tempestade"},
        {68, "cloud.fill", "cloud.fill", "Nublado"},
        {100, "cloud.fill", "cloud.fill", "Nublado"},
        {-1, "cloud.fill", "cloud.fill", "Nublado"},
        {std::numeric_limits<int>::max(), "cloud.fill", "cloud.fill", "Nublado"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.code);
        EXPECT_EQ(WeatherCode::symbol(test.code, true), QString::fromUtf8(test.day));
        EXPECT_EQ(WeatherCode::symbol(test.code, false), QString::fromUtf8(test.night));
        EXPECT_EQ(WeatherCode::label(test.code), QString::fromUtf8(test.label));
    }
}

TEST(WeatherModel, TemperatureTextRoundsHalvesAwayFromZero)
{
    const QList<std::pair<std::optional<double>, QString>> cases{
        {std::nullopt, QString()},
        {21.5, QStringLiteral("22°")},
        {-0.4, QStringLiteral("0°")},
        {-2.5, QStringLiteral("-3°")},
        {1e300, QString()},
        {std::numeric_limits<double>::infinity(), QString()},
        {std::numeric_limits<double>::quiet_NaN(), QString()},
    };
    for (const auto &[temperature, text] : cases)
        EXPECT_EQ(WeatherModel::temperatureText(temperature), text);
}

TEST(WeatherModel, RequestUrlRoundsCoordinatesToTwoDecimals)
{
    const QUrl base(QStringLiteral("https://api.open-meteo.com"));
    EXPECT_EQ(WeatherModel::requestUrl(base, {52.51679, -46.63391}).toString(QUrl::FullyEncoded),
              QStringLiteral("https://api.open-meteo.com/v1/forecast?latitude=52.52&longitude=-46.63&current=temperature_2m,weather_code,is_day"
                             "&daily=precipitation_probability_max,sunrise,sunset&forecast_days=2&timezone=auto"));
    EXPECT_TRUE(WeatherModel::requestUrl(base, {10, -23.555}).query().startsWith(QStringLiteral("latitude=10.0&longitude=-23.56&")));
    EXPECT_TRUE(WeatherModel::requestUrl(base, {std::numeric_limits<double>::quiet_NaN(), 0}).isEmpty());
}

TEST(WeatherModel, DecodeRejectsMissingAndMistypedMembers)
{
    const QList<std::pair<const char *, QByteArray>> bad{
        {"not json", "<html>500</html>"},
        {"truncated", R"({"current":{"temperature_2m":21.5,"weather_code":)"},
        {"array", "[1,2]"},
        {"no current", R"({"daily":{}})"},
        {"no is_day", R"({"current":{"temperature_2m":21.5,"weather_code":3}})"},
        {"temperature as text", R"({"current":{"temperature_2m":"21","weather_code":3,"is_day":1}})"},
        {"fractional code", R"({"current":{"temperature_2m":21,"weather_code":3.5,"is_day":1}})"},
        {"huge code", R"({"current":{"temperature_2m":21,"weather_code":1e30,"is_day":1}})"},
        {"huge temperature", R"({"current":{"temperature_2m":1e999,"weather_code":3,"is_day":1}})"},
        {"daily not an object", R"({"current":{"temperature_2m":21,"weather_code":3,"is_day":1},"daily":5})"},
        {"null sunrise", R"({"current":{"temperature_2m":21,"weather_code":3,"is_day":1},"daily":{"sunrise":[null],"sunset":[]}})"},
        {"text chance", R"({"current":{"temperature_2m":21,"weather_code":3,"is_day":1},"daily":{"precipitation_probability_max":["5"]}})"},
        {"numeric timezone", R"({"current":{"temperature_2m":21,"weather_code":3,"is_day":1},"timezone":3})"},
    };
    for (const auto &[name, body] : bad) {
        SCOPED_TRACE(name);
        QString error;
        EXPECT_FALSE(WeatherModel::OpenMeteoResponse::decode(body, &error));
        EXPECT_FALSE(error.isEmpty());
    }

    const auto minimal = WeatherModel::OpenMeteoResponse::decode(R"({"current":{"temperature_2m":-3.2,"weather_code":71,"is_day":0},"daily":null})", nullptr);
    ASSERT_TRUE(minimal);
    EXPECT_EQ(minimal->current.weatherCode, 71);
    EXPECT_FALSE(minimal->daily);
    EXPECT_FALSE(minimal->timezone);
    const auto nullChance = WeatherModel::OpenMeteoResponse::decode(
        R"({"current":{"temperature_2m":1,"weather_code":1,"is_day":1},"daily":{"precipitation_probability_max":[null,40]}})", nullptr);
    ASSERT_TRUE(nullChance);
    EXPECT_EQ(nullChance->daily->precipitationProbabilityMax, (QList<std::optional<int>>{std::nullopt, 40}));
}

TEST(WeatherModel, NextSunEventIsTheEarliestLaterOne)
{
    WeatherModel::OpenMeteoResponse response;
    response.timezone = QStringLiteral("America/Sao_Paulo");
    response.daily = WeatherModel::OpenMeteoResponse::Daily{
        std::nullopt, QStringList{QStringLiteral("2026-03-02T06:12"), QStringLiteral("2026-03-03T06:13")},
        QStringList{QStringLiteral("2026-03-02T19:48"), QStringLiteral("2026-03-03T19:47"), QStringLiteral("2026-03-04T19:46")}};
    const QTimeZone saoPaulo("America/Sao_Paulo");
    auto at = [&](int day, int hour) { return QDateTime(QDate(2026, 3, day), QTime(hour, 0), saoPaulo); };

    EXPECT_EQ(WeatherModel::nextSunEvent(response, at(2, 10)), (WeatherModel::SunEvent{QStringLiteral("sunset.fill"), QStringLiteral("19:48")}));
    EXPECT_EQ(WeatherModel::nextSunEvent(response, at(2, 20)), (WeatherModel::SunEvent{QStringLiteral("sunrise.fill"), QStringLiteral("06:13")}));
    // Sunsets beyond the sunrises are not read.
    EXPECT_EQ(WeatherModel::nextSunEvent(response, at(3, 20)), std::nullopt);

    // An unknown zone parses in the computer's zone.
    response.timezone = QStringLiteral("Mars/Olympus_Mons");
    const QDateTime localTen(QDate(2026, 3, 2), QTime(10, 0));
    EXPECT_EQ(WeatherModel::nextSunEvent(response, localTen)->time, QStringLiteral("19:48"));

    response.daily->sunrise = QStringList{};
    EXPECT_EQ(WeatherModel::nextSunEvent(response, localTen), std::nullopt);
    response.daily->sunrise = QStringList{QStringLiteral("not a date"), QStringLiteral("2026-03-03T06:13:00")};
    EXPECT_EQ(WeatherModel::nextSunEvent(response, localTen)->symbol, QStringLiteral("sunset.fill"));
}
