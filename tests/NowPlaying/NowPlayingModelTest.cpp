#include "NowPlaying/NowPlayingModel.h"
#include "Platform/Fake/FakeWindowServer.h"
#include "Platform/Fake/FakeWorkspace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

constexpr qint64 playerPid = 4242;

class NowPlayingModelTest : public ::testing::Test {
protected:
    NowPlayingModelTest()
    {
        workspace.addApplication(playerPid, 1, QStringLiteral("spotify"));
        workspace.processes[playerPid].application->localizedName = QStringLiteral("Spotify");
    }

    // A state object; `fields` are added to type "state".
    static QJsonObject state(const QJsonObject &fields)
    {
        QJsonObject object = fields;
        object.insert(QStringLiteral("type"), QStringLiteral("state"));
        return object;
    }
    static QJsonObject playing(const QString &title, double elapsed = 0)
    {
        return state({{"playing", 1}, {"title", title}, {"elapsed", elapsed}, {"pid", playerPid}});
    }
    // Seconds since 1970 of the manual clock, `offset` seconds from now.
    double stamp(double offset = 0) const { return static_cast<double>(scheduler.now().toMSecsSinceEpoch()) / 1000.0 + offset; }
    double position() const { return model.elapsed(scheduler.monotonicNow()); }

    // Makes `application` (or nothing) frontmost, as a window activation does.
    void makeFrontmost(std::optional<Workspace::RunningApplication> application)
    {
        workspace.frontmost = std::move(application);
        windowServer.activate();
    }

    // Artwork decodes run when the test says, in the order it says.
    void runDecode(qsizetype index)
    {
        decodes.takeAt(index)();
        QCoreApplication::processEvents(); // the result hops to the main thread
    }

    ManualScheduler scheduler;
    FakeWorkspace workspace;
    FakeWindowServer windowServer;
    QList<std::function<void()>> decodes;
    NowPlayingModel model{scheduler, workspace, windowServer, [this](std::function<void()> work) { decodes.append(std::move(work)); }};
};

QString base64Image(const QImage &image, const char *format = "png",
                    QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(transformation);
    writer.write(image);
    return QString::fromLatin1(buffer.data().toBase64());
}

QImage solid(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

TEST_F(NowPlayingModelTest, IgnoresObjectsThatAreNotStates)
{
    for (const QJsonObject &object : {QJsonObject(), QJsonObject{{"type", "ready"}}, QJsonObject{{"type", 1}},
                                      QJsonObject{{"title", "No type"}, {"playing", 1}}}) {
        model.handle(object);
        EXPECT_EQ(model.title(), QString());
        EXPECT_FALSE(model.isPlaying());
        EXPECT_FALSE(model.isActive());
    }
}

TEST_F(NowPlayingModelTest, AppliesAStateAndItsSource)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"artist", "Artist"}, {"album", "Album"}, {"duration", 200}, {"elapsed", 10},
                        {"rate", 2}, {"shuffle", 1}, {"repeat", 2}, {"pid", playerPid}, {"timestamp", stamp()}}));
    EXPECT_EQ(model.title(), u"Song");
    EXPECT_EQ(model.artist(), u"Artist");
    EXPECT_EQ(model.album(), u"Album");
    EXPECT_EQ(model.duration(), 200);
    EXPECT_TRUE(model.isPlaying());
    EXPECT_EQ(model.shuffleMode(), 1);
    EXPECT_EQ(model.repeatMode(), 2);
    EXPECT_EQ(model.bundleIdentifier(), u"spotify");
    EXPECT_EQ(model.appName(), u"Spotify");
    EXPECT_TRUE(model.hasMedia());
    EXPECT_TRUE(model.isActive());
    scheduler.advance(1.5);
    EXPECT_DOUBLE_EQ(position(), 13); // 10 + 1.5 s × rate 2
}

