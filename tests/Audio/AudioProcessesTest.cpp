#include "Audio/AudioProcesses.h"
#include "Platform/Fake/FakeAudioSystem.h"
#include "Platform/Fake/FakeWorkspace.h"

#include <gtest/gtest.h>

namespace {

using Owner = AudioProcesses::Owner;

constexpr qint64 ownProcess = 4242;

AudioStream playback(quint32 index, qint64 pid, bool corked = false)
{
    return AudioStream{index, AudioStream::Direction::Playback, pid, corked, {1.0f, 1.0f}};
}

AudioStream recording(quint32 index, qint64 pid, bool corked = false)
{
    return AudioStream{index, AudioStream::Direction::Recording, pid, corked, {1.0f}};
}

enum class Kind { None, Regular, Accessory };

struct Process {
    qint64 pid;
    qint64 parent;
    Kind kind = Kind::None;
    QString id = {};
    QString name = {};
};

void describe(FakeWorkspace &workspace, const QList<Process> &processes)
{
    for (const Process &process : processes) {
        std::optional<Workspace::RunningApplication> application;
        if (process.kind != Kind::None)
            application = Workspace::RunningApplication{process.pid, process.id, process.name, process.kind == Kind::Regular};
        workspace.processes.insert(process.pid, FakeWorkspace::Process{process.parent, application});
    }
}

// A chain of `length` processes without an application, the first `first`,
// each the child of the next.
QList<Process> plainChain(qint64 first, int length)
{
    QList<Process> chain;
    for (int i = 0; i < length; ++i)
        chain.append(Process{first + i, first + i + 1});
    return chain;
}

TEST(AudioProcessesTest, WalksUpToTheApplicationAUserRecognises)
{
    struct Case {
        const char *name;
        QList<Process> processes;
        qint64 pid;
        std::optional<Owner> expected;
    };
    QList<Process> twelve = plainChain(1000, 11);
    twelve.append(Process{1011, 1, Kind::Regular, "browser", "Browser"});
    QList<Process> thirteen = plainChain(1000, 12);
    thirteen.append(Process{1012, 1, Kind::Regular, "browser", "Browser"});
    const Case cases[] = {
        {"a regular application owns itself, its parent unread",
         {{100, 50, Kind::Regular, "editor", "Editor"}, {50, 1, Kind::Regular, "shell", "Shell"}},
         100,
         Owner{"editor", "Editor"}},
        {"a helper belongs to the first regular ancestor",
         {{300, 200}, {200, 100}, {100, 1, Kind::Regular, "browser", "Browser"}},
         300,
         Owner{"browser", "Browser"}},
        {"a regular application beats a nearer accessory",
         {{300, 200}, {200, 100, Kind::Accessory, "tray", "Tray"}, {100, 1, Kind::Regular, "browser", "Browser"}},
         300,
         Owner{"browser", "Browser"}},
        {"only accessories: the nearest",
         {{300, 200, Kind::Accessory, "near", "Near"}, {200, 100}, {100, 1, Kind::Accessory, "far", "Far"}},
         300,
         Owner{"near", "Near"}},
        {"no name: the id", {{100, 1, Kind::Regular, "nameless", ""}}, 100, Owner{"nameless", "nameless"}},
        {"an application without an id is none", {{100, 1, Kind::Regular, "", "Ghost"}}, 100, std::nullopt},
        {"a command-line tool from a shell has no owner", {{100, 50}, {50, 1}}, 100, std::nullopt},
        {"the walk never looks at process 1", {{100, 1}, {1, 0, Kind::Regular, "init", "Init"}}, 100, std::nullopt},
        {"process 1 itself has no owner", {{1, 0, Kind::Regular, "init", "Init"}}, 1, std::nullopt},
        {"process 0 has no owner", {{0, 0, Kind::Regular, "kernel", "Kernel"}}, 0, std::nullopt},
        {"a process that is its own parent ends the walk", {{100, 100}}, 100, std::nullopt},
        {"an unreadable parent ends the walk with what was found",
         {{100, 77, Kind::Accessory, "tray", "Tray"}},
         100,
         Owner{"tray", "Tray"}},
        {"the twelfth process is still looked at", twelve, 1000, Owner{"browser", "Browser"}},
        {"the thirteenth is not", thirteen, 1000, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioSystem audio;
        FakeWorkspace workspace;
        describe(workspace, c.processes);
        AudioProcesses processes(audio, workspace, ownProcess);
        EXPECT_EQ(processes.owningApp(c.pid), c.expected);
    }
}

TEST(AudioProcessesTest, KeepsEveryAnswerIncludingNone)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace, {{100, 1, Kind::Regular, "editor", "Editor"}, {200, 1}});
    AudioProcesses processes(audio, workspace, ownProcess);
    ASSERT_EQ(processes.owningApp(100), (Owner{"editor", "Editor"}));
    ASSERT_EQ(processes.owningApp(200), std::nullopt);

    // The processes change; the cached answers do not.
    workspace.processes.clear();
    describe(workspace, {{100, 1, Kind::Regular, "other", "Other"}, {200, 1, Kind::Regular, "late", "Late"}});
    EXPECT_EQ(processes.owningApp(100), (Owner{"editor", "Editor"}));
    EXPECT_EQ(processes.owningApp(200), std::nullopt);
    EXPECT_EQ(processes.cachedOwnerCount(), 2);
}

