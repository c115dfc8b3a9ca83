#pragma once

#include "Platform/AudioSystem.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

// A sound system described by a test: devices per scope and a default for
// each. Writes are recorded ("mute Input usb 1", "volume Output hdmi 0.5")
// and applied at once, each with its deviceChanged(); a volume that is not a
// number is recorded and refused, so a test sees that it was asked for. Changes from elsewhere
// (another program, the user) go through the change*() helpers. With
// `delaysEchoes`, writes wait for deliverEcho() as they wait for a server's
// answer, and the device reports its old state until then.
//
// Streams are what a test puts in `streamList` (changeStreams() announces
// them). Taps are recorded in `taps`, newest last, each with its description,
// its current gain and whether it is still live; a test runs a render cycle
// of a tap with render().
class FakeAudioSystem final : public AudioSystem {
    Q_OBJECT
public:
    ConnectionState connectionState() const override { return state; }
    QString defaultDevice(AudioScope scope) const override { return state == ConnectionState::Ready ? defaults.value(scope) : QString(); }
    std::optional<AudioDevice> device(AudioScope scope, const QString &id) const override;
    bool setMuted(AudioScope scope, const QString &id, bool muted) override;
    bool setVolume(AudioScope scope, const QString &id, float volume) override;
    bool hasPendingRequests(AudioScope scope, const QString &id) const override;
    // Answers every waiting write when `answersRequests`, else none; never
    // waits.
    bool finishRequests(std::chrono::milliseconds timeout) override;

    QList<AudioStream> streams() const override;
    std::unique_ptr<AudioTap> createTap(const AudioTapDescription &description) override;

    struct TapRecord {
        AudioTapDescription description;
        float gain = 1.0f;
        bool isLive = true;
    };
    void changeStreams(const QList<AudioStream> &streams);
    // The live tap of exactly these process objects (in any order), if any.
    std::shared_ptr<TapRecord> liveTap(const QList<AudioObjectID> &processObjects) const;
    // One render cycle of a live tap.
    static void render(const TapRecord &tap, std::span<const AudioBuffer> input, std::span<const AudioBuffer> output);

    // Answers the oldest waiting write: the device takes it and reports.
    void deliverEcho();
    int pendingEchoes() const { return int(m_echoes.size()); }

    // A device with a settable mute switch (off) and a volume.
    static AudioDevice switchedDevice(const QString &id, float volume = 1.0f);
    // A device without a mute switch, with only a volume.
    static AudioDevice volumeOnlyDevice(const QString &id, float volume);

    void addDevice(AudioScope scope, const AudioDevice &device);
    void changeDefault(AudioScope scope, const QString &id);
    void changeDevice(AudioScope scope, const AudioDevice &device);

    ConnectionState state = ConnectionState::Ready;
    QHash<AudioScope, QHash<QString, AudioDevice>> devices;
    QHash<AudioScope, QString> defaults;
    QStringList writes;
    bool delaysEchoes = false;
    // false: a server that never answers.
    bool answersRequests = true;
    QList<AudioStream> streamList;
    QList<std::shared_ptr<TapRecord>> taps;
    // A server that cannot make taps.
    bool refusesTaps = false;

private:
    struct Echo {
        AudioScope scope;
        QString id;
        std::function<void(AudioDevice &)> apply;
    };
    void request(AudioScope scope, const QString &id, std::function<void(AudioDevice &)> apply);

    QList<Echo> m_echoes;
};
