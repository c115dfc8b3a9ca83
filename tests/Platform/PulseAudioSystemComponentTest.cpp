#include "Audio/MicMute.h"
#include "Audio/OutputMute.h"
#include "LockScreen/SystemVolume.h"
#include "Platform/Fake/FakeKeyCapture.h"
#include "Platform/Linux/PulseAudioSystem.h"
#include "Support/Scheduler.h"
#include "PulseServer.h"
#include "Wait.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <limits>

using namespace std::chrono_literals;

namespace {

constexpr AudioScope Input = AudioScope::Input;
constexpr AudioScope Output = AudioScope::Output;

class PulseAudioSystemComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isReady()) << server.log().constData();
        audio = std::make_unique<PulseAudioSystem>(scheduler, records.filePath("stream-volumes.json"));
        // Ready comes after the devices, once what a crash left scaled is put back.
        ASSERT_TRUE(waitUntil([this] {
            return audio->connectionState() == AudioSystem::ConnectionState::Ready && audio->device(Output, audio->defaultDevice(Output))
                && audio->device(Input, audio->defaultDevice(Input));
        }));
    }
    std::optional<AudioDevice> device(AudioScope scope, const QString &id) const { return audio->device(scope, id); }

    PulseServer server;
    ManualScheduler scheduler;
    QTemporaryDir records;
    std::unique_ptr<PulseAudioSystem> audio;
};

TEST_F(PulseAudioSystemComponentTest, MirrorsTheServersDefaults)
{
    EXPECT_EQ(audio->connectionState(), AudioSystem::ConnectionState::Ready);
    EXPECT_EQ(audio->defaultDevice(Output), "speakers");
    EXPECT_EQ(audio->defaultDevice(Input), "mic");
    const AudioDevice speakers = *device(Output, "speakers");
    EXPECT_EQ(speakers.isMuted, false);
    EXPECT_TRUE(speakers.isMuteSettable);
    EXPECT_EQ(speakers.volume, 1.0f);
    EXPECT_FALSE(speakers.isBluetooth);
    EXPECT_FALSE(speakers.name.isEmpty());
}

TEST_F(PulseAudioSystemComponentTest, WritesReachTheServer)
{
    ASSERT_TRUE(audio->setMuted(Output, "speakers", true));
    EXPECT_TRUE(waitUntil([&] { return device(Output, "speakers")->isMuted == true; }));
    EXPECT_EQ(PulseServer::pactl({"get-sink-mute", "speakers"}), "Mute: yes");

    ASSERT_TRUE(audio->setVolume(Output, "speakers", 0.3f));
    EXPECT_TRUE(waitUntil([&] { return qAbs(*device(Output, "speakers")->volume - 0.3f) < 0.001f; }));
    EXPECT_TRUE(PulseServer::pactl({"get-sink-volume", "speakers"}).contains("/  30% /"));

    ASSERT_TRUE(audio->setMuted(Input, "mic", true));
    EXPECT_TRUE(waitUntil([&] { return device(Input, "mic")->isMuted == true; }));
    EXPECT_EQ(PulseServer::pactl({"get-source-mute", "mic"}), "Mute: yes");

    // Not a number: nothing is asked of the server.
    EXPECT_FALSE(audio->setVolume(Output, "speakers", std::numeric_limits<float>::quiet_NaN()));
    ASSERT_TRUE(audio->setVolume(Output, "speakers", 1.5f));
    EXPECT_TRUE(waitUntil([&] { return *device(Output, "speakers")->volume == 1.0f; }));
    EXPECT_TRUE(PulseServer::pactl({"get-sink-volume", "speakers"}).contains("/ 100% /"));

    EXPECT_FALSE(audio->setMuted(Output, "no-such-sink", true));
    EXPECT_FALSE(audio->setVolume(Input, "speakers", 0.5f));
}

