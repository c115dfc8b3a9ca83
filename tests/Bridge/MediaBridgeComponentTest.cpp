// The bridge as the app runs it (/usr/bin/perl bridge.pl <library>) against
// scripted MPRIS players on a private session bus.

#include "LineProcess.h"
#include "LoopbackHttpServer.h"
#include "PrivateBus.h"
#include "ScriptedPlayer.h"
#include "Support/Resources.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

QJsonObject parse(const QByteArray &line)
{
    return QJsonDocument::fromJson(line).object();
}

double secondsNow()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

class MediaBridge : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    void startBridge(const QString &library = Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so")))
    {
        ASSERT_TRUE(bridge.start(QStringLiteral("/usr/bin/perl"), {Resources::sharePath(QStringLiteral("bridge.pl")), library}));
        const auto first = bridge.nextLine();
        ASSERT_TRUE(first.has_value()) << bridge.process().readAllStandardError().toStdString();
        EXPECT_EQ(*first, QByteArray(R"({"type":"ready"})"));
    }

    // The next state line.
    std::optional<QJsonObject> nextState()
    {
        const auto line = bridge.waitForLine([](const QByteArray &line) { return parse(line).value(u"type").toString() == u"state"; });
        return line ? std::optional(parse(*line)) : std::nullopt;
    }

    // The first state line that satisfies `accept`.
    std::optional<QJsonObject> stateWhere(const std::function<bool(const QJsonObject &)> &accept)
    {
        const auto line = bridge.waitForLine([&](const QByteArray &line) {
            const QJsonObject object = parse(line);
            return object.value(u"type").toString() == u"state" && accept(object);
        });
        return line ? std::optional(parse(*line)) : std::nullopt;
    }

    std::optional<QJsonObject> stateWithTitle(const QString &title)
    {
        return stateWhere([&](const QJsonObject &state) { return state.value(u"title").toString() == title; });
    }

    // The first state line that satisfies `accept`, read while this thread's
    // event loop runs, which the loopback server needs to answer.
    std::optional<QJsonObject> stateWhileServing(const std::function<bool(const QJsonObject &)> &accept, int timeoutMilliseconds = 5000)
    {
        std::optional<QJsonObject> found;
        (void)QTest::qWaitFor(
            [&] {
                while (const auto line = bridge.nextLine(0)) {
                    const QJsonObject object = parse(*line);
                    if (object.value(u"type").toString() == u"state" && accept(object)) {
                        found = object;
                        return true;
                    }
                }
                return false;
            },
            timeoutMilliseconds);
        return found;
    }

    // The bridge's diagnostics so far.
    const QByteArray &errors()
    {
        m_errors += bridge.process().readAllStandardError();
        return m_errors;
    }

    // Waits, with the event loop running, for a diagnostic containing `text`.
    bool waitForError(const QByteArray &text, int timeoutMilliseconds = 5000)
    {
        return QTest::qWaitFor([&] { return errors().contains(text); }, timeoutMilliseconds);
    }

    PrivateBus bus;
    LineProcess bridge;

private:
    QByteArray m_errors;
};

TEST_F(MediaBridge, WritesReadyThenABareStateWithoutPlayers)
{
    startBridge();
    const auto state = nextState();
    ASSERT_TRUE(state);
    EXPECT_EQ(*state, QJsonObject({{"type", "state"}, {"pid", 0}, {"playing", 0}}));
}

