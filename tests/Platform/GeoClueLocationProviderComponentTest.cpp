#include "Calendar/WeatherModel.h"
#include "Platform/Linux/GeoClueLocationProvider.h"

#include "GeoClueStandIn.h"
#include "LoopbackHttpServer.h"
#include "PrivateBus.h"
#include "QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using Coordinate = LocationProvider::Coordinate;

struct Recorder final : LocationProvider::Delegate {
    void locationAuthorizationChanged(LocationProvider::AuthorizationStatus) override {}
    void locationsUpdated(const QList<Coordinate> &updated) override { locations.append(updated); }
    void locationFailed(const QString &error) override { failures.append(error); }

    QList<Coordinate> locations;
    QStringList failures;
};

// The provider against a stand-in GeoClue on a private bus, with a short
// time-out.
class GeoClueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(geoClue.isRegistered());
    }

    PrivateBus bus;
    GeoClueStandIn geoClue{bus.connect(QStringLiteral("geoclue")), -23.5505, -46.6333};
    GeoClueLocationProvider provider{bus.connect(QStringLiteral("quib")), QStringLiteral("com.brenvask.Quib"), 300ms};
};

} // namespace

TEST_F(GeoClueTest, ARequestAnswersWithTheLocationAndStopsTheClient)
{
    Recorder recorder;
    provider.setDelegate(&recorder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.locations.isEmpty(); }, 5000));
    provider.requestLocation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.locations.size() == 2; }, 5000));
    EXPECT_EQ(recorder.locations, (QList<Coordinate>{Coordinate{-23.5505, -46.6333}, Coordinate{-23.5505, -46.6333}}));
    EXPECT_EQ(geoClue.desktopId(), QStringLiteral("com.brenvask.Quib"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return geoClue.stops() == 2; }, 5000));
    EXPECT_TRUE(recorder.failures.isEmpty());
}

// Nothing asks GeoClue until the first delegate (the weather, when it is on)
// arrives; that one request learns the answer, and later delegates ask
// nothing more.
TEST_F(GeoClueTest, OnlyTheFirstDelegateAsksAndItLearnsTheAnswer)
{
    QList<LocationProvider::AuthorizationStatus> seen;
    provider.observeAuthorization([&](LocationProvider::AuthorizationStatus status) { seen.append(status); });
    provider.setDesiredAccuracy(1000);
    QTest::qWait(100);
    EXPECT_EQ(geoClue.starts(), 0);
    EXPECT_EQ(provider.authorizationStatus(), LocationProvider::AuthorizationStatus::notDetermined);

    Recorder first;
    provider.setDelegate(&first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first.locations.isEmpty(); }, 5000));
    EXPECT_EQ(seen, QList<LocationProvider::AuthorizationStatus>{LocationProvider::AuthorizationStatus::authorized});

    Recorder second;
    provider.setDelegate(nullptr);
    provider.setDelegate(&second);
    QTest::qWait(100);
    EXPECT_EQ(geoClue.starts(), 1);
    EXPECT_TRUE(second.locations.isEmpty());
}

// GeoClue may never find the computer, or never answer at all: the request
// then fails after its time-out, and the next one starts and gets a location.
TEST_F(GeoClueTest, ARequestLeftUnansweredTimesOutAndTheNextOneStarts)
{
    for (const auto &[name, stall] : {std::pair{"no location after the start", GeoClueStandIn::Start::stayQuiet},
                                      std::pair{"the start never answered", GeoClueStandIn::Start::neverAnswer}}) {
        SCOPED_TRACE(name);
        Recorder recorder;
        provider.setDelegate(&recorder);
        // The first delegate's own request ends before this one starts.
        ASSERT_TRUE(QTest::qWaitFor([&] { return geoClue.stops() >= 1; }, 5000));
        recorder.locations.clear();
        const int startsBefore = geoClue.starts();
        const int stopsBefore = geoClue.stops();
        geoClue.enqueue(stall);
        provider.requestLocation();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.failures.isEmpty(); }, 5000)) << "the request times out";
        EXPECT_TRUE(recorder.locations.isEmpty());
        EXPECT_EQ(geoClue.starts(), startsBefore + 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return geoClue.stops() == stopsBefore + 1; }, 5000)) << "the search is stopped";

        provider.requestLocation();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.locations.isEmpty(); }, 5000)) << "the next request gets a location";
        EXPECT_EQ(geoClue.starts(), startsBefore + 2);
        EXPECT_EQ(recorder.failures.size(), 1);
        provider.setDelegate(nullptr);
    }
}

TEST_F(GeoClueTest, TheWeatherRefreshesAfterALocationRequestThatWasNeverAnswered)
{
    LoopbackHttpServer forecastService;
    forecastService.enqueue({200, R"({"current":{"temperature_2m":21.5,"weather_code":2,"is_day":1}})", {}});
    ManualScheduler scheduler;
    WeatherModel weather(scheduler, provider, forecastService.url());

    // The weather's start asks GeoClue once, and that request stalls.
    geoClue.enqueue(GeoClueStandIn::Start::stayQuiet);
    weather.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return geoClue.stops() == 1; }, 5000)) << "the first request timed out";
    EXPECT_FALSE(weather.temperature());

    scheduler.advance(WeatherModel::refreshInterval);
    ASSERT_TRUE(QTest::qWaitFor([&] { return weather.temperature().has_value(); }, 5000));
    EXPECT_EQ(weather.temperature(), 21.5);
    EXPECT_EQ(weather.lastLocation(), (Coordinate{-23.5505, -46.6333}));
    EXPECT_TRUE(forecastService.requests.first().target.startsWith("/v1/forecast?latitude=-23.55&longitude=-46.63&"));
}

TEST_F(GeoClueTest, TheAuthorisationIsUnknownUntilGeoClueAnswersAStart)
{
    EXPECT_EQ(provider.authorizationStatus(), LocationProvider::AuthorizationStatus::notDetermined);
    QList<LocationProvider::AuthorizationStatus> seen;
    provider.observeAuthorization([&](LocationProvider::AuthorizationStatus status) { seen.append(status); });
    provider.requestAuthorization();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.isEmpty(); }, 5000));
    EXPECT_EQ(seen, QList<LocationProvider::AuthorizationStatus>{LocationProvider::AuthorizationStatus::authorized});
    EXPECT_EQ(provider.authorizationStatus(), LocationProvider::AuthorizationStatus::authorized);
}
