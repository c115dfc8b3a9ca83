#pragma once

#include "Platform/AudioSystem.h"

#include <QList>
#include <QPointer>

class PulseAudioSystem;

// A tap on the PulseAudio server: the playback streams of its processes play
// at their own volume times the gain (linear amplitude), which the server
// applies, so the tap renders nothing itself. The sound system keeps the
// streams' volumes; this object only says which processes and what gain.
// Destroying it gives the streams their own volume back. Recording streams
// are never touched.
class PulseStreamTap final : public AudioTap {
public:
    PulseStreamTap(PulseAudioSystem &system, QList<AudioObjectID> processes, float gain);
    ~PulseStreamTap() override;
    PulseStreamTap(const PulseStreamTap &) = delete;
    PulseStreamTap &operator=(const PulseStreamTap &) = delete;

    // Clamped to 0...1; a gain that is not a number changes nothing.
    void setGain(float gain) override;

    float gain() const { return m_gain; }
    bool covers(qint64 processIdentifier) const;

private:
    // The tap may outlive the sound system.
    QPointer<PulseAudioSystem> m_system;
    QList<AudioObjectID> m_processes;
    float m_gain = 1.0f;
};
