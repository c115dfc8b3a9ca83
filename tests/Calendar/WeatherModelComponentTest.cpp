#include "Calendar/WeatherModel.h"
#include "Platform/Fake/FakeLocationProvider.h"

#include "LogCapture.h"
#include "LoopbackHttpServer.h"
#include "QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

QDateTime at(int hour, int minute)
{
    return QDateTime(QDate(2026, 3, 2), QTime(hour, minute));
}

const QByteArray forecast = R"({"latitude":52.52,"timezone":"UTC","current":{"time":"2026-03-02T09:00","temperature_2m":21.5,"weather_code":2,"is_day":0},
"daily":{"precipitation_probability_max":[40,10],"sunrise":["2026-03-01T06:12","2026-03-03T06:10"],"sunset":["2026-03-01T17:48","2026-03-03T17:50"]}})";

// The weather model against a loopback forecast service, with a fake
// location and the manual clock (2 March 2026, 09:00 local).
class WeatherModelTest : public ::testing::Test {
protected:
    WeatherModelTest() { server.enqueue({200, forecast, {}}); }

    // Waits until the model has handled `count` answers: a change of
    // `lastFetch` or a logged failure.
    bool waitForAnswers(int count)
    {
        return server.waitForRequests(count) && QTest::qWaitFor([&] { return handled() >= count; }, 5000);
    }
    int handled() const { return fetches + int(log.messages(QStringLiteral("Quib weather: ")).size()); }

    ManualScheduler scheduler{at(9, 0)};
    FakeLocationProvider location;
    LoopbackHttpServer server;
    LogCapture log;
    WeatherModel model{scheduler, location, server.url()};
    int fetches = 0;
    QPropertyNotifier counter = model.bindableTemperature().addNotifier([this] { ++fetches; });
};

} // namespace

TEST_F(WeatherModelTest, SendsTheForecastRequestAndAppliesTheAnswer)
{
    model.start();
    EXPECT_EQ(location.delegate() != nullptr, true);
    EXPECT_EQ(location.desiredAccuracy, 1000);
    EXPECT_EQ(location.requests, 1);
    EXPECT_EQ(model.temperatureText(), QString());
    EXPECT_TRUE(model.isDay());

    location.deliver({{0, 0}, {52.51679, -46.63391}});
    ASSERT_TRUE(waitForAnswers(1));
    const LoopbackHttpServer::Request request = server.requests.first();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/v1/forecast?latitude=52.52&longitude=-46.63&current=temperature_2m,weather_code,is_day"
                              "&daily=precipitation_probability_max,sunrise,sunset&forecast_days=2&timezone=auto");
    EXPECT_EQ(model.temperature(), 21.5);
    EXPECT_EQ(model.temperatureText(), QStringLiteral("22°"));
    EXPECT_EQ(model.code(), 2);
    EXPECT_FALSE(model.isDay());
    EXPECT_EQ(model.precipitationChance(), 40);
    EXPECT_EQ(model.sunEvent(), (WeatherModel::SunEvent{QStringLiteral("sunrise.fill"), QStringLiteral("06:10")}));
    EXPECT_EQ(model.lastFetch(), scheduler.monotonicNow());
}

TEST_F(WeatherModelTest, BadAnswersKeepTheLastGoodWeatherAndLogOneLine)
{
    server.enqueue({500, "<html>Internal Server Error</html>", {}});
    server.enqueue({200, R"({"current":{"temperature_2m":30,"weather_code":)", {}});
    server.enqueue({200, R"({"current":{"temperature_2m":"30","weather_code":1,"is_day":1}})", {}});
    server.enqueue({200, R"({"current":{"temperature_2m":12.4,"weather_code":61,"is_day":1}})", {}});
    model.start();
    location.deliver({{-23.55, -46.63}});
    ASSERT_TRUE(waitForAnswers(1));

    for (int answer = 2; answer <= 4; ++answer) {
        location.deliver({{-23.55, -46.63}});
        ASSERT_TRUE(waitForAnswers(answer));
        EXPECT_EQ(model.temperature(), 21.5);
        EXPECT_EQ(model.precipitationChance(), 40);
        EXPECT_EQ(log.messages(QStringLiteral("Quib weather: ")).size(), answer - 1);
    }

    // An answer without daily data still updates the current weather.
    location.deliver({{-23.55, -46.63}});
    ASSERT_TRUE(waitForAnswers(5));
    EXPECT_EQ(model.temperature(), 12.4);
    EXPECT_EQ(model.code(), 61);
    EXPECT_TRUE(model.isDay());
    EXPECT_EQ(model.precipitationChance(), std::nullopt);
    EXPECT_EQ(model.sunEvent(), std::nullopt);
}

TEST_F(WeatherModelTest, RefreshesEveryHalfHourUnlessFreshAndRefetchesTheLastPlaceOnFailure)
{
    model.start();
    location.fail(QStringLiteral("no fix yet"));
    EXPECT_EQ(server.requests.size(), 0);

    scheduler.advanceTo(at(9, 21));
    location.deliver({{52.52, 13.41}});
    ASSERT_TRUE(waitForAnswers(1));
    // The 09:30 tick comes 9 minutes after the fetch: nothing.
    scheduler.advanceTo(at(9, 30));
    EXPECT_EQ(location.requests, 1);
    // The 10:00 tick comes 39 minutes after it.
    scheduler.advanceTo(at(10, 0));
    EXPECT_EQ(location.requests, 2);

    // Without access the location fails; the weather follows the old place.
    server.enqueue({200, forecast, {}});
    location.authorize(LocationProvider::AuthorizationStatus::denied);
    location.fail(QStringLiteral("denied"));
    ASSERT_TRUE(server.waitForRequests(2));
    EXPECT_TRUE(server.requests.last().target.startsWith("/v1/forecast?latitude=52.52&longitude=13.41&"));
}

TEST_F(WeatherModelTest, AsksForALocationOnlyWhenAuthorised)
{
    location.status = LocationProvider::AuthorizationStatus::notDetermined;
    model.start();
    EXPECT_EQ(location.requests, 0);
    location.authorize(LocationProvider::AuthorizationStatus::authorized);
    EXPECT_EQ(location.requests, 1);
    // Starting again asks again and restarts the refresh, it does not add one.
    model.start();
    EXPECT_EQ(location.requests, 2);
    scheduler.advanceTo(at(9, 30));
    EXPECT_EQ(location.requests, 3);
    EXPECT_EQ(scheduler.pendingCount(), 1);
}