TEST_F(NowPlayingModelTest, KeysAbsentOrOfTheWrongTypeTakeTheirDefaults)
{
    struct Case {
        const char *name;
        QJsonObject fields;
        double duration;
        int shuffle;
        int repeat;
        bool playing;
    };
    const QList<Case> cases{
        {"negative duration", {{"duration", -5}, {"playing", 1}}, 0, 0, 0, true},
        {"duration as text", {{"duration", "200"}}, 0, 0, 0, false},
        {"fractional modes are cut", {{"shuffle", 2.7}, {"repeat", 1.2}}, 0, 2, 1, false},
        {"modes as text", {{"shuffle", "on"}, {"repeat", QJsonArray{1}}}, 0, 0, 0, false},
        {"modes out of range", {{"shuffle", 1e12}, {"repeat", -1e12}}, 0, 0, 0, false},
        {"playing as a boolean is no number", {{"playing", true}}, 0, 0, 0, false},
        {"any non-zero playing number plays", {{"playing", 0.5}}, 0, 0, 0, true},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        model.handle(state({{"duration", 100}, {"shuffle", 1}, {"repeat", 1}}));
        model.handle(state(testCase.fields));
        EXPECT_EQ(model.duration(), testCase.duration);
        EXPECT_EQ(model.shuffleMode(), testCase.shuffle);
        EXPECT_EQ(model.repeatMode(), testCase.repeat);
        EXPECT_EQ(model.isPlaying(), testCase.playing);
    }
}

TEST_F(NowPlayingModelTest, RateZeroCountsAsOne)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 0}, {"rate", 0}, {"timestamp", stamp()}}));
    scheduler.advance(2);
    EXPECT_DOUBLE_EQ(position(), 2);
}

TEST_F(NowPlayingModelTest, AReportWithoutAUsableProcessKeepsTheSource)
{
    workspace.addApplication(77, 1, QString()); // a process without an identifier
    model.handle(playing(QStringLiteral("Song")));
    for (const QJsonValue pid : {QJsonValue(0), QJsonValue(-3), QJsonValue(99999), QJsonValue("4242"), QJsonValue(5e9), QJsonValue()}) {
        model.handle(state({{"title", "Song"}, {"pid", pid}}));
        EXPECT_EQ(model.bundleIdentifier(), u"spotify");
        EXPECT_EQ(model.appName(), u"Spotify");
    }
    model.handle(state({{"title", "Song"}, {"pid", 77}}));
    EXPECT_EQ(model.bundleIdentifier(), std::nullopt);
}

TEST_F(NowPlayingModelTest, APauseReportNotNewerThanTheSnapshotIsStale)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 30}, {"timestamp", stamp()}}));
    const double start = stamp();
    scheduler.advance(0.3);
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 12}, {"timestamp", start + 0.3}}));
    EXPECT_FALSE(model.isPlaying());
    EXPECT_DOUBLE_EQ(position(), 30.3); // frozen where it visibly was
    scheduler.advance(5);
    EXPECT_DOUBLE_EQ(position(), 30.3);

    // Paused already: a stale report leaves the snapshot alone.
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 1}, {"timestamp", stamp(-10)}}));
    EXPECT_DOUBLE_EQ(position(), 30.3);
}

TEST_F(NowPlayingModelTest, AFirstPauseReportIsNeverStale)
{
    // A player already paused when the app starts: its first report comes
    // within moments of the model's creation and must show where it stands.
    struct Case {
        const char *name;
        double delay; // from the model's creation to the report
        std::optional<double> stampOffset; // the report's timestamp from then
    };
    const QList<Case> cases{
        {"at once", 0, 0.0},
        {"a fifth of a second later", 0.2, 0.0},
        {"sampled before it arrived", 0.3, -0.2},
        {"without a timestamp", 0.1, std::nullopt},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        NowPlayingModel fresh(scheduler, workspace, windowServer, [](std::function<void()>) {});
        scheduler.advance(testCase.delay);
        QJsonObject report{{"playing", 0}, {"title", "Song"}, {"duration", 200}, {"elapsed", 83}, {"pid", playerPid}};
        if (testCase.stampOffset)
            report.insert(QStringLiteral("timestamp"), stamp(*testCase.stampOffset));
        fresh.handle(state(report));
        EXPECT_FALSE(fresh.isPlaying());
        EXPECT_DOUBLE_EQ(fresh.elapsed(scheduler.monotonicNow()), 83);
        scheduler.advance(5);
        EXPECT_DOUBLE_EQ(fresh.elapsed(scheduler.monotonicNow()), 83) << "held while paused";

        // Once the model holds that position, a pause report no newer than
        // it is stale again.
        fresh.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 1}, {"timestamp", stamp(-10)}}));
        EXPECT_DOUBLE_EQ(fresh.elapsed(scheduler.monotonicNow()), 83);
    }
}

