#include "LockScreen/SystemVolume.h"
#include "Platform/Fake/FakeAudioSystem.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr AudioScope Output = AudioScope::Output;

class SystemVolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        audio.addDevice(Output, FakeAudioSystem::switchedDevice("speakers", 0.4f));
        audio.addDevice(Output, FakeAudioSystem::switchedDevice("headphones", 0.8f));
        audio.defaults[Output] = "speakers";
    }
    void report(const QString &id, float level)
    {
        AudioDevice device = *audio.device(Output, id);
        device.volume = level;
        audio.changeDevice(Output, device);
    }

    FakeAudioSystem audio;
    SystemVolume volume{audio};
};

TEST_F(SystemVolumeTest, ReadsNothingBeforeItIsBound)
{
    EXPECT_EQ(volume.volume(), 0.5f);
    EXPECT_FALSE(volume.isAvailable());
    EXPECT_FALSE(volume.isBluetooth());
    EXPECT_EQ(volume.deviceName(), std::nullopt);
}

TEST_F(SystemVolumeTest, ObservingFollowsTheDevicesVolume)
{
    volume.startObserving();
    EXPECT_TRUE(volume.isAvailable());
    EXPECT_EQ(volume.volume(), 0.4f);
    report("speakers", 0.6f);
    EXPECT_EQ(volume.volume(), 0.6f);

    volume.stopObserving();
    report("speakers", 0.2f);
    EXPECT_EQ(volume.volume(), 0.6f);
}

TEST_F(SystemVolumeTest, IgnoresChangesBelowTheThreshold)
{
    volume.startObserving();
    report("speakers", 0.4005f);
    EXPECT_EQ(volume.volume(), 0.4f);
    report("speakers", 0.402f);
    EXPECT_EQ(volume.volume(), 0.402f);
}

TEST_F(SystemVolumeTest, SetClampsAndWrites)
{
    volume.startObserving();
    volume.set(1.5f);
    EXPECT_EQ(volume.volume(), 1.0f);
    volume.set(-0.2f);
    EXPECT_EQ(volume.volume(), 0.0f);
    EXPECT_EQ(audio.writes, QStringList({"volume Output speakers 1", "volume Output speakers 0"}));
}

TEST_F(SystemVolumeTest, WritesStandUntilTheServerHasAnsweredThem)
{
    volume.startObserving();
    audio.delaysEchoes = true;
    volume.set(0.6f);
    volume.set(0.7f);
    EXPECT_TRUE(volume.setMuted(true));
    // Reports sent before the server had the writes do not undo them.
    report("speakers", 0.3f);
    audio.deliverEcho();
    volume.refreshDevice();
    EXPECT_EQ(volume.volume(), 0.7f);
    EXPECT_TRUE(volume.isMuted());

    // All answered: the server's word counts, whatever it made of them.
    audio.deliverEcho();
    audio.deliverEcho();
    EXPECT_EQ(volume.volume(), 0.7f);
    EXPECT_TRUE(volume.isMuted());
    report("speakers", 0.2f);
    EXPECT_EQ(volume.volume(), 0.2f);

    // Another object's writes hold nothing here.
    SystemVolume other(audio);
    other.refreshDevice();
    other.set(0.9f);
    report("speakers", 0.25f);
    EXPECT_EQ(volume.volume(), 0.25f);
}

TEST_F(SystemVolumeTest, ADeviceAmplifiedPastFullReadsFull)
{
    volume.startObserving();
    EXPECT_FALSE(volume.isAboveFull());
    report("speakers", 1.3f);
    EXPECT_EQ(volume.volume(), 1.0f);
    EXPECT_TRUE(volume.isAboveFull());
    volume.set(0.5f);
    EXPECT_FALSE(volume.isAboveFull());
    report("speakers", 1.0f);
    EXPECT_FALSE(volume.isAboveFull());
}