TEST_F(PulseAudioSystemComponentTest, OutsideChangesArrive)
{
    PulseServer::pactl({"set-sink-mute", "speakers", "1"});
    EXPECT_TRUE(waitUntil([&] { return device(Output, "speakers")->isMuted == true; }));
    PulseServer::pactl({"set-sink-volume", "speakers", "55%"});
    EXPECT_TRUE(waitUntil([&] { return qAbs(*device(Output, "speakers")->volume - 0.55f) < 0.01f; }));

    PulseServer::pactl({"load-module", "module-null-sink", "sink_name=headphones"});
    PulseServer::pactl({"set-default-sink", "headphones"});
    EXPECT_TRUE(waitUntil([&] { return audio->defaultDevice(Output) == "headphones" && device(Output, "headphones"); }));
}

TEST_F(PulseAudioSystemComponentTest, MuteModelsDriveTheRealDevices)
{
    FakeKeyCapture keys;
    MicMute mic(*audio, keys);
    OutputMute output(*audio);
    SystemVolume volume(*audio);
    volume.startObserving();

    mic.setMuted(true);
    EXPECT_TRUE(mic.isMuted());
    EXPECT_TRUE(waitUntil([] { return PulseServer::pactl({"get-source-mute", "mic"}) == "Mute: yes"; }));
    mic.setMuted(false);
    EXPECT_TRUE(waitUntil([] { return PulseServer::pactl({"get-source-mute", "mic"}) == "Mute: no"; }));

    PulseServer::pactl({"set-sink-volume", "speakers", "0%"});
    EXPECT_TRUE(waitUntil([&] { return output.isMuted(); }));
    EXPECT_EQ(volume.volume(), 0.0f);
    volume.set(0.4f);
    EXPECT_TRUE(waitUntil([&] { return !output.isMuted(); }));
    EXPECT_TRUE(PulseServer::pactl({"get-sink-volume", "speakers"}).contains("/  40% /"));
}

TEST_F(PulseAudioSystemComponentTest, LosingTheServerForgetsItsDevicesAndRetries)
{
    QList<AudioSystem::ConnectionState> states;
    QObject::connect(audio.get(), &AudioSystem::connectionStateChanged, [&](AudioSystem::ConnectionState state) { states.append(state); });
    server.stop();
    EXPECT_TRUE(waitUntil([&] { return audio->connectionState() == AudioSystem::ConnectionState::Connecting; }));
    EXPECT_TRUE(audio->defaultDevice(Output).isEmpty());
    EXPECT_EQ(audio->device(Output, "speakers"), std::nullopt);
    EXPECT_EQ(scheduler.pendingCount(), 1);
}

TEST_F(PulseAudioSystemComponentTest, AfterLosingAReadyServerTheRetriesWaitOneSecondThenLonger)
{
    server.stop();
    ASSERT_TRUE(waitUntil([&] { return audio->connectionState() == AudioSystem::ConnectionState::Connecting && scheduler.pendingCount() == 1; }));
    // A new server at a new address (PULSE_SERVER), found by the next attempt.
    PulseServer replacement;
    ASSERT_TRUE(replacement.isReady()) << replacement.log().constData();
    scheduler.advance(0.999);
    EXPECT_EQ(scheduler.pendingCount(), 1) << "no attempt within the first second";
    scheduler.advance(0.001);
    EXPECT_EQ(scheduler.pendingCount(), 0) << "connecting";
    ASSERT_TRUE(waitUntil([&] { return audio->connectionState() == AudioSystem::ConnectionState::Ready && audio->device(Output, "speakers"); }));

    // Lost again: one second, then two for the next failed attempt.
    replacement.stop();
    ASSERT_TRUE(waitUntil([&] { return audio->connectionState() == AudioSystem::ConnectionState::Connecting && scheduler.pendingCount() == 1; }));
    scheduler.advance(0.999);
    EXPECT_EQ(audio->connectionState(), AudioSystem::ConnectionState::Connecting);
    scheduler.advance(0.001);
    ASSERT_TRUE(waitUntil([&] { return scheduler.pendingCount() == 1; })) << "the attempt failed";
    scheduler.advance(1.999);
    EXPECT_EQ(scheduler.pendingCount(), 1);
    scheduler.advance(0.001);
    ASSERT_TRUE(waitUntil([&] { return scheduler.pendingCount() == 1; }));
}

