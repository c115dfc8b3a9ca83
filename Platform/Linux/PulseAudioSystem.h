#pragma once

#include "Platform/AudioSystem.h"

#include <memory>

class PulseStreamTap;
class Scheduler;

// The sound server through the PulseAudio client library (also served by
// PipeWire's pipewire-pulse). It mirrors the server's sinks (outputs),
// sources (inputs) and defaults on the main thread, updated by the server's
// change events; libpulse runs on the GLib main loop that Qt's event loop
// already is, with no threads of its own. A lost or refused connection is
// retried a few times, waiting longer each time; after that the service
// stays off (no devices) with one logged warning.
//
// It mirrors the clients' playback and recording streams the same way, and
// makes taps that scale playback streams at the server. Which streams it has
// scaled is kept in a record file (written off the main thread), so that the
// next start can give back their own volume to streams a crash left scaled:
// the connection reports ready only once that record has been read and acted
// on.
class PulseAudioSystem final : public AudioSystem {
    Q_OBJECT
public:
    static constexpr int maximumAttempts = 5;

    // `recordPath`: the record of scaled streams (StreamVolumeRecord).
    PulseAudioSystem(Scheduler &scheduler, const QString &recordPath);
    ~PulseAudioSystem() override;

    ConnectionState connectionState() const override;
    QString defaultDevice(AudioScope scope) const override;
    std::optional<AudioDevice> device(AudioScope scope, const QString &id) const override;
    bool setMuted(AudioScope scope, const QString &id, bool muted) override;
    bool setVolume(AudioScope scope, const QString &id, float volume) override;
    bool hasPendingRequests(AudioScope scope, const QString &id) const override;
    bool finishRequests(std::chrono::milliseconds timeout) override;
    QList<AudioStream> streams() const override;
    std::unique_ptr<AudioTap> createTap(const AudioTapDescription &description) override;

private:
    friend class PulseStreamTap;
    void tapStarted(PulseStreamTap *tap);
    void tapChanged(PulseStreamTap *tap);
    void tapEnded(PulseStreamTap *tap);

    struct Private;
    std::unique_ptr<Private> d;
};
