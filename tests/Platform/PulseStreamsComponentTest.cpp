#include "Platform/Linux/PulseAudioSystem.h"
#include "Support/Scheduler.h"
#include "LineProcess.h"
#include "PulseServer.h"
#include "Wait.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>

using namespace std::chrono_literals;

namespace {

using Direction = AudioStream::Direction;

// A raw volume of 32768 is half the full level on the slider's scale, a
// quarter of the amplitude twice over: -18.06 dB.
constexpr double halfSliderDecibels = -18.06;
// A gain of 0.5 as linear amplitude.
constexpr double halfAmplitudeDecibels = -6.02;

// pacat playing silence (at the raw volume given, if any) or recording;
// ends when destroyed.
class Pacat {
public:
    // `OnALine`: the process id is known before the stream exists, as the
    // shell becomes pacat once startStream() sends it a line.
    enum class Start { Now, OnALine };

    explicit Pacat(Direction direction, std::optional<int> volume = std::nullopt, Start start = Start::Now)
    {
        const bool waitsForALine = start == Start::OnALine;
        QStringList arguments{direction == Direction::Playback ? "--playback" : "--record"};
        if (volume)
            arguments.append(QStringLiteral("--volume=%1").arg(*volume));
        if (direction == Direction::Playback && !waitsForALine)
            m_process.setStandardInputFile("/dev/zero");
        m_process.setStandardOutputFile(QProcess::nullDevice());
        if (waitsForALine) {
            m_process.start("sh", {"-c", "read line; exec pacat " + arguments.join(' ') + " < /dev/zero"});
        } else {
            m_process.start("pacat", arguments);
        }
        m_process.waitForStarted(5000);
    }
    ~Pacat()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    qint64 pid() const { return m_process.processId(); }
    void startStream() { m_process.write("go\n"); }
    void end() { m_process.terminate(); }

private:
    QProcess m_process;
};

class PulseStreamsComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isReady()) << server.log().constData();
        audio = start();
        ASSERT_TRUE(audio);
    }

    std::unique_ptr<PulseAudioSystem> start()
    {
        auto system = std::make_unique<PulseAudioSystem>(scheduler, recordPath());
        if (!waitUntil([&] { return system->connectionState() == AudioSystem::ConnectionState::Ready; }))
            return nullptr;
        return system;
    }

    QString recordPath() const { return directory.filePath("stream-volumes.json"); }

    std::optional<AudioStream> stream(Direction direction, qint64 process) const
    {
        for (const AudioStream &stream : audio->streams()) {
            if (stream.direction == direction && stream.processIdentifier == process)
                return stream;
        }
        return std::nullopt;
    }

    bool hasStream(Direction direction, qint64 process) const { return stream(direction, process).has_value(); }

    std::unique_ptr<AudioTap> tap(const QList<AudioObjectID> &processes, float gain)
    {
        AudioTapDescription description;
        description.processObjects = processes;
        description.gain = gain;
        return audio->createTap(description);
    }

    PulseServer server;
    ManualScheduler scheduler;
    QTemporaryDir directory;
    std::unique_ptr<PulseAudioSystem> audio;
};