TEST_F(MediaBridge, ReportsEverythingThePlayerTells)
{
    QTemporaryDir folder;
    const QString artPath = folder.filePath(QStringLiteral("cover art.png"));
    QFile art(artPath);
    ASSERT_TRUE(art.open(QIODevice::WriteOnly));
    art.write("not really a png, but bytes all the same");
    art.close();

    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("one")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Águas de Março", "artist": ["Elis", "Tom"], "album": "Elis & Tom",)"
                                          R"( "length": 212500000, "trackid": "/t/1", "artUrl": "%1"})")
                               .arg(QString::fromUtf8(QUrl::fromLocalFile(artPath).toEncoded()))));
    ASSERT_TRUE(player.run(QStringLiteral("position 30250000")));
    ASSERT_TRUE(player.run(QStringLiteral("rate 1.5")));
    ASSERT_TRUE(player.run(QStringLiteral("shuffle true")));
    ASSERT_TRUE(player.run(QStringLiteral("loop Playlist")));
    ASSERT_TRUE(player.run(QStringLiteral("status Playing")));

    const double before = secondsNow();
    startBridge();
    const auto line = bridge.waitForLine([](const QByteArray &line) { return line.contains("\"state\""); });
    ASSERT_TRUE(line);
    const QJsonObject state = parse(*line);
    EXPECT_EQ(state.value(u"title").toString(), u"Águas de Março");
    EXPECT_EQ(state.value(u"artist").toString(), u"Elis, Tom");
    EXPECT_EQ(state.value(u"album").toString(), u"Elis & Tom");
    EXPECT_DOUBLE_EQ(state.value(u"duration").toDouble(), 212.5);
    EXPECT_DOUBLE_EQ(state.value(u"elapsed").toDouble(), 30.25);
    EXPECT_DOUBLE_EQ(state.value(u"rate").toDouble(), 1.5);
    EXPECT_EQ(state.value(u"pid").toInteger(), player.pid());
    EXPECT_GE(state.value(u"timestamp").toDouble(), before - 1);
    EXPECT_LE(state.value(u"timestamp").toDouble(), secondsNow() + 1);
    EXPECT_EQ(state.value(u"artwork").toString(), QByteArray("not really a png, but bytes all the same").toBase64());
    // Flags and modes are integers, never JSON booleans or fractions.
    EXPECT_TRUE(line->contains(R"("playing":1)")) << line->toStdString();
    EXPECT_TRUE(line->contains(R"("shuffle":1)")) << line->toStdString();
    EXPECT_TRUE(line->contains(R"("repeat":2)")) << line->toStdString();
}

TEST_F(MediaBridge, SendsArtworkOnlyWhenItChangesAndClearsItWhenThePlayerEmpties)
{
    QTemporaryDir folder;
    const auto writeArt = [&folder](const QString &name, const QByteArray &bytes) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return QUrl::fromLocalFile(file.fileName()).toString();
    };
    const QString red = writeArt(QStringLiteral("red"), "red cover");
    const QString sameBytes = writeArt(QStringLiteral("same"), "red cover");
    const QString empty = writeArt(QStringLiteral("empty"), "");

    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("art")));
    startBridge();
    ASSERT_TRUE(nextState());

    struct Step {
        const char *what;
        QString metadata;
        std::optional<QString> artwork; // none: the key must be absent
        QString title;
    };
    const QString redBase64 = QString::fromLatin1(QByteArray("red cover").toBase64());
    const std::vector<Step> steps{
        {"first artwork is sent", QStringLiteral(R"({"title": "One", "artUrl": "%1"})").arg(red), redBase64, QStringLiteral("One")},
        {"the same bytes from another file are not sent again", QStringLiteral(R"({"title": "Two", "artUrl": "%1"})").arg(sameBytes),
         std::nullopt, QStringLiteral("Two")},
        {"a titled song without artwork keeps the old artwork", QStringLiteral(R"({"title": "Three"})"), std::nullopt, QStringLiteral("Three")},
        {"an empty file counts as no artwork", QStringLiteral(R"({"title": "Four", "artUrl": "%1"})").arg(empty), std::nullopt,
         QStringLiteral("Four")},
        {"the player empties: artwork cleared", QStringLiteral("{}"), QString(), QString()},
        {"the same artwork after a clear is sent in full", QStringLiteral(R"({"title": "Six", "artUrl": "%1"})").arg(red), redBase64,
         QStringLiteral("Six")},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(player.run(QStringLiteral("metadata ") + step.metadata));
        const auto state = step.title.isEmpty() ? stateWhere([](const QJsonObject &state) { return !state.contains(u"title"); })
                                                : stateWithTitle(step.title);
        ASSERT_TRUE(state);
        EXPECT_EQ(state->contains(u"artwork"), step.artwork.has_value());
        if (step.artwork)
            EXPECT_EQ(state->value(u"artwork").toString(), *step.artwork);
    }
}

// The now-playing player quits after its artwork was sent: an empty record
// clears the artwork, before the next player's song (which has none) shows.
class PlayerDeparture : public MediaBridge, public ::testing::WithParamInterface<bool> {};

