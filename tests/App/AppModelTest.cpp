#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <QJsonObject>
#include <QPropertyNotifier>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Unit tests start no media bridge.
const MediaBridgeProcess::Files noBridge{};

// The model with every service faked, one calendar with access granted, and
// its usage snapshot in a folder of its own.
class AppModelTest : public ::testing::Test {
protected:
    AppModelTest()
    {
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        platform.eventStore.calendarList = {EventStore::Calendar{QStringLiteral("work"), QStringLiteral("Trabalho"), QString(), std::nullopt}};
        model = std::make_unique<AppModel>(platform.services());
    }
    ~AppModelTest() override
    {
        model.reset();
        qunsetenv("XDG_DATA_HOME");
    }

    // A state report of the media bridge; an empty title means no song.
    void report(const QString &title, const QString &artist, bool playing = true)
    {
        QJsonObject state{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), playing ? 1 : 0}, {QStringLiteral("pid"), 0}};
        if (!title.isEmpty())
            state.insert(QStringLiteral("title"), title);
        if (!artist.isEmpty())
            state.insert(QStringLiteral("artist"), artist);
        model->nowPlaying.handle(state);
    }
    // A report, then the song check's delay.
    void reportAndCheck(const QString &title, const QString &artist, bool playing = true)
    {
        report(title, artist, playing);
        platform.scheduler.advance(AppModel::songCheckDelay);
    }

    // The next main-loop turn, where observation loops act.
    void nextTurn() { platform.scheduler.advance(0); }
    int calendarReloads() const { return int(platform.eventStore.queries.size()); }
    int locationRequests() const { return platform.location.requests; }

    QTemporaryDir dataHome;
    FakePlatform platform;
    std::unique_ptr<AppModel> model;
};

} // namespace