TEST_F(NowPlayingModelTest, APauseReportRightAfterASeekIsStale)
{
    model.seek(40);
    scheduler.advance(0.2);
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 12}, {"timestamp", stamp()}}));
    EXPECT_DOUBLE_EQ(position(), 40) << "the seek set the position the report is older than";
}

TEST_F(NowPlayingModelTest, APauseReportNewerThanTheSnapshotIsUsed)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 30}, {"timestamp", stamp()}}));
    const double start = stamp();
    scheduler.advance(2);
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 12}, {"timestamp", start + 2}}));
    EXPECT_DOUBLE_EQ(position(), 12);
}

TEST_F(NowPlayingModelTest, AReportWithoutTimestampHoldsNow)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 5}}));
    scheduler.advance(1);
    EXPECT_DOUBLE_EQ(position(), 6);
}

TEST_F(NowPlayingModelTest, TheOptimisticPlayStateHoldsForEightTenthsOfASecond)
{
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"elapsed", 10}, {"timestamp", stamp()}}));
    model.togglePlayPause();
    EXPECT_TRUE(model.isPlaying());
    scheduler.advance(0.3);
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    EXPECT_TRUE(model.isPlaying()) << "a contrary report inside the hold is overridden";
    scheduler.advance(0.2);
    model.handle(state({{"playing", 1}, {"title", "Song"}}));
    EXPECT_TRUE(model.isPlaying());
    scheduler.advance(0.5);
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    EXPECT_FALSE(model.isPlaying()) << "the agreeing report cleared the hold";

    // Without an agreeing report the hold ends after 0.8 s.
    model.togglePlayPause();
    scheduler.advance(0.79);
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    EXPECT_TRUE(model.isPlaying());
    scheduler.advance(0.01);
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    EXPECT_FALSE(model.isPlaying());
}

TEST_F(NowPlayingModelTest, StepsOfTheWallClockLeaveThePositionTheHoldAndTheIdleWaitAlone)
{
    model.setIdleDuration(3);
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 10}, {"timestamp", stamp()}}));
    scheduler.advance(1);
    scheduler.setNow(scheduler.now().addSecs(-60));
    scheduler.advance(1);
    EXPECT_DOUBLE_EQ(position(), 12);
    // A report stamped by the bridge after the step reads on the new time.
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 20}, {"timestamp", stamp(-0.5)}}));
    EXPECT_DOUBLE_EQ(position(), 20.5);

    model.togglePlayPause();
    scheduler.setNow(scheduler.now().addSecs(-60));
    scheduler.advance(0.8);
    model.handle(state({{"playing", 1}, {"title", "Song"}}));
    EXPECT_TRUE(model.isPlaying()) << "the 0.8 s hold ended on the monotonic clock";

    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    scheduler.setNow(scheduler.now().addSecs(-60));
    scheduler.advance(2.999);
    EXPECT_TRUE(model.isActive());
    scheduler.advance(0.001);
    EXPECT_FALSE(model.isActive());
}

TEST_F(NowPlayingModelTest, TogglingContinuesThePositionWhereItIs)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"elapsed", 10}, {"timestamp", stamp()}}));
    scheduler.advance(4);
    model.togglePlayPause(); // pause at 14
    scheduler.advance(10);
    EXPECT_DOUBLE_EQ(position(), 14);
    model.togglePlayPause(); // play again from 14
    scheduler.advance(1);
    EXPECT_DOUBLE_EQ(position(), 15);
}

