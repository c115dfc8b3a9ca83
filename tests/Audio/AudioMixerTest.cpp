#include "Audio/AudioMixer.h"
#include "LogCapture.h"
#include "Platform/Fake/FakeAudioSystem.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {

constexpr AudioScope Output = AudioScope::Output;
constexpr qint64 ownProcess = 4242;
const QString appVolumes = QStringLiteral("appVolumes");
const QString tapFailure = QStringLiteral("Quib: could not create the volume tap for");

AudioStream playback(quint32 index, qint64 pid, bool corked = false)
{
    return AudioStream{index, AudioStream::Direction::Playback, pid, corked, {1.0f, 1.0f}};
}

AudioDevice speakers(const QString &id)
{
    return AudioDevice{id, id, false, true, 0.5f, false};
}

using Gains = QHash<QString, double>;

// The mixer over a fake sound server with two output devices, applications
// whose processes a test declares, and a manual clock.
class AudioMixerTest : public ::testing::Test {
protected:
    AudioMixerTest()
    {
        audio.addDevice(Output, speakers("speakers"));
        audio.addDevice(Output, speakers("headphones"));
        audio.defaults[Output] = "speakers";
    }

    // A regular application `id` whose main process is `pid`; its name is
    // its id.
    void addApp(qint64 pid, const QString &id)
    {
        workspace.processes.insert(pid, FakeWorkspace::Process{1, Workspace::RunningApplication{pid, id, id, true}});
    }
    // A process of the application of `parent`, without an entry of its own.
    void addHelper(qint64 pid, qint64 parent) { workspace.processes.insert(pid, FakeWorkspace::Process{parent, std::nullopt}); }
    // One playing stream for each process, in this order.
    void play(const QList<qint64> &pids)
    {
        QList<AudioStream> streams;
        for (const qint64 pid : pids)
            streams.append(playback(quint32(streams.size()), pid));
        audio.streamList = streams;
    }

    AudioMixer &makeMixer()
    {
        mixer = std::make_unique<AudioMixer>(audio, workspace, defaults, scheduler, ownProcess);
        return *mixer;
    }

    QStringList shownIDs() const
    {
        QStringList ids;
        for (const AudioApp &app : mixer->apps())
            ids.append(app.id);
        return ids;
    }
    int liveTapCount() const
    {
        return int(std::count_if(audio.taps.cbegin(), audio.taps.cend(), [](const auto &tap) { return tap->isLive; }));
    }
    // The live taps' application ids ("Quib volume <id>").
    QStringList liveTapNames() const
    {
        QStringList names;
        for (const auto &tap : audio.taps) {
            if (tap->isLive)
                names.append(tap->description.name.mid(QStringLiteral("Quib volume ").size()));
        }
        names.sort();
        return names;
    }
    QVariant saved() const { return defaults.values.value(appVolumes); }

    FakeAudioSystem audio;
    FakeWorkspace workspace;
    FakeUserDefaults defaults;
    ManualScheduler scheduler;
    std::unique_ptr<AudioMixer> mixer;
};