TEST_P(PlayerDeparture, ClearsTheArtworkBeforeTheNextPlayerShows)
{
    const bool nextPlayerWaits = GetParam();
    QTemporaryDir folder;
    QFile art(folder.filePath(QStringLiteral("cover")));
    ASSERT_TRUE(art.open(QIODevice::WriteOnly));
    art.write("cover of the player that quits");
    art.close();

    ScriptedPlayer next;
    const auto startNext = [&next] {
        ASSERT_TRUE(next.start(QStringLiteral("next")));
        ASSERT_TRUE(next.run(QStringLiteral(R"(metadata {"title": "Next"})")));
        ASSERT_TRUE(next.run(QStringLiteral("status Paused")));
    };
    if (nextPlayerWaits)
        startNext();
    ScriptedPlayer leaving;
    ASSERT_TRUE(leaving.start(QStringLiteral("leaving")));
    ASSERT_TRUE(leaving.run(QStringLiteral(R"(metadata {"title": "Leaving", "artUrl": "%1"})")
                                .arg(QUrl::fromLocalFile(art.fileName()).toString())));
    ASSERT_TRUE(leaving.run(QStringLiteral("status Playing")));
    startBridge();
    ASSERT_TRUE(stateWhere([](const QJsonObject &state) { return state.value(u"title").toString() == u"Leaving" && state.contains(u"artwork"); }));

    leaving.quit();
    QList<QJsonObject> before;
    const auto cleared = stateWhere([&](const QJsonObject &state) {
        before.append(state);
        return state.contains(u"artwork");
    });
    ASSERT_TRUE(cleared);
    EXPECT_EQ(*cleared, QJsonObject({{"type", "state"}, {"pid", 0}, {"playing", 0}, {"artwork", ""}}));
    for (const QJsonObject &state : before)
        EXPECT_NE(state.value(u"title").toString(), u"Next") << "the next song showed before the artwork was cleared";

    if (!nextPlayerWaits)
        startNext();
    const auto shown = stateWithTitle(QStringLiteral("Next"));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->value(u"pid").toInteger(), next.pid());
    EXPECT_FALSE(shown->contains(u"artwork"));
}

INSTANTIATE_TEST_SUITE_P(NextPlayer, PlayerDeparture, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "AlreadyThere" : "ComesLater"; });

// Artwork by address. In `address`, "{server}" stands for the loopback
// server's http://127.0.0.1:<port> and "{folder}" for a folder that holds
// "cover art.png" ("file cover").
struct ArtworkCase {
    const char *name;
    QString address;
    QList<LoopbackHttpServer::Reply> replies;
    std::optional<QByteArray> artwork; // none: no artwork, and `error` is logged once
    qsizetype requests;
    QByteArray error;
};

void PrintTo(const ArtworkCase &artwork, std::ostream *out)
{
    *out << artwork.name;
}

class ArtworkAddresses : public MediaBridge, public ::testing::WithParamInterface<ArtworkCase> {
protected:
    LoopbackHttpServer server;
};

TEST_P(ArtworkAddresses, GiveTheirImageOnceOrNoneAndTheBridgeGoesOn)
{
    const ArtworkCase &artwork = GetParam();
    for (const LoopbackHttpServer::Reply &reply : artwork.replies)
        server.enqueue(reply);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("cover art.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("file cover");
    file.close();
    const QString address =
        QString(artwork.address).replace(QStringLiteral("{server}"), server.url().toString()).replace(QStringLiteral("{folder}"), folder.path());
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("art")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Cover", "artUrl": "%1"})").arg(address)));
    ASSERT_TRUE(player.run(QStringLiteral("status Playing")));
    startBridge();

    if (artwork.artwork) {
        const auto state = stateWhileServing([](const QJsonObject &state) { return state.contains(u"artwork"); });
        ASSERT_TRUE(state) << errors().toStdString();
        EXPECT_EQ(state->value(u"artwork").toString().toLatin1(), artwork.artwork->toBase64());
    } else {
        ASSERT_TRUE(waitForError(artwork.error)) << errors().toStdString();
    }
    // Refreshes neither fetch nor report again, and commands go on.
    for (int i = 0; i < 3; ++i) {
        bridge.writeLine("toggle");
        const auto state = stateWhileServing([](const QJsonObject &) { return true; });
        ASSERT_TRUE(state);
        EXPECT_FALSE(state->contains(u"artwork"));
    }
    EXPECT_TRUE(player.waitForCall(QStringLiteral("PlayPause")));
    EXPECT_EQ(server.requests.size(), artwork.requests);
    if (!artwork.artwork) {
        EXPECT_EQ(errors().count(artwork.error), 1) << errors().toStdString();
    }
    EXPECT_EQ(bridge.process().state(), QProcess::Running);
}

LoopbackHttpServer::Reply redirectTo(const QByteArray &location)
{
    return {302, {}, {{"Location", location}}};
}

// Bytes whose base64 has the characters that data addresses may escape.
const QByteArray escapedBytes("\xfb\xff\xbf\x01", 4);

