#include "Audio/AppVolumeTap.h"
#include "Platform/Fake/FakeAudioSystem.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

// A buffer under test: its samples, and the byte size it declares (the
// samples' own size unless a case says otherwise).
struct Buffer {
    quint32 channels;
    std::vector<float> samples;
    bool hasData = true;
    std::optional<quint32> byteSize = std::nullopt;
};

std::vector<AudioBuffer> view(std::vector<Buffer> &buffers)
{
    std::vector<AudioBuffer> views;
    for (Buffer &buffer : buffers) {
        const auto bytes = buffer.byteSize.value_or(quint32(buffer.samples.size() * sizeof(float)));
        views.push_back(AudioBuffer{buffer.channels, bytes, buffer.hasData ? buffer.samples.data() : nullptr});
    }
    return views;
}

constexpr float u = 9.0f; // what the output held before the cycle

TEST(AppVolumeTapTest, CopiesInputChannelKToOutputChannelKAtTheGain)
{
    struct Case {
        const char *name;
        std::vector<Buffer> input;
        std::vector<Buffer> output;
        float gain;
        std::vector<std::vector<float>> expected;
    };
    const std::vector<Case> cases = {
        {"stereo to stereo", {{2, {1, 2, 3, 4}}}, {{2, {u, u, u, u}}}, 0.5f, {{0.5f, 1, 1.5f, 2}}},
        {"gain 0 is silence of the full length", {{2, {1, 2, 3, 4}}}, {{2, {u, u, u, u, u, u}}}, 0.0f, {{0, 0, 0, 0, 0, 0}}},
        {"output channels beyond the input are silent",
         {{2, {1, 2, 3, 4}}},
         {{4, {u, u, u, u, u, u, u, u}}},
         1.0f,
         {{1, 2, 0, 0, 3, 4, 0, 0}}},
        {"frames beyond a shorter input are silent", {{2, {1, 2}}}, {{2, {u, u, u, u, u, u}}}, 1.0f, {{1, 2, 0, 0, 0, 0}}},
        {"a longer input fills only the output's frames", {{2, {1, 2, 3, 4, 5, 6}}}, {{2, {u, u}}}, 1.0f, {{1, 2}}},
        {"a mono input reaches only the first channel", {{1, {1, 2}}}, {{2, {u, u, u, u}}}, 1.0f, {{1, 0, 2, 0}}},
        {"input channels count across buffers", {{1, {1, 2}}, {1, {3, 4}}}, {{2, {u, u, u, u}}}, 1.0f, {{1, 3, 2, 4}}},
        {"output channels count across buffers",
         {{2, {1, 2, 3, 4}}},
         {{1, {u, u}}, {1, {u, u}}, {1, {u, u}}},
         1.0f,
         {{1, 3}, {2, 4}, {0, 0}}},
        {"an output buffer without data is skipped, its channels uncounted",
         {{2, {1, 2}}},
         {{2, {u, u}, false}, {2, {u, u}}},
         1.0f,
         {{u, u}, {1, 2}}},
        {"an input buffer without data gives silence, not its neighbour's samples",
         {{2, {7, 7}, false}, {1, {5, 6}}},
         {{3, {u, u, u, u, u, u}}},
         1.0f,
         {{0, 0, 5, 0, 0, 6}}},
        {"no input at all", {}, {{2, {u, u, u, u}}}, 1.0f, {{0, 0, 0, 0}}},
        {"an output buffer that declares no channels is one channel", {{2, {1, 2, 3, 4}}}, {{0, {u, u}}}, 1.0f, {{1, 3}}},
        {"an input buffer that declares no channels holds none",
         {{0, {7, 7}}, {1, {1, 2}}},
         {{1, {u, u}}},
         1.0f,
         {{1, 2}}},
        {"a partial frame at the end is left alone", {{2, {1, 2, 3, 4}}}, {{2, {u, u, u, u, u}, true, 20}}, 1.0f, {{1, 2, 3, 4, u}}},
        {"only the declared bytes of the input are read",
         {{2, {1, 2, 3, 4}, true, 8}},
         {{2, {u, u, u, u}}},
         1.0f,
         {{1, 2, 0, 0}}},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<AudioBuffer> input = view(c.input);
        const std::vector<AudioBuffer> output = view(c.output);
        AppVolumeTap::copy(input, output, c.gain);
        ASSERT_EQ(c.output.size(), c.expected.size());
        for (std::size_t i = 0; i < c.output.size(); ++i)
            EXPECT_EQ(c.output[i].samples, c.expected[i]) << "output buffer " << i;
    }
}