TEST_F(AudioMixerTest, ShowsUpToFourApplicationsThatPlayOrHaveAGain)
{
    struct Case {
        const char *name;
        QList<std::pair<QString, bool>> apps; // id, playing
        Gains gains;
        QStringList shown;
    };
    const Case cases[] = {
        {"five playing: the first four by name",
         {{"echo", true}, {"alpha", true}, {"delta", true}, {"charlie", true}, {"bravo", true}},
         {},
         {"alpha", "bravo", "charlie", "delta"}},
        {"a paused application only with a gain",
         {{"alpha", false}, {"bravo", true}, {"charlie", false}, {"delta", true}},
         {{"alpha", 0.5}},
         {"alpha", "bravo", "delta"}},
        {"a gain past the first four of the list is not shown",
         {{"alpha", true}, {"bravo", true}, {"charlie", true}, {"delta", true}, {"echo", false}},
         {{"echo", 0.5}},
         {"alpha", "bravo", "charlie", "delta"}},
        {"a gain of an application that has no process",
         {{"bravo", true}},
         {{"alpha", 0.5}},
         {"bravo"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        workspace.processes.clear();
        QList<AudioStream> streams;
        qint64 pid = 100;
        for (const auto &[id, playing] : c.apps) {
            addApp(pid, id);
            streams.append(playback(quint32(pid), pid, !playing));
            ++pid;
        }
        audio.streamList = streams;
        QVariantMap savedGains;
        for (auto it = c.gains.cbegin(); it != c.gains.cend(); ++it)
            savedGains.insert(it.key(), it.value());
        defaults.values.insert(appVolumes, savedGains);
        makeMixer().refresh();
        EXPECT_EQ(shownIDs(), c.shown);
    }
}

TEST_F(AudioMixerTest, TheShownListNotifiesOnlyWhenItChanges)
{
    addApp(100, "alpha");
    play({100});
    AudioMixer &mixer = makeMixer();
    int notifications = 0;
    const QPropertyNotifier notifier = mixer.bindableApps().addNotifier([&] { ++notifications; });
    mixer.refresh();
    mixer.refresh();
    EXPECT_EQ(notifications, 1);
    audio.streamList[0].isCorked = true;
    mixer.refresh();
    EXPECT_EQ(notifications, 2);
    EXPECT_TRUE(mixer.apps().isEmpty());
}

TEST_F(AudioMixerTest, StartsFromTheSavedGains)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char *name;
        QVariant saved;
        Gains gains;
    };
    const Case cases[] = {
        {"full gains are dropped", QVariantMap{{"alpha", 0.5}, {"bravo", 1.0}}, {{"alpha", 0.5}}},
        {"from 0.995 on a gain is full", QVariantMap{{"alpha", 0.994}, {"bravo", 0.995}}, {{"alpha", 0.994}}},
        {"above full", QVariantMap{{"alpha", 7.0}}, {}},
        {"below silence is silence", QVariantMap{{"alpha", -0.3}}, {{"alpha", 0.0}}},
        {"whole numbers are numbers", QVariantMap{{"alpha", 0}, {"bravo", qlonglong(1)}}, {{"alpha", 0.0}}},
        {"one text makes the whole value invalid", QVariantMap{{"alpha", 0.5}, {"bravo", "0.5"}}, {}},
        {"a switch is not a number", QVariantMap{{"alpha", 0.5}, {"bravo", false}}, {}},
        {"not a number", QVariantMap{{"alpha", 0.5}, {"bravo", nan}}, {}},
        {"an infinite gain", QVariantMap{{"alpha", 0.5}, {"bravo", -infinity}}, {}},
        {"a list", QVariantList{0.5}, {}},
        {"a number", 0.5, {}},
        {"nothing saved", QVariant(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        defaults.values.clear();
        if (c.saved.isValid())
            defaults.values.insert(appVolumes, c.saved);
        AudioMixer &mixer = makeMixer();
        EXPECT_EQ(mixer.gains(), c.gains);
        EXPECT_EQ(mixer.timerInterval(), c.gains.isEmpty() ? std::nullopt : std::optional(2000ms));
        EXPECT_TRUE(defaults.writes.isEmpty()) << "reading writes nothing";
    }
}

TEST_F(AudioMixerTest, SavedGainsActAtOnce)
{
    addApp(100, "alpha");
    addApp(200, "bravo");
    addHelper(101, 100);
    play({101, 200, 100});
    defaults.values.insert(appVolumes, QVariantMap{{"alpha", 0.5}, {"bravo", 1.0}});
    AudioMixer &mixer = makeMixer();

    ASSERT_EQ(audio.taps.size(), 1);
    const auto &tap = audio.taps[0];
    EXPECT_TRUE(tap->isLive);
    EXPECT_EQ(tap->description.processObjects, (QList<AudioObjectID>{101, 100}));
    EXPECT_EQ(tap->description.outputDevice, "speakers");
    EXPECT_EQ(tap->gain, 0.5f);
    ASSERT_NE(mixer.tap("alpha"), nullptr);
    EXPECT_EQ(mixer.tap("bravo"), nullptr);
    EXPECT_EQ(shownIDs(), (QStringList{"alpha", "bravo"}));
}

TEST_F(AudioMixerTest, SetGainClampsSavesAndTellsTheLiveTap)
{
    struct Case {
        const char *name;
        double gain;
        std::optional<double> kept; // none: back to full, no entry
    };
    const Case cases[] = {
        {"within", 0.3, 0.3},
        {"just below full", 0.994, 0.994},
        {"0.995 is full", 0.995, std::nullopt},
        {"0.996 is full", 0.996, std::nullopt},
        {"negative is silence", -0.2, 0.0},
        {"above one is full", 1.7, std::nullopt},
        {"minus infinity is silence", -std::numeric_limits<double>::infinity(), 0.0},
        {"infinity is full", std::numeric_limits<double>::infinity(), std::nullopt},
    };
    addApp(100, "alpha");
    play({100});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        audio.taps.clear();
        defaults.values.clear();
        AudioMixer &mixer = makeMixer();
        mixer.setGain(0.5, "alpha");
        ASSERT_EQ(audio.taps.size(), 1);
        ASSERT_TRUE(audio.taps[0]->isLive);

        mixer.setGain(c.gain, "alpha");
        if (c.kept) {
            EXPECT_EQ(mixer.gains(), (Gains{{"alpha", *c.kept}}));
            EXPECT_EQ(saved(), (QVariantMap{{"alpha", *c.kept}}));
            EXPECT_EQ(audio.taps.size(), 1) << "the live tap changes its gain, without a rebuild";
            EXPECT_TRUE(audio.taps[0]->isLive);
            EXPECT_EQ(audio.taps[0]->gain, float(*c.kept));
            EXPECT_EQ(mixer.tap("alpha")->gain(), float(*c.kept));
            EXPECT_EQ(mixer.timerInterval(), 2000ms);
        } else {
            EXPECT_TRUE(mixer.gains().isEmpty());
            EXPECT_EQ(saved(), QVariantMap());
            EXPECT_FALSE(audio.taps[0]->isLive);
            EXPECT_EQ(mixer.tap("alpha"), nullptr);
            EXPECT_EQ(mixer.timerInterval(), std::nullopt);
        }
    }
}

TEST_F(AudioMixerTest, AGainThatIsNotANumberChangesNothing)
{
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    defaults.writes.clear();
    mixer.setGain(std::numeric_limits<double>::quiet_NaN(), "alpha");
    EXPECT_EQ(mixer.gains(), (Gains{{"alpha", 0.5}}));
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST_F(AudioMixerTest, GainsNotifyOnEverySetGainAndResetEvenWhenUnchanged)
{
    AudioMixer &mixer = makeMixer();
    int notifications = 0;
    const QPropertyNotifier notifier = mixer.bindableGains().addNotifier([&] { ++notifications; });
    mixer.setGain(1.0, "alpha");
    EXPECT_EQ(notifications, 1) << "a slider moved to the top while already full";
    mixer.setGain(0.5, "alpha");
    mixer.setGain(0.5, "alpha");
    EXPECT_EQ(notifications, 3);
    mixer.resetAll();
    mixer.resetAll();
    EXPECT_EQ(notifications, 5);
    EXPECT_TRUE(mixer.gains().isEmpty());
}

TEST_F(AudioMixerTest, AFirstGainMakesATapForARunningApplicationOnly)
{
    addApp(100, "alpha");
    play({100});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.4, "bravo");
    EXPECT_TRUE(audio.taps.isEmpty()) << "not running: no tap until a refresh finds it";
    mixer.setGain(0.4, "alpha");
    ASSERT_EQ(audio.taps.size(), 1);
    EXPECT_EQ(audio.taps[0]->description.processObjects, QList<AudioObjectID>{100});

    addApp(200, "bravo");
    play({100, 200});
    mixer.refresh();
    EXPECT_EQ(liveTapNames(), (QStringList{"alpha", "bravo"}));
}

TEST_F(AudioMixerTest, TapsFollowTheApplicationsProcesses)
{
    addApp(100, "alpha");
    addHelper(101, 100);
    addHelper(102, 100);
    play({100, 101});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    ASSERT_EQ(audio.taps.size(), 1);

    // The same processes in another order: nothing is rebuilt.
    play({101, 100});
    mixer.refresh();
    EXPECT_EQ(audio.taps.size(), 1);
    EXPECT_TRUE(audio.taps[0]->isLive);

    // A new helper plays: a tap over all three replaces the old one.
    play({101, 100, 102});
    mixer.refresh();
    ASSERT_EQ(audio.taps.size(), 2);
    EXPECT_FALSE(audio.taps[0]->isLive);
    EXPECT_EQ(audio.taps[1]->description.processObjects, (QList<AudioObjectID>{101, 100, 102}));
    EXPECT_EQ(audio.taps[1]->gain, 0.5f);

    // The application quits: its tap goes, its gain stays.
    play({});
    mixer.refresh();
    EXPECT_EQ(liveTapCount(), 0);
    EXPECT_EQ(mixer.tap("alpha"), nullptr);
    EXPECT_EQ(mixer.gains(), (Gains{{"alpha", 0.5}}));
    EXPECT_EQ(saved(), (QVariantMap{{"alpha", 0.5}}));

    // It plays again: a new tap at the same gain.
    play({100});
    mixer.refresh();
    ASSERT_EQ(audio.taps.size(), 3);
    EXPECT_TRUE(audio.taps[2]->isLive);
    EXPECT_EQ(audio.taps[2]->gain, 0.5f);
    EXPECT_EQ(audio.taps[2]->description.processObjects, QList<AudioObjectID>{100});
}

TEST_F(AudioMixerTest, AnApplicationHiddenFromThePanelKeepsItsTap)
{
    const QStringList ids = {"alpha", "bravo", "charlie", "delta", "echo"};
    QList<qint64> pids;
    for (int i = 0; i < ids.size(); ++i) {
        addApp(100 + i, ids[i]);
        pids.append(100 + i);
    }
    play(pids);
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "echo");
    mixer.refresh();
    EXPECT_FALSE(shownIDs().contains("echo"));
    EXPECT_EQ(liveTapNames(), QStringList{"echo"});
}