INSTANTIATE_TEST_SUITE_P(
    Addresses, ArtworkAddresses,
    ::testing::Values(
        ArtworkCase{"FileWithAnUnescapedSpace", QStringLiteral("file://{folder}/cover art.png"), {}, QByteArray("file cover"), 0, {}},
        ArtworkCase{"FileOnLocalhost", QStringLiteral("file://localhost{folder}/cover%20art.png"), {}, QByteArray("file cover"), 0, {}},
        ArtworkCase{"Web", QStringLiteral("{server}/cover.jpg"), {{200, "web cover", {}}}, QByteArray("web cover"), 1, {}},
        ArtworkCase{"WebRedirectedOnce", QStringLiteral("{server}/old.jpg"), {redirectTo("/new.jpg"), {200, "moved cover", {}}}, QByteArray("moved cover"), 2, {}},
        ArtworkCase{"DataBase64", QStringLiteral("data:image/png;base64,") + QString::fromLatin1(QByteArray("data cover").toBase64()), {},
                    QByteArray("data cover"), 0, {}},
        ArtworkCase{"DataBase64PercentEscaped", QStringLiteral("data:image/png;BASE64,%2B%2F%2B%2FAQ%3D%3D"), {}, escapedBytes, 0, {}},
        ArtworkCase{"DataPercentEncoded", QStringLiteral("data:image/png,%89PNG%0D%0A%1A%0A"), {}, QByteArray("\x89PNG\r\n\x1a\n"), 0, {}},
        ArtworkCase{"WebNotFound", QStringLiteral("{server}/missing.jpg"), {{404, "not found", {}}}, std::nullopt, 1, "no artwork from http://127.0.0.1"},
        ArtworkCase{"WebEmptyAnswer", QStringLiteral("{server}/empty.jpg"), {{200, {}, {}}}, std::nullopt, 1, "no artwork from http://127.0.0.1"},
        ArtworkCase{"WebLargerThanTheLimit", QStringLiteral("{server}/huge.jpg"), {{200, QByteArray(16 * 1024 * 1024 + 1, 'x'), {}}}, std::nullopt, 1,
                    "no artwork from http://127.0.0.1"},
        ArtworkCase{"WebRedirectLoop", QStringLiteral("{server}/loop.jpg"), QList<LoopbackHttpServer::Reply>(10, redirectTo("/loop.jpg")), std::nullopt, 6,
                    "no artwork from http://127.0.0.1"},
        ArtworkCase{"WebRedirectToAFile", QStringLiteral("{server}/cover.jpg"), {redirectTo("file:///etc/hostname")}, std::nullopt, 1,
                    "no artwork from http://127.0.0.1"},
        ArtworkCase{"UnsupportedScheme", QStringLiteral("ftp://127.0.0.1/cover.jpg"), {}, std::nullopt, 0, "artwork address not supported: ftp://"},
        ArtworkCase{"DataWithoutComma", QStringLiteral("data:image/png;base64"), {}, std::nullopt, 0, "no artwork in data:image/png;base64"}),
    [](const ::testing::TestParamInfo<ArtworkCase> &info) { return std::string(info.param.name); });

TEST_F(MediaBridge, GivesUpOnASlowArtworkServerAndAnswersMeanwhile)
{
    LoopbackHttpServer server;
    server.setHolding(true);
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("slow")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Slow", "artUrl": "%1/slow.jpg"})").arg(server.url().toString())));
    startBridge();
    ASSERT_TRUE(server.waitForRequests(1));

    // The fetch hangs; the bus and the commands do not.
    bridge.writeLine("toggle");
    EXPECT_TRUE(player.waitForCall(QStringLiteral("PlayPause")));
    EXPECT_TRUE(stateWhileServing([](const QJsonObject &state) { return state.value(u"playing").toInt() == 1; }));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Still slow", "artUrl": "%1/slow.jpg"})").arg(server.url().toString())));
    const auto state = stateWhileServing([](const QJsonObject &state) { return state.value(u"title").toString() == u"Still slow"; });
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->contains(u"artwork"));

    // The bridge stops waiting on its own, reports it once and asks no more.
    ASSERT_TRUE(waitForError("no artwork from " + server.url().toEncoded() + "/slow.jpg", 20000)) << errors().toStdString();
    bridge.writeLine("");
    EXPECT_TRUE(stateWhileServing([](const QJsonObject &state) { return !state.contains(u"artwork"); }));
    EXPECT_EQ(server.requests.size(), 1);
}