TEST_F(NowPlayingModelTest, TheStripGoesIdleAfterPlaybackStops)
{
    model.setIdleDuration(3);
    model.handle(playing(QStringLiteral("Song")));
    EXPECT_TRUE(model.isActive());
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"pid", playerPid}}));
    scheduler.advance(2);
    // Each message while stopped starts the wait again.
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"pid", playerPid}}));
    scheduler.advance(2.99);
    EXPECT_TRUE(model.isActive());
    scheduler.advance(0.01);
    EXPECT_FALSE(model.isActive());

    // Playback that comes back within the wait cancels the deactivation.
    model.handle(playing(QStringLiteral("Song")));
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    scheduler.advance(1);
    model.handle(playing(QStringLiteral("Song")));
    scheduler.advance(10);
    EXPECT_TRUE(model.isActive());
}

TEST_F(NowPlayingModelTest, ASourceOutsideTheFilterKeepsPlayingButHasNoMedia)
{
    model.handle(playing(QStringLiteral("Song")));
    model.setSourceFilter(QStringList{QStringLiteral("org.gnome.Music")});
    EXPECT_FALSE(model.hasMedia());
    scheduler.advance(10);
    EXPECT_TRUE(model.isActive()) << "the deactivation found the player still playing";
}

TEST_F(NowPlayingModelTest, OnlyAChangedSourceFilterRunsTheActivityUpdate)
{
    model.handle(playing(QStringLiteral("Song")));
    model.handle(state({{"playing", 0}, {"title", "Song"}}));
    scheduler.advance(2);
    model.setSourceFilter(std::nullopt); // unchanged: the wait keeps its end
    scheduler.advance(1);
    EXPECT_FALSE(model.isActive());

    model.handle(playing(QStringLiteral("Song")));
    model.handle(state({{"playing", 0}, {"title", "Song"}, {"pid", playerPid}}));
    scheduler.advance(2);
    model.setSourceFilter(QStringList{QStringLiteral("spotify")}); // changed: the wait starts again
    scheduler.advance(1);
    EXPECT_TRUE(model.isActive());
    scheduler.advance(2);
    EXPECT_FALSE(model.isActive());
}

TEST_F(NowPlayingModelTest, ElapsedStaysWithinTheSong)
{
    struct Case {
        const char *name;
        double duration;
        double elapsed;
        bool playing;
        double after;
        double expected;
    };
    const QList<Case> cases{
        {"extrapolates while playing", 100, 10, true, 5, 15},
        {"holds while paused", 100, 10, false, 5, 10},
        {"never below zero", 100, -4, true, 1, 0},
        {"never past a positive duration", 100, 98, true, 5, 100},
        {"without a duration, no upper bound", 0, 98, true, 5, 103},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        scheduler.advance(10); // later than the row before, so never stale
        model.handle(state({{"playing", testCase.playing ? 1 : 0}, {"title", "Song"}, {"duration", testCase.duration},
                            {"elapsed", testCase.elapsed}, {"timestamp", stamp(1)}}));
        EXPECT_DOUBLE_EQ(model.elapsed(scheduler.monotonicNow().addMSecs(static_cast<qint64>((1 + testCase.after) * 1000))), testCase.expected);
    }
}