TEST_F(AudioMixerTest, TheTimerRunsWhileAViewIsOpenOrAGainIsSetAndKeepsItsInterval)
{
    AudioMixer &mixer = makeMixer();
    EXPECT_EQ(mixer.timerInterval(), std::nullopt);

    // Steps of one session, with the interval expected after each.
    struct Step {
        const char *name;
        std::function<void()> action;
        std::optional<std::chrono::milliseconds> interval;
    };
    const auto setVisible = [&](int count) {
        mixer.setVisibleCount(count);
        mixer.scheduleTimer();
    };
    const Step steps[] = {
        {"a view opens", [&] { setVisible(1); }, 1000ms},
        {"a gain is set", [&] { mixer.setGain(0.5, "alpha"); }, 1000ms},
        {"the view closes, the gain keeps the 1 s timer", [&] { setVisible(0); }, 1000ms},
        {"the reset stops it", [&] { mixer.resetAll(); }, std::nullopt},
        {"a gain with no view open", [&] { mixer.setGain(0.5, "alpha"); }, 2000ms},
        {"a view opens, the 2 s timer goes on", [&] { setVisible(1); }, 2000ms},
        {"a reset with a view open keeps it", [&] { mixer.resetAll(); }, 2000ms},
        {"the view closes", [&] { setVisible(0); }, std::nullopt},
        {"a count below zero is zero", [&] { setVisible(-3); }, std::nullopt},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        step.action();
        EXPECT_EQ(mixer.timerInterval(), step.interval);
    }
    EXPECT_EQ(mixer.visibleCount(), 0);
    EXPECT_EQ(scheduler.pendingCount(), 0) << "no timer left behind";
}

