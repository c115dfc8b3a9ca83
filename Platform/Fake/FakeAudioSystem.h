#pragma once

#include "Platform/AudioSystem.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>

// A sound system described by a test: devices per scope and a default for
// each. Writes are recorded ("mute Input usb 1", "volume Output hdmi 0.5")
// and applied at once, each with its deviceChanged(); a volume that is not a
// number is recorded and refused, so a test sees that it was asked for. Changes from elsewhere
// (another program, the user) go through the change*() helpers. With
// `delaysEchoes`, writes wait for deliverEcho() as they wait for a server's
// answer, and the device reports its old state until then.
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

private:
    struct Echo {
        AudioScope scope;
        QString id;
        std::function<void(AudioDevice &)> apply;
    };
    void request(AudioScope scope, const QString &id, std::function<void(AudioDevice &)> apply);

    QList<Echo> m_echoes;
};