TEST(AppVolumeTapTest, AsksTheServerForATapOfTheApplicationsProcesses)
{
    FakeAudioSystem audio;
    auto first = AppVolumeTap::create(audio, "org.player", {300, 100}, "speakers", 0.25f);
    auto second = AppVolumeTap::create(audio, "org.player", {300, 100}, "speakers", 0.25f);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    ASSERT_EQ(audio.taps.size(), 2);

    const AudioTapDescription &description = audio.taps[0]->description;
    EXPECT_EQ(description.name, "Quib volume org.player");
    EXPECT_EQ(description.processObjects, (QList<AudioObjectID>{300, 100}));
    EXPECT_EQ(description.outputDevice, "speakers");
    EXPECT_EQ(description.gain, 0.25f);
    EXPECT_FALSE(description.tapUUID.isNull());
    const QRegularExpression deviceUID("^com\\.brenvask\\.Quib\\.tap\\.[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    EXPECT_TRUE(deviceUID.match(description.deviceUID).hasMatch()) << description.deviceUID.toStdString();
    // The device's name is its own: not the tap's, not an earlier tap's.
    EXPECT_FALSE(description.deviceUID.contains(description.tapUUID.toString(QUuid::WithoutBraces), Qt::CaseInsensitive));
    EXPECT_NE(description.deviceUID, audio.taps[1]->description.deviceUID);
    EXPECT_NE(description.tapUUID, audio.taps[1]->description.tapUUID);

    EXPECT_EQ(first->appID(), "org.player");
    EXPECT_EQ(first->processObjects(), (QList<AudioObjectID>{300, 100}));
    EXPECT_EQ(first->outputUID(), "speakers");
}

TEST(AppVolumeTapTest, ClampsTheGainEverywhere)
{
    struct Case {
        const char *name;
        float gain;
        float expected;
    };
    const Case cases[] = {
        {"within", 0.4f, 0.4f},
        {"negative", -0.2f, 0.0f},
        {"above full", 1.7f, 1.0f},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 0.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeAudioSystem audio;
        auto tap = AppVolumeTap::create(audio, "org.player", {100}, "speakers", c.gain);
        ASSERT_TRUE(tap);
        EXPECT_EQ(tap->gain(), c.expected);
        EXPECT_EQ(audio.taps[0]->description.gain, c.expected);

        tap->setGain(0.5f);
        tap->setGain(c.gain);
        EXPECT_EQ(tap->gain(), c.expected);
        EXPECT_EQ(audio.taps[0]->gain, c.expected);
    }
}

TEST(AppVolumeTapTest, ANewGainReachesTheNextCycle)
{
    FakeAudioSystem audio;
    auto tap = AppVolumeTap::create(audio, "org.player", {100}, "speakers", 1.0f);
    ASSERT_TRUE(tap);
    std::vector<float> in = {1, 1};
    std::vector<float> out = {0, 0};
    const AudioBuffer input[] = {{2, 8, in.data()}};
    const AudioBuffer output[] = {{2, 8, out.data()}};

    FakeAudioSystem::render(*audio.taps[0], input, output);
    EXPECT_EQ(out, (std::vector<float>{1, 1}));
    tap->setGain(0.25f);
    FakeAudioSystem::render(*audio.taps[0], input, output);
    EXPECT_EQ(out, (std::vector<float>{0.25f, 0.25f}));
    EXPECT_EQ(audio.taps.size(), 1) << "no rebuild";
}

TEST(AppVolumeTapTest, StopsOnceAndOnDestruction)
{
    FakeAudioSystem audio;
    auto tap = AppVolumeTap::create(audio, "org.player", {100}, "speakers", 0.5f);
    ASSERT_TRUE(tap);
    tap->stop();
    EXPECT_FALSE(audio.taps[0]->isLive);
    tap->stop();
    tap->setGain(0.1f);
    EXPECT_EQ(audio.taps[0]->gain, 0.5f) << "a stopped tap tells the server nothing";

    auto other = AppVolumeTap::create(audio, "org.other", {200}, "speakers", 0.5f);
    ASSERT_TRUE(other);
    other.reset();
    EXPECT_FALSE(audio.taps[1]->isLive);
}

TEST(AppVolumeTapTest, NoTapWhenTheServerCannotMakeOne)
{
    FakeAudioSystem audio;
    audio.refusesTaps = true;
    EXPECT_EQ(AppVolumeTap::create(audio, "org.player", {100}, "speakers", 0.5f), nullptr);
    audio.refusesTaps = false;
    audio.state = AudioSystem::ConnectionState::Failed;
    EXPECT_EQ(AppVolumeTap::create(audio, "org.player", {100}, "speakers", 0.5f), nullptr);
    EXPECT_TRUE(audio.taps.isEmpty());
}

} // namespace
