#pragma once

#include "Platform/AudioSystem.h"

#include <QList>
#include <QString>

#include <atomic>
#include <memory>
#include <span>

// Plays one application's sound at a chosen gain, from silence (0) to its
// normal level (1), through a tap of the sound server on the application's
// audio process objects. The owner changes the gain with setGain(); stop()
// (also run by destruction) puts the application's sound back as it was.
class AppVolumeTap {
public:
    // None when the server could not make the tap.
    static std::unique_ptr<AppVolumeTap> create(AudioSystem &audio, const QString &appID, const QList<AudioObjectID> &processObjects,
                                                const QString &outputUID, float gain);
    ~AppVolumeTap();
    AppVolumeTap(const AppVolumeTap &) = delete;
    AppVolumeTap &operator=(const AppVolumeTap &) = delete;

    const QString &appID() const { return m_appID; }
    const QList<AudioObjectID> &processObjects() const { return m_processObjects; }
    const QString &outputUID() const { return m_outputUID; }
    float gain() const;
    // Clamped to 0...1; takes effect on the next render cycle.
    void setGain(float gain);
    // Safe to call again.
    void stop();

    // One render cycle: output channel k (counted over the output buffers
    // that have data) carries input channel k times `gain`; surplus
    // channels and frames are silent.
    static void copy(std::span<const AudioBuffer> input, std::span<const AudioBuffer> output, float gain);

private:
    AppVolumeTap(const QString &appID, const QList<AudioObjectID> &processObjects, const QString &outputUID, float gain);
    bool start(AudioSystem &audio);

    QString m_appID;
    QList<AudioObjectID> m_processObjects;
    QString m_outputUID;
    // Shared with the render block, which may outlive a stop() by a cycle.
    std::shared_ptr<std::atomic<float>> m_gain;
    std::unique_ptr<AudioTap> m_tap;
};