TEST_F(NowPlayingModelTest, CleansExtrasOffTitles)
{
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("Morning (Remastered 2009)"), QStringLiteral("Morning")},
        {QStringLiteral("Song (feat. Someone)"), QStringLiteral("Song")},
        {QStringLiteral("Song [Live at Wembley]"), QStringLiteral("Song")},
        {QStringLiteral("Song – Radio Edit"), QStringLiteral("Song")}, // en dash
        {QStringLiteral("Song — Acoustic Version"), QStringLiteral("Song")}, // em dash
        {QStringLiteral("Track [Deluxe Edition] - 2011 Remaster"), QStringLiteral("Track")},
        {QStringLiteral("A - B - Remix"), QStringLiteral("A - B")},
        {QStringLiteral("Canção (Ao Vivo) - MONO"), QStringLiteral("Canção (Ao Vivo)")},
        {QStringLiteral("Song - Part 2"), QStringLiteral("Song - Part 2")},
        {QStringLiteral("Liveness (Intro)"), QStringLiteral("Liveness (Intro)")}, // whole words only
        {QStringLiteral("(Live)"), QStringLiteral("(Live)")}, // nothing left: unchanged
        {QStringLiteral("\tSong\u00a0(Remix) "), QStringLiteral("Song")},
    };
    for (const auto &[title, cleaned] : cases) {
        SCOPED_TRACE(title.toStdString());
        model.handle(state({{"title", title}}));
        EXPECT_EQ(model.displayTitle(NowPlayingModel::Extras::hide), cleaned);
        EXPECT_EQ(model.displayTitle(NowPlayingModel::Extras::keep), title);
    }
}

TEST_F(NowPlayingModelTest, TransportCommandsUpdateTheModelAtOnce)
{
    model.handle(state({{"playing", 1}, {"title", "Song"}, {"duration", 300}, {"elapsed", 10}, {"shuffle", 2}, {"repeat", 2},
                        {"timestamp", stamp()}}));
    model.seek(83.25);
    EXPECT_DOUBLE_EQ(position(), 83.25);
    EXPECT_TRUE(model.isPlaying()) << "seeking leaves the play state";
    model.toggleShuffle();
    EXPECT_EQ(model.shuffleMode(), 0);
    model.toggleShuffle();
    EXPECT_EQ(model.shuffleMode(), 1);
    model.cycleRepeat();
    EXPECT_EQ(model.repeatMode(), 0);
    model.cycleRepeat();
    EXPECT_EQ(model.repeatMode(), 1);
    model.nextTrack(); // before start(): nothing to send to, nothing happens
    model.previousTrack();
    EXPECT_EQ(model.title(), u"Song");
}

TEST_F(NowPlayingModelTest, CopiesTitleAndArtistOnlyWithMedia)
{
    model.copyToPasteboard();
    EXPECT_EQ(workspace.clipboard, std::nullopt);
    model.handle(state({{"title", "Song"}}));
    model.copyToPasteboard();
    EXPECT_EQ(workspace.clipboard, u"Song");
    model.handle(state({{"title", "Song"}, {"artist", "Artist"}}));
    model.copyToPasteboard();
    EXPECT_EQ(workspace.clipboard, u"Song — Artist");
}

TEST_F(NowPlayingModelTest, OpensTheSourceApplicationWhenItIsInstalled)
{
    model.openSourceApp();
    EXPECT_TRUE(workspace.opened.isEmpty());
    model.handle(playing(QStringLiteral("Song")));
    model.openSourceApp();
    EXPECT_TRUE(workspace.opened.isEmpty()) << "not installed";
    workspace.installed.insert(QStringLiteral("spotify"), {QStringLiteral("/usr/share/applications/spotify.desktop"), QStringLiteral("Spotify")});
    model.openSourceApp();
    EXPECT_EQ(workspace.opened, QStringList{QStringLiteral("/usr/share/applications/spotify.desktop")});
}