TEST_F(MediaBridge, CommandsReachThePlayer)
{
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("commands")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Song", "trackid": "/t/1", "length": 200000000})")));
    ASSERT_TRUE(player.run(QStringLiteral("status Paused")));
    startBridge();
    ASSERT_TRUE(stateWithTitle(QStringLiteral("Song")));

    struct Command {
        QByteArray line;
        QString call;
        // The state key and value that show the player's answer; the next
        // command depends on it.
        const char *key = nullptr;
        double value = 0;
    };
    const std::vector<Command> commands{
        {"toggle", QStringLiteral("PlayPause"), "playing", 1},
        {"pause", QStringLiteral("Pause"), "playing", 0},
        {"play", QStringLiteral("Play"), "playing", 1},
        {"pause", QStringLiteral("Pause"), "playing", 0},
        {"playpause", QStringLiteral("Play"), "playing", 1}, // matched by its prefix
        {"next", QStringLiteral("Next")},
        {"prev", QStringLiteral("Previous")},
        {"shuffle", QStringLiteral("Shuffle true"), "shuffle", 1},
        {"shuffle", QStringLiteral("Shuffle false"), "shuffle", 0},
        {"repeat", QStringLiteral("LoopStatus Track"), "repeat", 1},
        {"repeat", QStringLiteral("LoopStatus Playlist"), "repeat", 2},
        {"repeat", QStringLiteral("LoopStatus None"), "repeat", 0},
        {"seek 12.5", QStringLiteral("SetPosition /t/1 12500000"), "elapsed", 12.5},
        {"seek abc", QStringLiteral("SetPosition /t/1 0"), "elapsed", 0},
    };
    for (const Command &command : commands) {
        SCOPED_TRACE(command.line.toStdString());
        bridge.writeLine(command.line);
        EXPECT_TRUE(player.waitForCall(command.call));
        // Every line is answered by a snapshot. The player's change may reach
        // the bridge after that one; it brings another.
        if (command.key)
            ASSERT_TRUE(stateWhere([&](const QJsonObject &state) { return state.value(QLatin1String(command.key)).toDouble() == command.value; }));
        else
            ASSERT_TRUE(nextState());
    }
}

TEST_F(MediaBridge, AnswersEveryLineWithOneStatePerBurst)
{
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("quiet")));
    startBridge();
    ASSERT_TRUE(nextState());

    // Unknown lines, an empty one and a seek without its space do nothing
    // but ask for a snapshot; five lines in one write make one snapshot.
    bridge.process().write("hello\n\nseekx 3\nnope\nstill nothing\n");
    ASSERT_TRUE(nextState());
    EXPECT_TRUE(bridge.staysQuiet(300));

    // A line longer than 255 bytes is read in pieces, each taken as a line.
    bridge.writeLine(QByteArray(300, 'x'));
    ASSERT_TRUE(nextState());
    EXPECT_TRUE(bridge.staysQuiet(300));
}

TEST_F(MediaBridge, EndsWithZeroWhenItsInputCloses)
{
    startBridge();
    bridge.writeLine("toggle"); // a refresh is pending when the input closes
    bridge.closeInput();
    EXPECT_EQ(bridge.waitForExit(), 0);
}