TEST_F(PulseAudioSystemComponentTest, WritesArePendingUntilTheServerHasAnsweredAndReportedThem)
{
    QList<bool> pendingAtReports;
    QObject::connect(audio.get(), &AudioSystem::deviceChanged, [&](AudioScope scope, const QString &id) {
        if (scope == Output && id == "speakers")
            pendingAtReports.append(audio->hasPendingRequests(Output, "speakers"));
    });
    ASSERT_TRUE(audio->setVolume(Output, "speakers", 0.3f));
    ASSERT_TRUE(audio->setVolume(Output, "speakers", 0.4f));
    EXPECT_TRUE(audio->hasPendingRequests(Output, "speakers"));
    EXPECT_FALSE(audio->hasPendingRequests(Input, "mic"));
    ASSERT_TRUE(waitUntil([&] { return !audio->hasPendingRequests(Output, "speakers"); }));
    EXPECT_LT(qAbs(*device(Output, "speakers")->volume - 0.4f), 0.0001f) << "the state after both writes";
    ASSERT_FALSE(pendingAtReports.isEmpty());
    EXPECT_FALSE(pendingAtReports.last()) << "a report says the writes are settled";

    // Nothing pending: nothing to wait for.
    EXPECT_TRUE(audio->finishRequests(0ms));
}

TEST_F(PulseAudioSystemComponentTest, FinishRequestsWaitsForTheServersAnswerBounded)
{
    ASSERT_TRUE(audio->setMuted(Input, "mic", true));
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_FALSE(audio->hasPendingRequests(Input, "mic"));
    // Another client sees the change: the server has it.
    EXPECT_EQ(PulseServer::pactl({"get-source-mute", "mic"}), "Mute: yes");

    // A server that does not answer (stopped) is waited for no longer than
    // asked.
    ASSERT_EQ(::kill(pid_t(server.processId()), SIGSTOP), 0);
    ASSERT_TRUE(audio->setMuted(Input, "mic", false));
    EXPECT_FALSE(audio->finishRequests(300ms));
    EXPECT_TRUE(audio->hasPendingRequests(Input, "mic"));
    ASSERT_EQ(::kill(pid_t(server.processId()), SIGCONT), 0);
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_EQ(PulseServer::pactl({"get-source-mute", "mic"}), "Mute: no");
}

TEST_F(PulseAudioSystemComponentTest, ADeviceAmplifiedPastFullReadsAboveOne)
{
    PulseServer::pactl({"set-sink-volume", "speakers", "130%"});
    EXPECT_TRUE(waitUntil([&] { return qAbs(*device(Output, "speakers")->volume - 1.3f) < 0.01f; })) << *device(Output, "speakers")->volume;
}

QStringList warnings;
void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings.append(message);
}

TEST(PulseAudioSystemAbsentTest, GivesUpAfterBoundedRetriesWithOneWarning)
{
    QTemporaryDir nowhere;
    qputenv("PULSE_SERVER", "unix:" + nowhere.filePath("none").toUtf8());
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    ManualScheduler scheduler;
    PulseAudioSystem audio(scheduler, nowhere.filePath("stream-volumes.json"));
    for (int attempt = 1; attempt < PulseAudioSystem::maximumAttempts; ++attempt) {
        ASSERT_TRUE(waitUntil([&] { return scheduler.pendingCount() == 1; })) << "attempt " << attempt;
        // Each wait is twice the one before.
        scheduler.advance(double(1 << (attempt - 1)) - 0.001);
        EXPECT_EQ(scheduler.pendingCount(), 1);
        scheduler.advance(0.001);
    }
    EXPECT_TRUE(waitUntil([&] { return audio.connectionState() == AudioSystem::ConnectionState::Failed; }));
    qInstallMessageHandler(previous);
    qunsetenv("PULSE_SERVER");
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
    EXPECT_TRUE(audio.defaultDevice(Input).isEmpty());
    EXPECT_FALSE(audio.setMuted(Input, "mic", true));
}

} // namespace