TEST_F(AudioMixerTest, EachTickRefreshes)
{
    addApp(100, "alpha");
    defaults.values.insert(appVolumes, QVariantMap{{"alpha", 0.5}});
    AudioMixer &mixer = makeMixer();
    ASSERT_EQ(mixer.timerInterval(), 2000ms);
    EXPECT_TRUE(audio.taps.isEmpty());

    // Streams appear without an event from the server: the tick finds them.
    play({100});
    scheduler.advance(1.9);
    EXPECT_TRUE(audio.taps.isEmpty());
    scheduler.advance(0.1);
    EXPECT_EQ(liveTapNames(), QStringList{"alpha"});
    EXPECT_EQ(shownIDs(), QStringList{"alpha"});

    play({});
    scheduler.advance(2.0);
    EXPECT_EQ(liveTapCount(), 0);
}

TEST_F(AudioMixerTest, TheServersStreamEventsRefreshOnTheNextTurnWhileTheTimerRuns)
{
    addApp(100, "alpha");
    addHelper(101, 100);
    addHelper(102, 100);
    AudioMixer &mixer = makeMixer();
    // No timer: an event changes nothing.
    audio.changeStreams({playback(1, 100)});
    scheduler.advance(0);
    EXPECT_TRUE(mixer.apps().isEmpty());

    mixer.setGain(0.5, "alpha");
    ASSERT_EQ(audio.taps.size(), 1);
    const int pendingWithTimer = scheduler.pendingCount();

    audio.changeStreams({playback(1, 100), playback(2, 101)});
    audio.changeStreams({playback(1, 100), playback(2, 101), playback(3, 102)});
    EXPECT_EQ(audio.taps.size(), 1) << "not within the event";
    EXPECT_EQ(scheduler.pendingCount(), pendingWithTimer + 1) << "a burst makes one refresh";
    scheduler.advance(0);
    ASSERT_EQ(audio.taps.size(), 2);
    EXPECT_EQ(audio.taps[1]->description.processObjects, (QList<AudioObjectID>{100, 101, 102}));
    EXPECT_EQ(liveTapCount(), 1);
}