TEST_F(SystemVolumeTest, NotANumberIsNeverWritten)
{
    volume.startObserving();
    volume.set(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(volume.volume(), 0.4f);
    EXPECT_TRUE(audio.writes.isEmpty());
}

TEST_F(SystemVolumeTest, MuteSwitchIsReadShownAtOnceAndWritten)
{
    volume.refreshDevice();
    EXPECT_FALSE(volume.isMuted());
    EXPECT_TRUE(volume.setMuted(true));
    EXPECT_TRUE(volume.isMuted());
    EXPECT_EQ(audio.writes, QStringList({"mute Output speakers 1"}));

    // Switched elsewhere: an observing object hears of it.
    volume.startObserving();
    AudioDevice speakers = *audio.device(Output, "speakers");
    speakers.isMuted = false;
    audio.changeDevice(Output, speakers);
    EXPECT_FALSE(volume.isMuted());
}

TEST_F(SystemVolumeTest, MuteNeedsADeviceWithASettableSwitch)
{
    EXPECT_FALSE(volume.setMuted(true)) << "not bound to a device yet";
    audio.addDevice(Output, FakeAudioSystem::volumeOnlyDevice("hdmi", 0.5f));
    audio.defaults[Output] = "hdmi";
    volume.refreshDevice();
    EXPECT_FALSE(volume.setMuted(true));
    EXPECT_FALSE(volume.isMuted());
    EXPECT_TRUE(audio.writes.isEmpty());
}

TEST_F(SystemVolumeTest, SetWithoutDeviceOnlyShowsTheValue)
{
    volume.set(0.3f);
    EXPECT_EQ(volume.volume(), 0.3f);
    EXPECT_TRUE(audio.writes.isEmpty());
}

TEST_F(SystemVolumeTest, DeviceChangeMovesTheListenerOnlyWhileObserving)
{
    volume.startObserving();
    audio.defaults[Output] = "headphones";
    volume.refreshDevice();
    EXPECT_EQ(volume.device(), "headphones");
    EXPECT_EQ(volume.volume(), 0.8f);
    report("speakers", 0.1f);
    EXPECT_EQ(volume.volume(), 0.8f);
    report("headphones", 0.7f);
    EXPECT_EQ(volume.volume(), 0.7f);

    volume.stopObserving();
    audio.defaults[Output] = "speakers";
    volume.refreshDevice();
    EXPECT_FALSE(volume.isObserving());
    // Re-read once: the speakers' level reported while they were not bound.
    EXPECT_EQ(volume.volume(), 0.1f);
    report("speakers", 0.9f);
    EXPECT_EQ(volume.volume(), 0.1f);
}

TEST_F(SystemVolumeTest, DeviceWithoutVolumeIsUnavailableAndKeepsTheLastValue)
{
    volume.startObserving();
    audio.addDevice(Output, AudioDevice{"hdmi", "HDMI", false, true, std::nullopt, false});
    audio.defaults[Output] = "hdmi";
    volume.refreshDevice();
    EXPECT_FALSE(volume.isAvailable());
    EXPECT_EQ(volume.volume(), 0.4f);
}

TEST_F(SystemVolumeTest, NamesTheDeviceAndItsTransport)
{
    audio.addDevice(Output, AudioDevice{"bluez_sink.1", "AirPods Pro", false, true, 0.5f, true});
    audio.defaults[Output] = "bluez_sink.1";
    volume.refreshDevice();
    EXPECT_TRUE(volume.isBluetooth());
    EXPECT_EQ(volume.deviceName(), "AirPods Pro");
}

TEST(SystemVolumeSymbolTest, MapsHeadphoneNames)
{
    const std::pair<const char *, const char *> cases[] = {
        {"AirPods Max de Ana", "airpodsmax"}, {"AIRPODS PRO", "airpodspro"}, {"Minhas AirPods", "airpods"},
        {"Beats Studio", "beats.headphones"}, {"Sony WH-1000XM4", "headphones"}, {"", "headphones"},
    };
    for (const auto &[name, symbol] : cases)
        EXPECT_EQ(SystemVolume::symbolForDeviceNamed(name), symbol) << name;
}

} // namespace