TEST_F(AppModelTest, StartReadsTheCalendarAndStartsTheWeatherOnlyWhenAWeatherSettingIsOn)
{
    struct Case {
        const char *name;
        bool showWeather;
        bool lockWeather;
        int locationRequests;
    };
    const Case cases[] = {
        {"both on", true, true, 1},
        {"notch weather only", true, false, 1},
        {"lock-screen weather only", false, true, 1},
        {"both off", false, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.eventStore.calendarList = {EventStore::Calendar{QStringLiteral("work"), QStringLiteral("Trabalho"), QString(), std::nullopt}};
        AppModel model(platform.services());
        model.preferences.showWeather.setValue(c.showWeather);
        model.preferences.lockWeather.setValue(c.lockWeather);
        model.start(noBridge);
        EXPECT_EQ(platform.location.requests, c.locationRequests);
        EXPECT_EQ(platform.location.delegate() != nullptr, c.locationRequests > 0);
        EXPECT_EQ(platform.eventStore.queries.size(), 1) << "the calendar reads today's events at start";
    }
}

TEST_F(AppModelTest, WeatherSettingsStartTheWeatherAgainWhileOneIsOnAndNeverStopIt)
{
    model->start(noBridge);
    ASSERT_EQ(locationRequests(), 1);

    model->preferences.showWeather.setValue(false);
    nextTurn();
    EXPECT_EQ(locationRequests(), 2) << "lock-screen weather is still on";

    model->preferences.idleDuration.setValue(8);
    nextTurn();
    EXPECT_EQ(locationRequests(), 3) << "any media setting restarts the weather while one weather setting is on";

    model->preferences.lockWeather.setValue(false);
    nextTurn();
    EXPECT_EQ(locationRequests(), 3) << "both off: no call";
    platform.scheduler.advance(WeatherModel::refreshInterval);
    EXPECT_EQ(locationRequests(), 4) << "and the running weather model is not stopped";

    model->preferences.lockWeather.setValue(true);
    nextTurn();
    EXPECT_EQ(locationRequests(), 5);
}

TEST_F(AppModelTest, EachCalendarSettingReloadsTheCalendarOnTheNextTurn)
{
    model->start(noBridge);
    const std::pair<const char *, std::function<void()>> changes[] = {
        {"calendarEnabled", [&] { model->preferences.calendarEnabled.setValue(false); }},
        {"reminderMinutes", [&] { model->preferences.reminderMinutes.setValue(5); }},
        {"keepEventCountdown", [&] { model->preferences.keepEventCountdown.setValue(false); }},
        {"hourlyChime", [&] { model->preferences.hourlyChime.setValue(true); }},
        {"disabledCalendarIDs", [&] { model->preferences.disabledCalendarIDs.setValue({QStringLiteral("home")}); }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        const int before = calendarReloads();
        change();
        EXPECT_EQ(calendarReloads(), before) << "not before the next turn";
        nextTurn();
        EXPECT_EQ(calendarReloads(), before + 1);
    }

    const int before = calendarReloads();
    model->preferences.soundOnEvent.setValue(false);
    nextTurn();
    EXPECT_EQ(calendarReloads(), before) << "a setting the calendar loop does not track";
}

TEST_F(AppModelTest, ReminderChangedTwiceInOneTurnReloadsOnce)
{
    model->start(noBridge);
    const int before = calendarReloads();
    model->preferences.reminderMinutes.setValue(5);
    model->preferences.reminderMinutes.setValue(10);
    nextTurn();
    EXPECT_EQ(calendarReloads(), before + 1);
    nextTurn();
    EXPECT_EQ(calendarReloads(), before + 1);
}

TEST_F(AppModelTest, TurningTheHourlyChimeOnPlansTheChime)
{
    model->start(noBridge);
    model->preferences.hourlyChime.setValue(true);
    nextTurn();
    platform.scheduler.advance(3600);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Hero")}) << "09:00 start, chime at 10:00";

    model->preferences.hourlyChime.setValue(false);
    nextTurn();
    platform.scheduler.advance(3600);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Hero")}) << "switched off: no further chime";
}

TEST_F(AppModelTest, UsagePollerFollowsItsSetting)
{
    model->preferences.claudeUsageFromLogin.setValue(true);
    model->start(noBridge);
    EXPECT_TRUE(model->claudeUsage.isEnabled());

    model->preferences.claudeUsageFromLogin.setValue(false);
    EXPECT_TRUE(model->claudeUsage.isEnabled()) << "not before the next turn";
    nextTurn();
    EXPECT_FALSE(model->claudeUsage.isEnabled());
    EXPECT_EQ(model->claudeUsage.status().kind, ClaudeUsage::Status::Kind::off);

    model->preferences.claudeUsageFromLogin.setValue(true);
    nextTurn();
    EXPECT_TRUE(model->claudeUsage.isEnabled());
}

TEST_F(AppModelTest, PeekLastsFourAndAHalfSecondsAfterTheLatestCall)
{
    model->peekSong();
    EXPECT_TRUE(model->isPeekingSong());
    EXPECT_FALSE(model->isPeekForced());

    platform.scheduler.advance(3);
    model->peekSong();
    platform.scheduler.advance(4.4);
    EXPECT_TRUE(model->isPeekingSong()) << "the second call restarted the 4.5 s";
    platform.scheduler.advance(0.1);
    EXPECT_FALSE(model->isPeekingSong());
}

TEST_F(AppModelTest, DiagnosticPeeksAreForcedAndClearEverythingWhenTheyEnd)
{
    model->debugPeekSong(AppModel::DebugPeek::demoSong);
    EXPECT_TRUE(model->isPeekingSong());
    EXPECT_TRUE(model->isPeekForced());
    ASSERT_TRUE(model->debugPeekSong());
    EXPECT_EQ(model->debugPeekSong()->title, AppModel::demoPeekSong.title);
    EXPECT_FALSE(model->debugPeekSong()->title.isEmpty());
    EXPECT_FALSE(model->debugPeekSong()->artist.isEmpty());

    platform.scheduler.advance(AppModel::peekDuration);
    EXPECT_FALSE(model->isPeekingSong());
    EXPECT_FALSE(model->isPeekForced());
    EXPECT_FALSE(model->debugPeekSong());

    model->debugPeekSong(AppModel::DebugPeek::demoSong);
    model->debugPeekSong(AppModel::DebugPeek::currentSong);
    EXPECT_TRUE(model->isPeekForced());
    EXPECT_FALSE(model->debugPeekSong()) << "a plain diagnostic peek shows the current song";
    platform.scheduler.advance(AppModel::peekDuration);
    EXPECT_FALSE(model->isPeekingSong());
    EXPECT_FALSE(model->isPeekForced());
}

TEST_F(AppModelTest, PreviewHeldByRepeatedCallsEndsOnceWithoutFlicker)
{
    QList<bool> changes;
    const QPropertyNotifier notifier = model->bindableIsPreviewingOpen().addNotifier([&] { changes.append(model->isPreviewingOpen()); });

    // Every 0.5 s for 5 s, as the open-width slider does while dragged.
    for (int call = 0; call <= 10; ++call) {
        model->previewOpenNotch();
        if (call < 10)
            platform.scheduler.advance(0.5);
    }
    EXPECT_EQ(changes, QList<bool>({true}));
    platform.scheduler.advance(1.49);
    EXPECT_TRUE(model->isPreviewingOpen());
    platform.scheduler.advance(0.01);
    EXPECT_EQ(changes, QList<bool>({true, false})) << "ends 1.5 s after the last call";
}

TEST_F(AppModelTest, MediaSourceMapsToThePlayersIdentifierOnTheNextTurn)
{
    model->preferences.idleDuration.setValue(7);
    model->start(noBridge);
    EXPECT_EQ(model->nowPlaying.sourceFilter(), std::nullopt);
    EXPECT_EQ(model->nowPlaying.idleDuration(), 7) << "applied at start";

    for (const MediaSource source : {MediaSource::music, MediaSource::spotify, MediaSource::any}) {
        SCOPED_TRACE(rawValue(source).toStdString());
        const auto before = model->nowPlaying.sourceFilter();
        model->preferences.mediaSource.setValue(source);
        EXPECT_EQ(model->nowPlaying.sourceFilter(), before) << "not before the next turn";
        nextTurn();
        EXPECT_EQ(model->nowPlaying.sourceFilter(), NowPlayingModel::sourceFilter(source));
    }
    EXPECT_EQ(model->nowPlaying.sourceFilter(), std::nullopt) << "any source";

    model->preferences.idleDuration.setValue(12);
    nextTurn();
    EXPECT_EQ(model->nowPlaying.idleDuration(), 12);
}

TEST_F(AppModelTest, FirstSongRaisesNoPeekTheNextOneDoesAfterAQuarterSecond)
{
    for (const bool playingAtLaunch : {true, false}) {
        SCOPED_TRACE(playingAtLaunch ? "a song plays at launch" : "the first song comes after launch");
        FakePlatform platform;
        AppModel model(platform.services());
        auto report = [&](const QString &title) {
            model.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                                {QStringLiteral("playing"), 1},
                                                {QStringLiteral("title"), title},
                                                {QStringLiteral("artist"), QStringLiteral("Banda")}});
        };
        if (playingAtLaunch)
            report(QStringLiteral("Primeira"));
        model.start(noBridge);
        if (!playingAtLaunch)
            report(QStringLiteral("Primeira"));
        platform.scheduler.advance(1);
        EXPECT_FALSE(model.isPeekingSong());

        report(QStringLiteral("Segunda"));
        platform.scheduler.advance(0.24);
        EXPECT_FALSE(model.isPeekingSong()) << "the check runs 0.25 s after the change";
        platform.scheduler.advance(0.01);
        EXPECT_TRUE(model.isPeekingSong());
        platform.scheduler.advance(4.49);
        EXPECT_TRUE(model.isPeekingSong());
        platform.scheduler.advance(0.01);
        EXPECT_FALSE(model.isPeekingSong());
        EXPECT_FALSE(model.isPeekForced());
    }
}