TEST_F(NowPlayingModelTest, FollowsWhetherTheSourceIsFrontmost)
{
    model.start(MediaBridgeProcess::Files{}); // no bridge files: nothing is started
    makeFrontmost(Workspace::RunningApplication{playerPid, QStringLiteral("spotify"), QStringLiteral("Spotify"), true});
    EXPECT_FALSE(model.sourceIsFrontmost()) << "no source yet";
    model.handle(playing(QStringLiteral("Song")));
    EXPECT_TRUE(model.sourceIsFrontmost());
    makeFrontmost(Workspace::RunningApplication{7, QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal"), true});
    EXPECT_FALSE(model.sourceIsFrontmost());
    makeFrontmost(Workspace::RunningApplication{8, QString(), QString(), true});
    EXPECT_FALSE(model.sourceIsFrontmost());
}

TEST_F(NowPlayingModelTest, SourceFiltersOfTheMediaSourceSettingAcceptEveryPackagingOfTheApplication)
{
    struct Case {
        MediaSource source;
        const char *player; // the playing application's desktop id
        bool hasMedia;
    };
    const Case cases[] = {
        {MediaSource::spotify, "spotify", true},
        {MediaSource::spotify, "com.spotify.Client", true}, // Flatpak
        {MediaSource::spotify, "spotify_spotify", true}, // Snap
        {MediaSource::spotify, "com.spotify.client", false}, // desktop ids compare exactly
        {MediaSource::spotify, "org.gnome.Music", false},
        {MediaSource::spotify, "org.example.Player", false},
        {MediaSource::music, "org.gnome.Music", true},
        {MediaSource::music, "spotify", false},
        {MediaSource::music, "com.spotify.Client", false},
        {MediaSource::any, "org.example.Player", true},
        {MediaSource::any, "spotify_spotify", true},
    };
    qint64 pid = 5000;
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.player);
        workspace.addApplication(++pid, 1, QString::fromLatin1(testCase.player));
        model.setSourceFilter(NowPlayingModel::sourceFilter(testCase.source));
        model.handle(state({{"playing", 1}, {"title", "Song"}, {"pid", pid}}));
        EXPECT_EQ(model.hasMedia(), testCase.hasMedia) << "source setting " << int(testCase.source);
    }
}

TEST(NowPlayingArtwork, TintsFromTheAverageColour)
{
    struct Case {
        QColor color;
        double hue, saturation, brightness, alpha;
    };
    const QList<Case> cases{
        {QColor(255, 0, 0), 0, 0.75, 1, 1},
        {QColor(0, 0, 128), 2.0 / 3.0, 0.75, 0.85, 1},
        {QColor(128, 128, 128), -1, 0, 1, 0.85}, // grey: translucent white
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.color.name().toStdString());
        const QColor tint = NowPlayingModel::averageColor(solid(40, 30, testCase.color));
        EXPECT_NEAR(tint.hsvHueF(), testCase.hue, 0.01);
        EXPECT_NEAR(tint.hsvSaturationF(), testCase.saturation, 0.01);
        EXPECT_NEAR(tint.valueF(), testCase.brightness, 0.01);
        EXPECT_NEAR(tint.alphaF(), testCase.alpha, 0.01);
    }
    // Half red, half blue averages to a purple.
    QImage halves = solid(2, 2, Qt::red);
    halves.setPixelColor(0, 1, Qt::blue);
    halves.setPixelColor(1, 1, Qt::blue);
    EXPECT_NEAR(NowPlayingModel::averageColor(halves).hsvHueF(), 300.0 / 360.0, 0.01);
}

TEST_F(NowPlayingModelTest, DecodesArtworkIntoABoundedThumbnail)
{
    struct Case {
        const char *name;
        QString base64;
        QSize size;
    };
    const QList<Case> cases{
        {"a large image is scaled to 720 on its longer side", base64Image(solid(3000, 2000, QColor(255, 0, 0))), QSize(720, 480)},
        {"a small image keeps its size", base64Image(solid(300, 200, QColor(255, 0, 0))), QSize(300, 200)},
        {"the orientation is applied", base64Image(solid(400, 100, QColor(255, 0, 0)), "jpeg", QImageIOHandler::TransformationRotate90),
         QSize(100, 400)},
        {"a large rotated image is bounded after the rotation",
         base64Image(solid(3000, 2000, QColor(255, 0, 0)), "jpeg", QImageIOHandler::TransformationRotate90), QSize(480, 720)},
    };
    int version = 0;
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        model.handle(state({{"title", "Song"}, {"artwork", testCase.base64}}));
        EXPECT_EQ(model.artworkVersion(), version) << "decoded off the main thread, later";
        ASSERT_EQ(decodes.size(), 1);
        runDecode(0);
        EXPECT_EQ(model.artworkVersion(), ++version);
        EXPECT_EQ(model.artwork().size(), testCase.size);
        EXPECT_NEAR(model.tint().hsvSaturationF(), 0.75, 0.02);
    }
}

