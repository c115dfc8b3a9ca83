#include "Audio/OutputMute.h"
#include "Platform/Fake/FakeAudioSystem.h"

#include <gtest/gtest.h>

namespace {

constexpr AudioScope Output = AudioScope::Output;

AudioDevice output(const QString &id, std::optional<bool> muted, std::optional<float> volume)
{
    return AudioDevice{id, id, muted, muted.has_value(), volume, false};
}

TEST(OutputMuteTest, JudgesTheSwitchAndTheVolume)
{
    struct Case {
        const char *name;
        std::optional<bool> muted;
        std::optional<float> volume;
        bool expected;
    };
    const Case cases[] = {
        {"switch on", true, 0.5f, true},
        {"volume just above silence", false, 0.0005f, true},
        {"volume at the threshold", false, 0.001f, false},
        {"switch alone, volume unreadable", true, std::nullopt, true},
        {"volume alone, no switch", std::nullopt, 0.0f, true},
        {"neither property", std::nullopt, std::nullopt, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioSystem audio;
        audio.addDevice(Output, output("speakers", c.muted, c.volume));
        audio.defaults[Output] = "speakers";
        OutputMute mute(audio);
        EXPECT_EQ(mute.isMuted(), c.expected);
    }
}

TEST(OutputMuteTest, NoOutputDeviceIsNotMuted)
{
    FakeAudioSystem audio;
    OutputMute mute(audio);
    EXPECT_FALSE(mute.isMuted());

    audio.addDevice(Output, output("speakers", true, 1.0f));
    audio.changeDefault(Output, "speakers");
    EXPECT_TRUE(mute.isMuted());
    audio.changeDefault(Output, QString());
    EXPECT_FALSE(mute.isMuted());
}

TEST(OutputMuteTest, FollowsTheDefaultDeviceAndOnlyIt)
{
    FakeAudioSystem audio;
    audio.addDevice(Output, output("speakers", true, 1.0f));
    audio.addDevice(Output, output("headphones", false, 0.5f));
    audio.defaults[Output] = "speakers";
    OutputMute mute(audio);
    EXPECT_TRUE(mute.isMuted());

    audio.changeDefault(Output, "headphones");
    EXPECT_FALSE(mute.isMuted());

    // The old device's changes no longer count; the new one's do.
    int changes = 0;
    const auto notifier = mute.bindableIsMuted().addNotifier([&] { ++changes; });
    audio.changeDevice(Output, output("speakers", false, 0.0f));
    audio.changeDevice(Output, output("speakers", true, 1.0f));
    EXPECT_EQ(changes, 0);
    audio.changeDevice(Output, output("headphones", false, 0.0f));
    EXPECT_TRUE(mute.isMuted());
    EXPECT_EQ(changes, 1);
}

TEST(OutputMuteTest, DemonstrationValueLastsUntilTheDeviceChanges)
{
    FakeAudioSystem audio;
    audio.addDevice(Output, output("speakers", false, 0.5f));
    audio.defaults[Output] = "speakers";
    OutputMute mute(audio);
    mute.bindableIsMuted().setValue(true);
    EXPECT_TRUE(mute.isMuted());
    audio.changeDevice(Output, output("speakers", false, 0.6f));
    EXPECT_FALSE(mute.isMuted());
}

} // namespace
