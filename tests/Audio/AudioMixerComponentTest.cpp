// The mixer on a private sound server with two applications playing (each a
// desktop entry and pacat under the entry's program name): a gain reaches
// every stream of its application and no other, and the streams get their
// own volumes back when the gain is gone, reset, or the app quits.

#include "Audio/AudioMixer.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/LinuxWorkspace.h"
#include "Platform/Linux/PulseAudioSystem.h"
#include "Support/Scheduler.h"
#include "PrivateBus.h"
#include "PulseServer.h"
#include "QuibProcess.h"
#include "SoundApps.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString alpha = QStringLiteral("quibalpha");
const QString beta = QStringLiteral("quibbeta");
// A raw volume of 32768 is half the full level on the slider's scale:
// -18.06 dB. A gain of 0.5 as linear amplitude: -6.02 dB on top.
constexpr double halfSliderDecibels = -18.06;
constexpr double halfAmplitudeDecibels = -6.02;
const QList<quint32> halfVolume{32768, 32768};
const QList<quint32> fullVolume{65536, 65536};

std::optional<QList<quint32>> volumeOf(qint64 pid)
{
    const std::optional<PulseServer::Stream> stream = PulseServer::stream(QStringLiteral("sink-inputs"), pid);
    return stream ? std::optional(stream->volume) : std::nullopt;
}

bool hasStream(qint64 pid)
{
    return volumeOf(pid).has_value();
}

class AudioMixerComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isReady()) << server.log().constData();
        apps.addApplication(alpha, QStringLiteral("Alfa"), Qt::red);
        apps.addApplication(beta, QStringLiteral("Beta"), Qt::blue);
    }

    PulseServer server;
    SoundApps apps;
    QTemporaryDir directory;
};

class InProcessMixer : public AudioMixerComponentTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(AudioMixerComponentTest::SetUp());
        audio = std::make_unique<PulseAudioSystem>(scheduler, directory.filePath(QStringLiteral("stream-volumes.json")));
        ASSERT_TRUE(waitUntil([&] { return audio->connectionState() == AudioSystem::ConnectionState::Ready; }));
        mixer = std::make_unique<AudioMixer>(*audio, workspace, defaults, scheduler, QCoreApplication::applicationPid());
    }

    // Waits (bounded) until the mixer lists exactly `ids`.
    bool lists(const QStringList &ids)
    {
        return waitUntil([&] {
            mixer->refresh();
            QStringList listed;
            for (const AudioApp &app : mixer->apps())
                listed.append(app.id);
            return listed == ids;
        });
    }

    QtScheduler scheduler;
    JsonUserDefaults defaults{scheduler, directory.filePath(QStringLiteral("defaults.json"))};
    LinuxWorkspace workspace;
    std::unique_ptr<PulseAudioSystem> audio;
    std::unique_ptr<AudioMixer> mixer;
};

} // namespace

TEST_F(InProcessMixer, AGainScalesEveryStreamOfItsApplicationAndNoOther)
{
    const qint64 alphaPlayer = apps.play(alpha, 32768);
    const qint64 betaPlayer = apps.play(beta);
    ASSERT_TRUE(waitUntil([&] { return hasStream(alphaPlayer) && hasStream(betaPlayer); }));
    ASSERT_TRUE(lists({alpha, beta}));
    EXPECT_EQ(mixer->apps().value(0).name, QStringLiteral("Alfa"));

    mixer->setGain(0.5, alpha);
    EXPECT_NEAR(PulseServer::settledDecibels(alphaPlayer, halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    EXPECT_TRUE(audio->finishRequests(std::chrono::seconds(2)));
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);

    // A stream the application opens later gets the gain as it appears.
    const qint64 laterPlayer = apps.play(alpha);
    EXPECT_NEAR(PulseServer::settledDecibels(laterPlayer, halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);
    EXPECT_NEAR(PulseServer::settledDecibels(alphaPlayer, halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);

    // Full gain: exactly the streams' own volumes again.
    mixer->setGain(1.0, alpha);
    EXPECT_TRUE(waitUntil([&] { return volumeOf(alphaPlayer) == halfVolume && volumeOf(laterPlayer) == fullVolume; }))
        << volumeOf(alphaPlayer).value_or(QList<quint32>()).value(0) << " " << volumeOf(laterPlayer).value_or(QList<quint32>()).value(0);
    EXPECT_EQ(mixer->tap(alpha), nullptr);

    // Two gains at once, then a reset of every one.
    mixer->setGain(0.25, alpha);
    mixer->setGain(0.5, beta);
    EXPECT_NEAR(PulseServer::settledDecibels(laterPlayer, 2 * halfAmplitudeDecibels), 2 * halfAmplitudeDecibels, 0.05);
    EXPECT_NEAR(PulseServer::settledDecibels(betaPlayer, halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);
    mixer->resetAll();
    EXPECT_TRUE(waitUntil([&] {
        return volumeOf(alphaPlayer) == halfVolume && volumeOf(laterPlayer) == fullVolume && volumeOf(betaPlayer) == fullVolume;
    }));
    EXPECT_TRUE(mixer->gains().isEmpty());
}

// The real app, started with a gain saved for one application, scales its
// stream in the background and gives it back its own volume as it quits.
TEST_F(AudioMixerComponentTest, TheAppPutsTheVolumesBackWhenItQuits)
{
    const qint64 alphaPlayer = apps.play(alpha, 32768);
    const qint64 betaPlayer = apps.play(beta);
    ASSERT_TRUE(waitUntil([&] { return hasStream(alphaPlayer) && hasStream(betaPlayer); }));

    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    QuibProcess quib;
    const QString config = quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib");
    ASSERT_TRUE(QDir().mkpath(config));
    QFile settings(config + QStringLiteral("/defaults.json"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral(R"({"appVolumes": {"%1": 0.5}})").arg(alpha).toUtf8());
    settings.close();

    RunningQuib app(quib);
    ASSERT_TRUE(app.waitUntilReady(bus.connect(QStringLiteral("observer"))));
    EXPECT_NEAR(PulseServer::settledDecibels(alphaPlayer, halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);

    ASSERT_EQ(::kill(pid_t(app.processId()), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(), 0);
    // The quit waited for the server's answers: no wait here.
    EXPECT_EQ(volumeOf(alphaPlayer), halfVolume);
    EXPECT_EQ(volumeOf(betaPlayer), fullVolume);
    EXPECT_FALSE(QFile::exists(apps.dataHome() + QStringLiteral("/quib/stream-volumes.json"))) << "nothing left scaled on record";
}