TEST_F(AppModelTest, AnotherArtistWithTheSameTitleIsAnotherSong)
{
    model->start(noBridge);
    reportAndCheck(QStringLiteral("Intro"), QStringLiteral("Banda A"));
    reportAndCheck(QStringLiteral("Intro"), QStringLiteral("Banda B"));
    EXPECT_TRUE(model->isPeekingSong());
}

TEST_F(AppModelTest, ThreeSkipsWithinTwoSecondsGiveOneContinuousPeek)
{
    model->start(noBridge);
    reportAndCheck(QStringLiteral("Um"), QStringLiteral("Banda"));
    QList<bool> changes;
    const QPropertyNotifier notifier = model->bindableIsPeekingSong().addNotifier([&] { changes.append(model->isPeekingSong()); });

    report(QStringLiteral("Dois"), QStringLiteral("Banda"));
    platform.scheduler.advance(0.7);
    report(QStringLiteral("Três"), QStringLiteral("Banda"));
    platform.scheduler.advance(0.7);
    report(QStringLiteral("Quatro"), QStringLiteral("Banda"));
    // The last check runs at 1.65 s; the peek ends 4.5 s later.
    platform.scheduler.advance(0.25 + 4.49);
    EXPECT_TRUE(model->isPeekingSong());
    platform.scheduler.advance(0.01);
    EXPECT_EQ(changes, QList<bool>({true, false}));
}