TEST_F(AudioMixerTest, AFailedTapIsLoggedOncePerAttempt)
{
    addApp(100, "alpha");
    play({100});
    audio.refusesTaps = true;
    LogCapture log;
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    EXPECT_EQ(log.messages(tapFailure), QStringList{"Quib: could not create the volume tap for alpha"});
    EXPECT_EQ(mixer.gains(), (Gains{{"alpha", 0.5}}));

    scheduler.advance(2.0);
    EXPECT_EQ(log.messages(tapFailure).size(), 2);
    scheduler.advance(2.0);
    EXPECT_EQ(log.messages(tapFailure).size(), 3);

    audio.refusesTaps = false;
    scheduler.advance(2.0);
    EXPECT_EQ(liveTapNames(), QStringList{"alpha"});
    scheduler.advance(2.0);
    EXPECT_EQ(log.messages(tapFailure).size(), 3);
    EXPECT_EQ(audio.taps.size(), 1);
}

TEST_F(AudioMixerTest, WithoutAnOutputDeviceThereIsNoTapAndNoLog)
{
    addApp(100, "alpha");
    play({100});
    audio.defaults[Output].clear();
    LogCapture log;
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    scheduler.advance(2.0);
    EXPECT_TRUE(audio.taps.isEmpty());
    EXPECT_TRUE(log.messages(tapFailure).isEmpty());

    audio.defaults[Output] = "speakers";
    scheduler.advance(2.0);
    EXPECT_EQ(liveTapNames(), QStringList{"alpha"});
}

TEST_F(AudioMixerTest, AnOutputChangeRebuildsEveryLiveTapOnTheNewDevice)
{
    addApp(100, "alpha");
    addApp(200, "bravo");
    play({100, 200});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    mixer.setGain(0.25, "bravo");
    mixer.setGain(0.75, "charlie"); // not running: no tap
    ASSERT_EQ(audio.taps.size(), 2);

    audio.changeDefault(Output, "headphones");
    EXPECT_EQ(liveTapCount(), 2);
    EXPECT_EQ(audio.taps.size(), 2) << "handled on the next turn";
    scheduler.advance(0);

    ASSERT_EQ(audio.taps.size(), 4);
    EXPECT_FALSE(audio.taps[0]->isLive);
    EXPECT_FALSE(audio.taps[1]->isLive);
    for (const auto &tap : audio.taps.mid(2)) {
        EXPECT_TRUE(tap->isLive);
        EXPECT_EQ(tap->description.outputDevice, "headphones") << "the cached device is forgotten";
    }
    EXPECT_EQ(liveTapNames(), (QStringList{"alpha", "bravo"}));
    EXPECT_EQ(mixer.tap("alpha")->gain(), 0.5f);
    EXPECT_EQ(mixer.tap("bravo")->gain(), 0.25f);
    EXPECT_EQ(mixer.systemVolume().device(), "headphones");

    // Another microphone changes nothing.
    audio.changeDefault(AudioScope::Input, "usb");
    scheduler.advance(0);
    EXPECT_EQ(audio.taps.size(), 4);
}

