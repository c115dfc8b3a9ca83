// The bridge as the app runs it (/usr/bin/perl bridge.pl <library>) against
// scripted MPRIS players on a private session bus.

#include "LineProcess.h"
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

    PrivateBus bus;
    LineProcess bridge;
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
        {"an http artwork is not fetched", QStringLiteral(R"({"title": "Five", "artUrl": "http://127.0.0.1:9/a.png"})"), std::nullopt,
         QStringLiteral("Five")},
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

TEST_F(MediaBridge, SeeksOnlyWithAValidTrackPath)
{
    ScriptedPlayer player;
    ASSERT_TRUE(player.start(QStringLiteral("tracks")));
    // Some players send the track id as a string; one that is no object path
    // cannot name the track to seek in.
    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Bad", "trackidString": "not a path"})")));
    startBridge();
    ASSERT_TRUE(stateWithTitle(QStringLiteral("Bad")));
    // Commands reach the player in the order of the lines: once the toggle
    // has arrived, a seek would have too.
    bridge.writeLine("seek 5");
    bridge.writeLine("toggle");
    ASSERT_TRUE(player.waitForCall(QStringLiteral("PlayPause")));
    EXPECT_FALSE(player.takeCall(QStringLiteral("SetPosition")));

    ASSERT_TRUE(player.run(QStringLiteral(R"(metadata {"title": "Good", "trackidString": "/t/2"})")));
    ASSERT_TRUE(stateWithTitle(QStringLiteral("Good")));
    bridge.writeLine("seek 7");
    EXPECT_TRUE(player.waitForCall(QStringLiteral("SetPosition /t/2 7000000")));
    EXPECT_EQ(bridge.process().state(), QProcess::Running);
}

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