TEST_F(AppModelTest, SongsThatDoNotPeekAreStillRemembered)
{
    struct Case {
        const char *name;
        bool songPeek;
        bool playing;
    };
    const Case cases[] = {
        {"paused", true, false},
        {"song peek off", false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        AppModel model(platform.services());
        auto report = [&](const QString &title, bool playing) {
            model.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                                {QStringLiteral("playing"), playing ? 1 : 0},
                                                {QStringLiteral("title"), title}});
            platform.scheduler.advance(AppModel::songCheckDelay);
        };
        model.start(noBridge);
        report(QStringLiteral("Antes"), true);
        model.preferences.songPeek.setValue(c.songPeek);
        report(QStringLiteral("Depois"), c.playing);
        EXPECT_FALSE(model.isPeekingSong());

        model.preferences.songPeek.setValue(true);
        report(QStringLiteral("Depois"), true);
        EXPECT_FALSE(model.isPeekingSong()) << "resuming the remembered song, or turning the setting on, raises nothing";
    }
}

TEST_F(AppModelTest, SameSongAfterThePlayerStoppedRaisesNoPeek)
{
    model->start(noBridge);
    reportAndCheck(QStringLiteral("Um"), QStringLiteral("Banda"));
    reportAndCheck(QStringLiteral("Dois"), QStringLiteral("Banda"));
    platform.scheduler.advance(AppModel::peekDuration);
    ASSERT_FALSE(model->isPeekingSong());

    reportAndCheck(QString(), QString(), false);
    reportAndCheck(QStringLiteral("Dois"), QStringLiteral("Banda"));
    EXPECT_FALSE(model->isPeekingSong());

    reportAndCheck(QStringLiteral("Três"), QStringLiteral("Banda"));
    EXPECT_TRUE(model->isPeekingSong());
}

TEST_F(AppModelTest, SavedAppVolumesActBeforeTheEventLoopRuns)
{
    FakePlatform platform;
    platform.audio.addDevice(AudioScope::Output, AudioDevice{QStringLiteral("speakers"), QStringLiteral("Alto-falantes"), false, true, 0.5f, false});
    platform.audio.defaults[AudioScope::Output] = QStringLiteral("speakers");
    platform.workspace.addApplication(100, 1, QStringLiteral("org.player"));
    platform.audio.streamList = {AudioStream{1, AudioStream::Direction::Playback, 100, false, {1.0f}}};
    platform.defaults.values.insert(QStringLiteral("appVolumes"), QVariantMap{{QStringLiteral("org.player"), 0.3}});

    AppModel model(platform.services());
    ASSERT_EQ(platform.audio.taps.size(), 1);
    EXPECT_TRUE(platform.audio.taps[0]->isLive);
    EXPECT_EQ(platform.audio.taps[0]->gain, 0.3f);
    EXPECT_EQ(model.mixer.timerInterval(), AudioMixer::backgroundRefreshInterval);
}