TEST_F(MediaBridge, EndsWithTwoWithoutTheMediaFramework)
{
    QTemporaryDir folder;
    const QString library = folder.filePath(QStringLiteral("libQuibMediaBridge.so"));
    ASSERT_TRUE(QFile::copy(Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so")), library));
    ASSERT_TRUE(bridge.start(QStringLiteral("/usr/bin/perl"), {Resources::sharePath(QStringLiteral("bridge.pl")), library}));
    EXPECT_EQ(bridge.waitForExit(), 2);
    EXPECT_EQ(bridge.process().readAllStandardError(), "quib-bridge: cannot load MediaRemote\n");
    EXPECT_TRUE(bridge.process().readAllStandardOutput().isEmpty());
}

TEST_F(MediaBridge, EndsWithThreeWhenARequiredFunctionIsMissing)
{
    // A library with none of the framework's functions stands in for it.
    QTemporaryDir folder;
    const QString library = folder.filePath(QStringLiteral("libQuibMediaBridge.so"));
    ASSERT_TRUE(QFile::copy(Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so")), library));
    ASSERT_TRUE(QFile::copy(Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so")), folder.filePath(QStringLiteral("libQuibMediaRemote.so"))));
    ASSERT_TRUE(bridge.start(QStringLiteral("/usr/bin/perl"), {Resources::sharePath(QStringLiteral("bridge.pl")), library}));
    EXPECT_EQ(bridge.waitForExit(), 3);
    EXPECT_EQ(bridge.process().readAllStandardError(), "quib-bridge: missing symbol MRMediaRemoteRegisterForNowPlayingNotifications\n"
                                                       "quib-bridge: missing symbol MRMediaRemoteGetNowPlayingInfo\n"
                                                       "quib-bridge: missing symbol MRMediaRemoteGetNowPlayingApplicationIsPlaying\n"
                                                       "quib-bridge: missing symbol MRMediaRemoteGetNowPlayingApplicationPID\n"
                                                       "quib-bridge: missing symbol MRMediaRemoteSendCommand\n"
                                                       "quib-bridge: missing symbol MRMediaRemoteSetElapsedTime\n");
}

TEST_F(MediaBridge, RunsWithoutTheOptionalSeekFunction)
{
    QTemporaryDir folder;
    const QString library = folder.filePath(QStringLiteral("libQuibMediaBridge.so"));
    ASSERT_TRUE(QFile::copy(Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so")), library));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUIB_PARTIAL_MEDIA_REMOTE), folder.filePath(QStringLiteral("libQuibMediaRemote.so"))));
    startBridge(library);
    EXPECT_EQ(bridge.process().readAllStandardError(), "quib-bridge: missing symbol MRMediaRemoteSetElapsedTime\n");
    ASSERT_TRUE(nextState());
    bridge.writeLine("seek 3");
    EXPECT_TRUE(nextState());
}

// A seek names the track when the player gives a valid track id, else it
// jumps by the offset from the player's position (30 s in each case).
struct SeekCase {
    const char *name;
    const char *metadata;
    QByteArray line;
    QString call;
};

void PrintTo(const SeekCase &seek, std::ostream *out)
{
    *out << seek.name;
}

class Seeking : public MediaBridge, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(Seeking, NamesTheTrackElseJumpsByTheOffset)
{
    const SeekCase &seek = GetParam();
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("tracks")));
    ASSERT_TRUE(player.run(QStringLiteral("metadata ") + QLatin1String(seek.metadata)));
    ASSERT_TRUE(player.run(QStringLiteral("position 30000000")));
    startBridge();
    ASSERT_TRUE(stateWithTitle(QStringLiteral("Song")));
    bridge.writeLine(seek.line);
    EXPECT_TRUE(player.waitForCall(seek.call));
    // Commands reach the player in the order of the lines: once the toggle
    // has arrived, any other seek call would have too.
    bridge.writeLine("toggle");
    ASSERT_TRUE(player.waitForCall(QStringLiteral("PlayPause")));
    EXPECT_FALSE(player.takeCall(QStringLiteral("Seek")));
    EXPECT_FALSE(player.takeCall(QStringLiteral("SetPosition")));
    EXPECT_EQ(bridge.process().state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, Seeking,
    ::testing::Values(SeekCase{"ValidTrackPath", R"({"title": "Song", "trackid": "/t/2"})", "seek 12.5", QStringLiteral("SetPosition /t/2 12500000")},
                      // Some players send the track id as a string.
                      SeekCase{"TrackPathAsString", R"({"title": "Song", "trackidString": "/t/2"})", "seek 7",
                               QStringLiteral("SetPosition /t/2 7000000")},
                      SeekCase{"NoTrackId", R"({"title": "Song"})", "seek 12.5", QStringLiteral("Seek -17500000")},
                      SeekCase{"NoTrackIdForward", R"({"title": "Song"})", "seek 45", QStringLiteral("Seek 15000000")},
                      SeekCase{"TrackIdThatIsNoPath", R"({"title": "Song", "trackidString": "not a path"})", "seek 12.5",
                               QStringLiteral("Seek -17500000")},
                      SeekCase{"TrackIdMeaningNoTrack", R"({"title": "Song", "trackid": "/org/mpris/MediaPlayer2/TrackList/NoTrack"})",
                               "seek 0", QStringLiteral("Seek -30000000")}),
    [](const ::testing::TestParamInfo<SeekCase> &info) { return std::string(info.param.name); });

// Signals crafted by another program of the user. Sent straight to the
// bridge's connections, they pass its match rules.
struct Spoof {
    const char *name;
    // Sends the crafted signals, given who sends them and the real player's
    // connection.
    std::function<void(const QDBusConnection &attacker, const QStringList &bridgeConnections, const QString &player)> send;
};

void PrintTo(const Spoof &spoof, std::ostream *out)
{
    *out << spoof.name;
}

QDBusMessage nameOwnerChanged(const QString &to, const QString &name, const QString &oldOwner, const QString &newOwner)
{
    QDBusMessage signal = QDBusMessage::createTargetedSignal(to, QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                                                             QStringLiteral("NameOwnerChanged"));
    signal << name << oldOwner << newOwner;
    return signal;
}

// A player's announcement that it plays "Spoofed"; `to` empty: to everyone.
QDBusMessage spoofedPlaying(const QString &to)
{
    const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
    const QString interface = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString member = QStringLiteral("PropertiesChanged");
    QDBusMessage signal = to.isEmpty() ? QDBusMessage::createSignal(path, interface, member)
                                       : QDBusMessage::createTargetedSignal(to, path, interface, member);
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player")
           << QVariantMap{{QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")},
                          {QStringLiteral("Metadata"), QVariantMap{{QStringLiteral("xesam:title"), QStringLiteral("Spoofed")}}}}
           << QStringList();
    return signal;
}

class SpoofedSignals : public MediaBridge, public ::testing::WithParamInterface<Spoof> {
protected:
    // The unique names of the bridge process's connections.
    QStringList bridgeConnections(const QDBusConnection &bus) const
    {
        QStringList connections;
        for (const QString &name : bus.interface()->registeredServiceNames().value()) {
            if (name.startsWith(u':') && bus.interface()->servicePid(name).value() == static_cast<uint>(bridge.pid()))
                connections.append(name);
        }
        return connections;
    }
};

TEST_P(SpoofedSignals, AreIgnoredAndTheRealPlayerStays)
{
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("real")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Real"})")));
    ASSERT_TRUE(player.run(QStringLiteral("status Paused")));
    startBridge();
    ASSERT_TRUE(stateWithTitle(QStringLiteral("Real")));

    QDBusConnection attacker = bus.connect(QStringLiteral("attacker"));
    ASSERT_TRUE(attacker.isConnected());
    const QStringList connections = bridgeConnections(attacker);
    ASSERT_FALSE(connections.isEmpty());
    GetParam().send(attacker, connections, attacker.interface()->serviceOwner(QStringLiteral("org.mpris.MediaPlayer2.real")).value());
    // The bus routes everything the attacker sent before it answers; the
    // player's next signal reaches the bridge after them.
    attacker.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "After"})")));

    QList<QJsonObject> others;
    const auto after = stateWhere([&](const QJsonObject &state) {
        if (state.value(u"title").toString() == u"After")
            return true;
        others.append(state);
        return false;
    });
    ASSERT_TRUE(after) << "the bridge " << (bridge.process().state() == QProcess::Running ? "runs" : "has ended: ")
                       << bridge.process().readAllStandardError().toStdString();
    EXPECT_EQ(after->value(u"pid").toInteger(), player.pid());
    EXPECT_EQ(after->value(u"playing").toInt(), 0);
    for (const QJsonObject &state : others)
        EXPECT_EQ(state.value(u"pid").toInteger(), player.pid()) << QJsonDocument(state).toJson(QJsonDocument::Compact).toStdString();
    EXPECT_EQ(bridge.process().state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Spoofs, SpoofedSignals,
    ::testing::Values(
        Spoof{"NewOwnerThatIsNoBusName",
              [](const QDBusConnection &attacker, const QStringList &bridge, const QString &) {
                  for (const QString &to : bridge) {
                      attacker.send(nameOwnerChanged(to, QStringLiteral("org.mpris.MediaPlayer2.x"), QString(), QStringLiteral("not a bus name")));
                      attacker.send(nameOwnerChanged(to, QStringLiteral("org.mpris.MediaPlayer2.y"), QString(), QStringLiteral(":not valid")));
                  }
              }},
        Spoof{"FakePlayerAnnouncedByAnotherConnection",
              [](const QDBusConnection &attacker, const QStringList &bridge, const QString &) {
                  for (const QString &to : bridge) {
                      attacker.send(nameOwnerChanged(to, QStringLiteral("org.mpris.MediaPlayer2.fake"), QString(), attacker.baseService()));
                      attacker.send(spoofedPlaying(to));
                  }
              }},
        Spoof{"RealPlayerSaidToHaveLeft",
              [](const QDBusConnection &attacker, const QStringList &bridge, const QString &player) {
                  for (const QString &to : bridge)
                      attacker.send(nameOwnerChanged(to, QStringLiteral("org.mpris.MediaPlayer2.real"), player, QString()));
              }},
        Spoof{"PropertiesChangedFromAConnectionThatIsNoPlayer",
              [](const QDBusConnection &attacker, const QStringList &bridge, const QString &) {
                  attacker.send(spoofedPlaying(QString()));
                  for (const QString &to : bridge)
                      attacker.send(spoofedPlaying(to));
              }}),
    [](const ::testing::TestParamInfo<Spoof> &info) { return std::string(info.param.name); });

// Which player is now playing, with two players A and B. Steps: "+A" starts
// A (with a song titled "A"), "-A" quits it, "A Playing" sets its status,
// "A register x" and "A unregister x" own or release one more name.
struct Scenario {
    const char *name;
    std::vector<const char *> steps;
    char expected; // 'A', 'B' or '-' for no player
    bool playing;
};

void PrintTo(const Scenario &scenario, std::ostream *out)
{
    *out << scenario.name;
}

class NowPlayingChoice : public MediaBridge, public ::testing::WithParamInterface<Scenario> {};

TEST_P(NowPlayingChoice, FollowsTheMostRecentlyPlayingPlayer)
{
    startBridge();
    std::map<char, std::unique_ptr<ScriptedPlayer>> players;
    for (const char *step : GetParam().steps) {
        SCOPED_TRACE(step);
        const QString text = QString::fromLatin1(step);
        if (text.startsWith(u'+')) {
            auto player = std::make_unique<ScriptedPlayer>();
            ASSERT_TRUE(player->start(text.mid(1).toLower()));
            ASSERT_TRUE(player->run(QStringLiteral(R"(metadata {"title": "%1"})").arg(text.mid(1))));
            players[step[1]] = std::move(player);
        } else if (text.startsWith(u'-')) {
            players.at(step[1])->quit();
        } else {
            const QString line = text.mid(2);
            static const QStringList statuses{QStringLiteral("Playing"), QStringLiteral("Paused"), QStringLiteral("Stopped")};
            ASSERT_TRUE(players.at(step[0])->run(statuses.contains(line) ? QStringLiteral("status ") + line : line));
        }
    }
    // Let the snapshots of the steps pass, then ask for a fresh one. A
    // player's signal could still be on its way then; its own snapshot
    // follows, so keep asking until the deadline.
    while (!bridge.staysQuiet(150)) {
    }
    const Scenario &scenario = GetParam();
    const qint64 pid = scenario.expected == '-' ? 0 : players.at(scenario.expected)->pid();
    const auto matches = [&](const QJsonObject &state) {
        return state.value(u"pid").toInteger() == pid && (state.value(u"playing").toInt() == 1) == scenario.playing;
    };
    std::optional<QJsonObject> state;
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && !(state && matches(*state))) {
        bridge.writeLine("");
        state = nextState();
    }
    ASSERT_TRUE(state && matches(*state)) << "expected " << scenario.expected << ", got "
                                          << (state ? QJsonDocument(*state).toJson().toStdString() : "nothing");
    if (scenario.expected != '-')
        EXPECT_EQ(state->value(u"title").toString(), QString(QChar::fromLatin1(scenario.expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, NowPlayingChoice,
    ::testing::Values(
        Scenario{"OnlyPlayerPaused", {"+A", "A Paused"}, 'A', false},
        Scenario{"LaterStartWins", {"+A", "+B", "A Playing", "B Playing"}, 'B', true},
        Scenario{"LaterStartWinsInTheOtherOrder", {"+A", "+B", "B Playing", "A Playing"}, 'A', true},
        Scenario{"PlayingBeatsAPlayerThatAppearedLater", {"+A", "A Playing", "+B", "B Paused"}, 'A', true},
        Scenario{"ChosenPausesOtherStillPlays", {"+A", "+B", "A Playing", "B Playing", "B Paused"}, 'A', true},
        Scenario{"ChosenStopsOtherStillPlays", {"+A", "+B", "B Playing", "A Playing", "A Stopped"}, 'B', true},
        Scenario{"ChosenQuitsOtherStillPlays", {"+A", "+B", "A Playing", "B Playing", "-B"}, 'A', true},
        Scenario{"OlderQuitsChosenStays", {"+A", "+B", "A Playing", "B Playing", "-A"}, 'B', true},
        Scenario{"RestartingMakesItNewest", {"+A", "+B", "A Playing", "B Playing", "A Paused", "A Playing"}, 'A', true},
        Scenario{"NonePlaysLastPausedWins", {"+A", "+B", "A Playing", "B Playing", "A Paused", "B Paused"}, 'B', false},
        Scenario{"NonePlaysLastPausedWinsOtherOrder", {"+A", "+B", "A Playing", "B Playing", "B Paused", "A Paused"}, 'A', false},
        Scenario{"NonePlaysPlayedBeatsNeverPlayed", {"+A", "A Playing", "A Paused", "+B", "B Paused"}, 'A', false},
        Scenario{"NoneEverPlayedLastSeenWins", {"+A", "+B", "A Paused", "B Paused"}, 'B', false},
        Scenario{"BothQuit", {"+A", "+B", "A Playing", "B Playing", "-A", "-B"}, '-', false},
        Scenario{"NamesOfOneProcessAreOnePlayer",
                 {"+A", "A register a.instance42", "+B", "B Playing", "A Playing", "A unregister a", "B Paused"},
                 'A',
                 true},
        Scenario{"PlayerLeavesWithItsLastName",
                 {"+A", "A register a.instance42", "+B", "B Paused", "A Playing", "A unregister a", "A unregister a.instance42"},
                 'B',
                 false}),
    [](const ::testing::TestParamInfo<Scenario> &info) { return std::string(info.param.name); });

} // namespace