TEST_F(NowPlayingModelTest, ArtworkThatDoesNotDecodeChangesNothing)
{
    model.handle(state({{"title", "Song"}, {"artwork", base64Image(solid(10, 10, QColor(0, 0, 128)))}}));
    runDecode(0);
    const QColor tint = model.tint();
    for (const QString &bad : {QStringLiteral("aGVs\nbG8="), QStringLiteral("aGVs bG8="), QStringLiteral("aGVsbG8=$"), QStringLiteral("-_8="),
                               QStringLiteral("çã=="), QString::fromLatin1(QByteArray("not an image").toBase64())}) {
        SCOPED_TRACE(bad.toStdString());
        model.handle(state({{"title", "Song"}, {"artwork", bad}}));
        runDecode(0);
        EXPECT_EQ(model.artworkVersion(), 1);
        EXPECT_EQ(model.tint(), tint);
        EXPECT_FALSE(model.artwork().isNull());
    }
    // A key that is not a string, or no key, keeps the artwork too.
    model.handle(state({{"title", "Song"}, {"artwork", 5}}));
    model.handle(state({}));
    EXPECT_TRUE(decodes.isEmpty());
    EXPECT_EQ(model.artworkVersion(), 1);
    EXPECT_FALSE(model.artwork().isNull());
}

TEST_F(NowPlayingModelTest, EveryDecodeAndEveryClearCountsAsAVersion)
{
    const QString red = base64Image(solid(10, 10, Qt::red));
    model.handle(state({{"title", "Song"}, {"artwork", red}}));
    runDecode(0);
    model.handle(state({{"title", "Song"}, {"artwork", red}}));
    runDecode(0);
    EXPECT_EQ(model.artworkVersion(), 2);
    model.handle(state({{"artwork", ""}}));
    EXPECT_TRUE(model.artwork().isNull());
    EXPECT_NEAR(model.tint().hsvSaturationF(), 0.75, 0.02) << "a clear keeps the tint";
    model.handle(state({{"artwork", ""}}));
    EXPECT_EQ(model.artworkVersion(), 4);
}

TEST_F(NowPlayingModelTest, ASlowOldDecodeNeverReplacesNewerArtwork)
{
    model.handle(state({{"title", "One"}, {"artwork", base64Image(solid(10, 10, Qt::red))}}));
    model.handle(state({{"title", "Two"}, {"artwork", base64Image(solid(20, 20, Qt::blue))}}));
    runDecode(1); // the newer one finishes first
    EXPECT_EQ(model.artwork().size(), QSize(20, 20));
    runDecode(0);
    EXPECT_EQ(model.artwork().size(), QSize(20, 20));
    EXPECT_EQ(model.artworkVersion(), 1);

    // Nor brings back artwork cleared after it started.
    model.handle(state({{"title", "Three"}, {"artwork", base64Image(solid(30, 30, Qt::green))}}));
    model.handle(state({{"artwork", ""}}));
    runDecode(0);
    EXPECT_TRUE(model.artwork().isNull());
    EXPECT_EQ(model.artworkVersion(), 2);
}

TEST_F(NowPlayingModelTest, AnOlderDecodeStillShowsWhenTheNewerOneFails)
{
    model.handle(state({{"title", "One"}, {"artwork", base64Image(solid(10, 10, Qt::red))}}));
    model.handle(state({{"title", "Two"}, {"artwork", QStringLiteral("bm90IGFuIGltYWdl")}}));
    runDecode(1);
    runDecode(0);
    EXPECT_EQ(model.artwork().size(), QSize(10, 10));
}

} // namespace