TEST(AudioProcessesTest, EmptiesTheCacheOnlyPastFiveHundredEntries)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace, {{9000, 1, Kind::Regular, "editor", "Editor"}});
    AudioProcesses processes(audio, workspace, ownProcess);
    for (qint64 pid = 2; pid < 502; ++pid)
        processes.owningApp(pid);
    ASSERT_EQ(processes.cachedOwnerCount(), 500);

    processes.owningApp(9000);
    EXPECT_EQ(processes.cachedOwnerCount(), 501);
    // A cached answer adds nothing.
    processes.owningApp(2);
    EXPECT_EQ(processes.cachedOwnerCount(), 501);

    workspace.processes.clear();
    processes.owningApp(9001);
    EXPECT_EQ(processes.cachedOwnerCount(), 1);
    // The earlier answers went with the cache.
    EXPECT_EQ(processes.owningApp(9000), std::nullopt);
}

TEST(AudioProcessesTest, ListsTheServersClientsOnceEachInItsOrder)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    audio.streamList = {playback(1, 300), playback(2, 100), playback(3, 300), recording(1, 200), recording(2, 100)};
    AudioProcesses processes(audio, workspace, ownProcess);
    EXPECT_EQ(processes.processObjects(), (QList<AudioObjectID>{300, 100, 200}));

    audio.state = AudioSystem::ConnectionState::Failed;
    EXPECT_TRUE(processes.processObjects().isEmpty());
}

TEST(AudioProcessesTest, FoldsEveryProcessOfAnApplicationIntoOne)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace,
             {{100, 1, Kind::Regular, "browser", "Browser"},
              {101, 100},
              {102, 100},
              {103, 100},
              {200, 1, Kind::Regular, "recorder", "Recorder"},
              {300, 1}});
    audio.streamList = {playback(1, 101, true), playback(2, 102), playback(3, 300), recording(1, 100), recording(2, 200, true)};
    AudioProcesses processes(audio, workspace, ownProcess);
    const QList<AudioApp> apps = processes.apps();
    const QList<AudioApp> expected = {
        AudioApp{"browser", "Browser", {101, 102, 100}, true, true},
        AudioApp{"recorder", "Recorder", {200}, false, false},
    };
    EXPECT_EQ(apps, expected);
}

TEST(AudioProcessesTest, PlayingAndRecordingNeedAStreamThatRuns)
{
    struct Case {
        const char *name;
        QList<AudioStream> streams;
        bool isPlaying;
        bool isRecording;
    };
    const Case cases[] = {
        {"a corked playback stream", {playback(1, 100, true)}, false, false},
        {"a running playback stream", {playback(1, 100)}, true, false},
        {"a running recording stream", {recording(1, 100)}, false, true},
        {"one of two running", {playback(1, 100, true), playback(2, 100)}, true, false},
        {"a running stream of another process does not count", {playback(1, 100, true), playback(2, 200)}, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioSystem audio;
        FakeWorkspace workspace;
        describe(workspace, {{100, 1, Kind::Regular, "player", "Player"}, {200, 1}});
        audio.streamList = c.streams;
        AudioProcesses processes(audio, workspace, ownProcess);
        const QList<AudioApp> apps = processes.apps();
        ASSERT_EQ(apps.size(), 1);
        EXPECT_EQ(apps[0].isPlaying, c.isPlaying);
        EXPECT_EQ(apps[0].isRecording, c.isRecording);
    }
}

TEST(AudioProcessesTest, LeavesOutItsOwnProcessAndClientsWithoutAnOwner)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace, {{ownProcess, 1, Kind::Regular, "quib", "Quib"}, {100, 1, Kind::Regular, "player", "Player"}, {200, 1}});
    audio.streamList = {playback(1, ownProcess), playback(2, 0), playback(3, 200), playback(4, 100)};
    AudioProcesses processes(audio, workspace, ownProcess);
    const QList<AudioApp> apps = processes.apps();
    ASSERT_EQ(apps.size(), 1);
    EXPECT_EQ(apps[0].id, "player");
    EXPECT_EQ(apps[0].processObjects, QList<AudioObjectID>{100});
}

TEST(AudioProcessesTest, AnApplicationKeepsTheNameOfItsFirstProcess)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace, {{200, 1, Kind::Regular, "suite", "Suite Helper"}, {100, 1, Kind::Regular, "suite", "Suite"}});
    audio.streamList = {playback(1, 200), playback(2, 100)};
    AudioProcesses processes(audio, workspace, ownProcess);
    const QList<AudioApp> apps = processes.apps();
    ASSERT_EQ(apps.size(), 1);
    EXPECT_EQ(apps[0].name, "Suite Helper");
    EXPECT_EQ(apps[0].processObjects, (QList<AudioObjectID>{200, 100}));
}

TEST(AudioProcessesTest, SortsByNameIgnoringCase)
{
    FakeAudioSystem audio;
    FakeWorkspace workspace;
    describe(workspace,
             {{100, 1, Kind::Regular, "z", "zebra"},
              {200, 1, Kind::Regular, "b", "Banjo"},
              {300, 1, Kind::Regular, "a", "audacious"},
              {400, 1, Kind::Regular, "c", "Cello"}});
    audio.streamList = {playback(1, 100), playback(2, 200), playback(3, 300), playback(4, 400)};
    AudioProcesses processes(audio, workspace, ownProcess);
    QStringList names;
    for (const AudioApp &app : processes.apps())
        names.append(app.name);
    EXPECT_EQ(names, (QStringList{"audacious", "Banjo", "Cello", "zebra"}));
}

} // namespace