TEST_F(PulseStreamsComponentTest, MirrorsStreamsWithTheirProcessCorkStateAndVolume)
{
    Pacat player(Direction::Playback, 32768);
    Pacat recorder(Direction::Recording);
    LineProcess corkable;
    ASSERT_TRUE(corkable.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib-corkable-stream"), {}));
    ASSERT_EQ(corkable.nextLine(), "ready");
    ASSERT_TRUE(waitUntil([&] {
        return hasStream(Direction::Playback, player.pid()) && hasStream(Direction::Recording, recorder.pid()) && hasStream(Direction::Playback, corkable.pid());
    }));

    const AudioStream played = *stream(Direction::Playback, player.pid());
    EXPECT_FALSE(played.isCorked);
    EXPECT_EQ(played.volume, QList<float>({0.5f, 0.5f}));
    EXPECT_EQ(played.index, PulseServer::stream("sink-inputs", player.pid())->index);
    const AudioStream recorded = *stream(Direction::Recording, recorder.pid());
    EXPECT_EQ(recorded.index, PulseServer::stream("source-outputs", recorder.pid())->index);
    // Playback streams come first.
    const QList<AudioStream> all = audio->streams();
    const auto firstRecording = std::find_if(all.begin(), all.end(), [](const AudioStream &stream) { return stream.direction == Direction::Recording; });
    EXPECT_TRUE(std::all_of(firstRecording, all.end(), [](const AudioStream &stream) { return stream.direction == Direction::Recording; }));

    QSignalSpy changes(audio.get(), &AudioSystem::streamsChanged);
    corkable.writeLine("cork");
    ASSERT_EQ(corkable.nextLine(), "ok");
    EXPECT_TRUE(waitUntil([&] { return stream(Direction::Playback, corkable.pid())->isCorked; }));
    // The mirror changes at once; its report follows as a queued call.
    EXPECT_TRUE(waitUntil([&] { return !changes.isEmpty(); }));
    corkable.writeLine("uncork");
    ASSERT_EQ(corkable.nextLine(), "ok");
    EXPECT_TRUE(waitUntil([&] { return !stream(Direction::Playback, corkable.pid())->isCorked; }));

    PulseServer::pactl({"set-sink-input-volume", QString::number(played.index), "25%"});
    EXPECT_TRUE(waitUntil([&] { return stream(Direction::Playback, player.pid())->volume == QList<float>({0.25f, 0.25f}); }));

    changes.clear();
    player.end();
    EXPECT_TRUE(waitUntil([&] { return !hasStream(Direction::Playback, player.pid()); }));
    EXPECT_TRUE(waitUntil([&] { return !changes.isEmpty(); }));
    EXPECT_TRUE(hasStream(Direction::Recording, recorder.pid()));
}

TEST_F(PulseStreamsComponentTest, ATapScalesOnlyThePlaybackStreamsOfItsProcesses)
{
    Pacat tapped(Direction::Playback, 32768);
    Pacat other(Direction::Playback);
    Pacat recorder(Direction::Recording);
    Pacat later(Direction::Playback, std::nullopt, Pacat::Start::OnALine);
    ASSERT_TRUE(waitUntil([&] {
        return hasStream(Direction::Playback, tapped.pid()) && hasStream(Direction::Playback, other.pid()) && hasStream(Direction::Recording, recorder.pid());
    }));

    std::unique_ptr<AudioTap> volumeTap = tap({AudioObjectID(tapped.pid()), AudioObjectID(recorder.pid()), AudioObjectID(later.pid())}, 0.5f);
    ASSERT_TRUE(volumeTap);
    // On top of the stream's own volume, as linear amplitude.
    EXPECT_NEAR(PulseServer::settledDecibels(tapped.pid(), halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    EXPECT_TRUE(waitUntil([&] { return std::abs(stream(Direction::Playback, tapped.pid())->volume.value(0) - 0.5f * std::cbrt(0.5f)) < 0.001f; }))
        << "the mirror follows";
    EXPECT_NEAR(PulseServer::stream("sink-inputs", other.pid())->decibels, 0.0, 0.01);
    EXPECT_NEAR(PulseServer::stream("source-outputs", recorder.pid())->decibels, 0.0, 0.01) << "recording streams are never touched";

    // A stream of a tapped process that appears later gets the gain.
    later.startStream();
    EXPECT_NEAR(PulseServer::settledDecibels(later.pid(), halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);

    volumeTap->setGain(0.25f);
    EXPECT_NEAR(PulseServer::settledDecibels(tapped.pid(), halfSliderDecibels + 2 * halfAmplitudeDecibels), halfSliderDecibels + 2 * halfAmplitudeDecibels, 0.05);
    EXPECT_NEAR(PulseServer::settledDecibels(later.pid(), 2 * halfAmplitudeDecibels), 2 * halfAmplitudeDecibels, 0.05);
    EXPECT_NEAR(PulseServer::stream("sink-inputs", other.pid())->decibels, 0.0, 0.01);

    ASSERT_TRUE(waitUntil([&] { return QFile::exists(recordPath()); })) << "what is scaled is on record";

    volumeTap.reset();
    EXPECT_TRUE(audio->finishRequests(2s)) << "the restoring writes are requests the quit waits for";
    EXPECT_EQ(PulseServer::stream("sink-inputs", tapped.pid())->volume, QList<quint32>({32768, 32768})) << "exactly the own volume";
    EXPECT_EQ(PulseServer::stream("sink-inputs", later.pid())->volume, QList<quint32>({65536, 65536}));
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(recordPath()); })) << "nothing is scaled";
}

TEST_F(PulseStreamsComponentTest, AVolumeAnotherProgramSetsIsKeptUnderTheGain)
{
    Pacat player(Direction::Playback);
    ASSERT_TRUE(waitUntil([&] { return hasStream(Direction::Playback, player.pid()); }));
    std::unique_ptr<AudioTap> volumeTap = tap({AudioObjectID(player.pid())}, 0.5f);
    ASSERT_TRUE(volumeTap);
    ASSERT_NEAR(PulseServer::settledDecibels(player.pid(), halfAmplitudeDecibels), halfAmplitudeDecibels, 0.05);

    // The user moves the stream's slider in another mixer to half.
    const QString index = QString::number(stream(Direction::Playback, player.pid())->index);
    PulseServer::pactl({"set-sink-input-volume", index, "32768"});
    ASSERT_TRUE(waitUntil([&] { return stream(Direction::Playback, player.pid())->volume.value(0) == 0.5f; }));
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_EQ(PulseServer::stream("sink-inputs", player.pid())->volume, QList<quint32>({32768, 32768})) << "not overwritten";

    // The gain stays on top of the user's level: the level set under 0.5
    // is the one a quarter now halves.
    volumeTap->setGain(0.25f);
    EXPECT_NEAR(PulseServer::settledDecibels(player.pid(), halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    volumeTap.reset();
    EXPECT_NEAR(PulseServer::settledDecibels(player.pid(), halfSliderDecibels - halfAmplitudeDecibels), halfSliderDecibels - halfAmplitudeDecibels, 0.05)
        << "the stream's own volume is the user's level without the gain";
}

TEST_F(PulseStreamsComponentTest, ASilencedStreamKeepsItsSilenceAndItsOwnVolume)
{
    Pacat player(Direction::Playback, 32768);
    ASSERT_TRUE(waitUntil([&] { return hasStream(Direction::Playback, player.pid()); }));
    std::unique_ptr<AudioTap> volumeTap = tap({AudioObjectID(player.pid())}, 0.0f);
    ASSERT_TRUE(waitUntil([&] { return PulseServer::stream("sink-inputs", player.pid())->volume == QList<quint32>({0, 0}); }));
    volumeTap->setGain(std::nanf(""));
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_EQ(PulseServer::stream("sink-inputs", player.pid())->volume, QList<quint32>({0, 0})) << "a gain that is not a number changes nothing";
    volumeTap->setGain(1.0f);
    EXPECT_TRUE(waitUntil([&] { return PulseServer::stream("sink-inputs", player.pid())->volume == QList<quint32>({32768, 32768}); }))
        << "full gain plays the stream at its own volume";
}

TEST_F(PulseStreamsComponentTest, NoTapWithoutAConnection)
{
    Pacat player(Direction::Playback);
    ASSERT_TRUE(waitUntil([&] { return hasStream(Direction::Playback, player.pid()); }));
    server.stop();
    ASSERT_TRUE(waitUntil([&] { return audio->connectionState() != AudioSystem::ConnectionState::Ready; }));
    EXPECT_TRUE(audio->streams().isEmpty());
    EXPECT_EQ(tap({AudioObjectID(player.pid())}, 0.5f), nullptr);
}

// The app is killed while it holds a tap; the next start gives the streams
// their own volume back, except one whose volume changed since.
TEST_F(PulseStreamsComponentTest, TheNextStartRestoresWhatACrashLeftScaled)
{
    audio.reset();
    Pacat kept(Direction::Playback, 32768);
    Pacat changed(Direction::Playback, 32768);
    ASSERT_TRUE(waitUntil([&] { return PulseServer::stream("sink-inputs", kept.pid()) && PulseServer::stream("sink-inputs", changed.pid()); }));

    LineProcess holder;
    ASSERT_TRUE(holder.start(QStringLiteral(QUIB_BINARY_DIR "/bin/quib-tap-holder"),
                             {recordPath(), "0.5", QString::number(kept.pid()), QString::number(changed.pid())}));
    ASSERT_EQ(holder.nextLine(), "tapped");
    ASSERT_NEAR(PulseServer::settledDecibels(kept.pid(), halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    ASSERT_NEAR(PulseServer::settledDecibels(changed.pid(), halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    ASSERT_TRUE(waitUntil([&] {
        QFile record(recordPath());
        return record.open(QIODevice::ReadOnly) && record.readAll().count("\"index\"") == 2;
    }));
    ASSERT_EQ(::kill(pid_t(holder.pid()), SIGKILL), 0);
    ASSERT_FALSE(holder.waitForExit().has_value()) << "killed";
    ASSERT_EQ(holder.process().state(), QProcess::NotRunning);

    const QString changedIndex = QString::number(PulseServer::stream("sink-inputs", changed.pid())->index);
    PulseServer::pactl({"set-sink-input-volume", changedIndex, "20000"});

    // A tap made as soon as the connection is ready applies to the restored
    // volume, not to the one the crash left.
    std::unique_ptr<AudioTap> newTap;
    audio = std::make_unique<PulseAudioSystem>(scheduler, recordPath());
    QObject::connect(audio.get(), &AudioSystem::connectionStateChanged, [&](AudioSystem::ConnectionState state) {
        if (state == AudioSystem::ConnectionState::Ready)
            newTap = tap({AudioObjectID(kept.pid())}, 0.5f);
    });
    ASSERT_TRUE(waitUntil([&] { return newTap != nullptr; }));
    EXPECT_NEAR(PulseServer::settledDecibels(kept.pid(), halfSliderDecibels + halfAmplitudeDecibels), halfSliderDecibels + halfAmplitudeDecibels, 0.05);
    newTap.reset();
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_EQ(PulseServer::stream("sink-inputs", kept.pid())->volume, QList<quint32>({32768, 32768}));
    EXPECT_EQ(PulseServer::stream("sink-inputs", changed.pid())->volume, QList<quint32>({20000, 20000})) << "changed since: left alone";
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(recordPath()); })) << "the record is cleared";
}

// A record entry restores only the stream it was written for: same index,
// same process, and still exactly the volume written.
TEST_F(PulseStreamsComponentTest, ARecordEntryRestoresOnlyItsOwnUnchangedStream)
{
    audio.reset();
    Pacat first(Direction::Playback, 30000);
    Pacat second(Direction::Playback, 30000);
    Pacat third(Direction::Playback, 30000);
    ASSERT_TRUE(waitUntil([&] { return PulseServer::stream("sink-inputs", first.pid()) && PulseServer::stream("sink-inputs", second.pid()) && PulseServer::stream("sink-inputs", third.pid()); }));
    const auto entry = [](qint64 index, qint64 process, int written) {
        return QStringLiteral(R"({"index":%1,"processIdentifier":%2,"written":[%3,%3],"own":[50000,50000]})").arg(index).arg(process).arg(written);
    };
    const QString record = QStringLiteral(R"({"streams":[%1,%2,%3]})")
                               .arg(entry(PulseServer::stream("sink-inputs", first.pid())->index, first.pid(), 30000),
                                    entry(PulseServer::stream("sink-inputs", second.pid())->index, third.pid(), 30000),
                                    entry(PulseServer::stream("sink-inputs", third.pid())->index, third.pid(), 30001));
    QFile file(recordPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(record.toUtf8());
    file.close();

    audio = start();
    ASSERT_TRUE(audio);
    EXPECT_TRUE(audio->finishRequests(2s));
    EXPECT_EQ(PulseServer::stream("sink-inputs", first.pid())->volume, QList<quint32>({50000, 50000}));
    EXPECT_EQ(PulseServer::stream("sink-inputs", second.pid())->volume, QList<quint32>({30000, 30000})) << "another process";
    EXPECT_EQ(PulseServer::stream("sink-inputs", third.pid())->volume, QList<quint32>({30000, 30000})) << "another volume";
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(recordPath()); }));
}

} // namespace
