#include "Audio/MicMute.h"
#include "Platform/Fake/FakeAudioSystem.h"
#include "Platform/Fake/FakeKeyCapture.h"

#include <gtest/gtest.h>

namespace {

constexpr AudioScope Input = AudioScope::Input;

class MicMuteTest : public ::testing::Test {
protected:
    void addDefault(const AudioDevice &device)
    {
        audio.addDevice(Input, device);
        audio.defaults[Input] = device.id;
    }
    AudioDevice state(const QString &id) const { return *audio.device(Input, id); }

    FakeAudioSystem audio;
    FakeKeyCapture keys;
    MicMute mic{audio, keys};
};

TEST_F(MicMuteTest, SwitchedMicrophoneIsMutedThroughItsSwitchAndKeepsItsVolume)
{
    addDefault(FakeAudioSystem::switchedDevice("usb", 0.6f));
    mic.setMuted(true);
    EXPECT_TRUE(mic.isMuted());
    EXPECT_EQ(state("usb").isMuted, true);
    EXPECT_EQ(state("usb").volume, 0.6f);

    mic.setMuted(false);
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(state("usb").isMuted, false);
    EXPECT_EQ(audio.writes, QStringList({"mute Input usb 1", "mute Input usb 0"}));
}

TEST(MicMuteVolumeTest, VolumeOnlyMicrophoneIsMutedByLevelAndGetsItBack)
{
    struct Case {
        const char *name;
        float levelAtMute;
        int mutes;
        float restored;
    };
    const Case cases[] = {
        {"a live level comes back", 0.6f, 1, 0.6f},
        {"a silent microphone gets the default level", 0.0f, 1, MicMute::restoredVolume},
        // The second mute reads 0 and keeps the level the first one saved.
        {"muting twice keeps the first level", 0.6f, 2, 0.6f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioSystem audio;
        FakeKeyCapture keys;
        MicMute mic(audio, keys);
        audio.addDevice(Input, FakeAudioSystem::volumeOnlyDevice("built-in", c.levelAtMute));
        audio.defaults[Input] = "built-in";
        for (int i = 0; i < c.mutes; ++i)
            mic.setMuted(true);
        EXPECT_TRUE(mic.isMuted());
        EXPECT_EQ(audio.device(Input, "built-in")->volume, 0.0f);
        mic.setMuted(false);
        EXPECT_FALSE(mic.isMuted());
        EXPECT_EQ(audio.device(Input, "built-in")->volume, c.restored);
    }
}

TEST_F(MicMuteTest, WithoutDefaultMicrophoneNothingChangesButToggleStillReports)
{
    audio.addDevice(Input, FakeAudioSystem::switchedDevice("usb"));
    QList<bool> reported;
    mic.onToggle = [&](bool muted) { reported.append(muted); };
    mic.toggle();
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(reported, QList<bool>{false});
    EXPECT_TRUE(audio.writes.isEmpty());
}

// A microphone that cannot be muted stays live: the object must not claim it
// is muted.
TEST_F(MicMuteTest, MicrophoneThatCannotBeMutedIsNotReportedMuted)
{
    addDefault(AudioDevice{"line-in", "Line in", std::nullopt, false, std::nullopt, false});
    QList<bool> reported;
    mic.onToggle = [&](bool muted) { reported.append(muted); };
    mic.toggle();
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(reported, QList<bool>{false});

    // The same when the server refuses the request.
    audio.addDevice(Input, FakeAudioSystem::switchedDevice("usb"));
    audio.defaults[Input] = "usb";
    audio.state = AudioSystem::ConnectionState::Failed;
    mic.setMuted(true);
    EXPECT_FALSE(mic.isMuted());
}

TEST_F(MicMuteTest, SwitchingMicrophoneWhileMutedMovesTheMute)
{
    addDefault(FakeAudioSystem::volumeOnlyDevice("built-in", 0.6f));
    audio.addDevice(Input, FakeAudioSystem::switchedDevice("usb", 0.9f));
    mic.setMuted(true);

    audio.changeDefault(Input, "usb");
    EXPECT_TRUE(mic.isMuted());
    EXPECT_EQ(state("built-in").volume, 0.6f);
    EXPECT_EQ(state("usb").isMuted, true);

    mic.setMuted(false);
    EXPECT_EQ(state("usb").isMuted, false);
    EXPECT_EQ(state("built-in").volume, 0.6f);
}

TEST_F(MicMuteTest, SwitchingMicrophoneWhileNotMutedChangesNothing)
{
    addDefault(FakeAudioSystem::switchedDevice("built-in"));
    audio.addDevice(Input, FakeAudioSystem::switchedDevice("usb"));
    audio.changeDefault(Input, "usb");
    EXPECT_FALSE(mic.isMuted());
    EXPECT_TRUE(audio.writes.isEmpty());
}

TEST_F(MicMuteTest, SwitchingToMicrophoneThatCannotBeMutedEndsTheMute)
{
    addDefault(FakeAudioSystem::switchedDevice("usb"));
    audio.addDevice(Input, AudioDevice{"line-in", "Line in", std::nullopt, false, std::nullopt, false});
    mic.setMuted(true);
    audio.changeDefault(Input, "line-in");
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(state("usb").isMuted, false);
}

TEST_F(MicMuteTest, UnmutingAfterUnnoticedSwitchUnmutesBothMicrophones)
{
    addDefault(FakeAudioSystem::switchedDevice("built-in"));
    mic.setMuted(true);
    // The user muted the new one elsewhere; we have not heard of the switch.
    AudioDevice usb = FakeAudioSystem::switchedDevice("usb");
    usb.isMuted = true;
    audio.addDevice(Input, usb);
    audio.defaults[Input] = "usb";

    mic.setMuted(false);
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(state("built-in").isMuted, false);
    EXPECT_EQ(state("usb").isMuted, false);
}

// Only a microphone this object took the level from gets a level back.
TEST_F(MicMuteTest, UnmutingNeverForcesALevelOnAMicrophoneItDidNotMute)
{
    addDefault(FakeAudioSystem::volumeOnlyDevice("built-in", 0.2f));
    mic.setMuted(false);
    EXPECT_EQ(state("built-in").volume, 0.2f);

    audio.addDevice(Input, FakeAudioSystem::switchedDevice("usb"));
    audio.defaults[Input] = "usb";
    mic.setMuted(true);
    audio.defaults[Input] = "built-in"; // not heard of yet
    mic.setMuted(false);
    EXPECT_EQ(state("built-in").volume, 0.2f);
    EXPECT_EQ(state("usb").isMuted, false);
    EXPECT_FALSE(audio.writes.join(' ').contains("volume"));
}

TEST_F(MicMuteTest, HotKeyTogglesAndReportsEachPress)
{
    addDefault(FakeAudioSystem::switchedDevice("usb"));
    QList<bool> reported;
    mic.onToggle = [&](bool muted) { reported.append(muted); };
    mic.registerHotKey();
    ASSERT_TRUE(mic.hotKey());

    EXPECT_EQ(keys.press(MicMute::hotKeyCombination), KeyHandling::Handled);
    EXPECT_TRUE(mic.isMuted());
    EXPECT_EQ(keys.press(MicMute::hotKeyCombination), KeyHandling::Handled);
    EXPECT_FALSE(mic.isMuted());
    EXPECT_EQ(reported, (QList<bool>{true, false}));
}

TEST_F(MicMuteTest, HotKeyIsHeldOnceAndCanBeGivenBack)
{
    addDefault(FakeAudioSystem::switchedDevice("usb"));
    mic.registerHotKey();
    mic.registerHotKey();
    EXPECT_EQ(keys.grabCount(), 1);

    mic.unregisterHotKey();
    EXPECT_FALSE(mic.hotKey());
    EXPECT_EQ(keys.press(MicMute::hotKeyCombination), std::nullopt);
    EXPECT_FALSE(mic.isMuted());

    mic.registerHotKey();
    keys.press(MicMute::hotKeyCombination);
    EXPECT_TRUE(mic.isMuted());
}

TEST_F(MicMuteTest, HotKeyHeldByAnotherProgramStaysOff)
{
    keys.heldElsewhere.append(MicMute::hotKeyCombination);
    mic.registerHotKey();
    EXPECT_FALSE(mic.hotKey());
    EXPECT_EQ(keys.grabCount(), 0);
}

TEST_F(MicMuteTest, MutedChangesNotifyObserversOnlyOnChange)
{
    addDefault(FakeAudioSystem::switchedDevice("usb"));
    int changes = 0;
    const auto notifier = mic.bindableIsMuted().addNotifier([&] { ++changes; });
    mic.setMuted(true);
    mic.setMuted(true);
    mic.setMuted(false);
    EXPECT_EQ(changes, 2);
}

} // namespace