TEST_F(AudioMixerTest, WhenTheLastOutputGoesTheTapsWaitForTheNextOne)
{
    addApp(100, "alpha");
    play({100});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    ASSERT_EQ(liveTapCount(), 1);

    audio.changeDefault(Output, QString());
    scheduler.advance(0);
    EXPECT_EQ(liveTapCount(), 0);
    EXPECT_EQ(mixer.gains(), (Gains{{"alpha", 0.5}}));

    // The new device's event finds no live tap to rebuild: the next tick
    // makes one.
    audio.changeDefault(Output, "headphones");
    scheduler.advance(0);
    EXPECT_EQ(liveTapCount(), 0);
    scheduler.advance(2.0);
    ASSERT_EQ(liveTapCount(), 1);
    EXPECT_EQ(audio.taps.last()->description.outputDevice, "headphones");
}

TEST_F(AudioMixerTest, AnOutputChangeAfterTheMixerIsGoneDoesNothing)
{
    addApp(100, "alpha");
    play({100});
    makeMixer().setGain(0.5, "alpha");
    audio.changeDefault(Output, "headphones");
    mixer.reset();
    scheduler.advance(0);
    EXPECT_EQ(audio.taps.size(), 1);
    EXPECT_EQ(liveTapCount(), 0);
    audio.changeDefault(Output, "speakers");
    scheduler.advance(0);
    EXPECT_EQ(audio.taps.size(), 1);
}

TEST_F(AudioMixerTest, ResetAllWithTheMixerClosedLeavesNothing)
{
    addApp(100, "alpha");
    addApp(200, "bravo");
    play({100, 200});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    mixer.setGain(0.0, "bravo");
    ASSERT_EQ(liveTapCount(), 2);

    mixer.resetAll();
    EXPECT_EQ(liveTapCount(), 0);
    EXPECT_EQ(mixer.tap("alpha"), nullptr);
    EXPECT_TRUE(mixer.gains().isEmpty());
    EXPECT_EQ(saved(), QVariantMap()) << "an empty dictionary, not nothing";
    EXPECT_TRUE(saved().isValid());
    EXPECT_EQ(mixer.timerInterval(), std::nullopt);
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(shownIDs(), (QStringList{"alpha", "bravo"})) << "refreshed: both still play";
}

TEST_F(AudioMixerTest, ReleasingTheTapsKeepsTheGainsAndMakesNoMore)
{
    addApp(100, "alpha");
    addHelper(101, 100);
    addApp(200, "bravo");
    play({100, 200});
    AudioMixer &mixer = makeMixer();
    mixer.setGain(0.5, "alpha");
    mixer.setGain(0.25, "bravo");
    ASSERT_EQ(liveTapCount(), 2);

    mixer.releaseTaps();
    EXPECT_EQ(liveTapCount(), 0);
    EXPECT_EQ(mixer.gains(), (Gains{{"alpha", 0.5}, {"bravo", 0.25}}));
    EXPECT_EQ(saved(), (QVariantMap{{"alpha", 0.5}, {"bravo", 0.25}}));
    EXPECT_EQ(mixer.timerInterval(), std::nullopt);

    // While the app finishes quitting, nothing brings a tap back.
    audio.changeStreams({playback(1, 100), playback(2, 101), playback(3, 200)});
    audio.changeDefault(Output, "headphones");
    scheduler.advance(10);
    mixer.refresh();
    mixer.setGain(0.3, "alpha");
    EXPECT_EQ(liveTapCount(), 0);
    EXPECT_EQ(audio.taps.size(), 2);
}

} // namespace
