#pragma once

#include "Audio/AppVolumeTap.h"
#include "Audio/AudioProcesses.h"
#include "LockScreen/SystemVolume.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QProperty>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class AudioSystem;
class UserDefaults;
class Workspace;

// The per-app volume mixer: the applications the mixer panel shows, the
// user's gain per application (kept under "appVolumes") and one volume tap
// for each application below full gain that has audio processes now. While
// the panel is shown or a gain is set, it scans the audio processes again on
// a repeating timer. It owns the system volume of the panel's "Geral" row.
// Main thread only.
class AudioMixer {
public:
    // A gain at or above this plays at full level: no entry, no tap.
    static constexpr double fullGain = 0.995;
    static constexpr qsizetype maximumShownApps = 4;
    static constexpr std::chrono::milliseconds visibleRefreshInterval{1000};
    static constexpr std::chrono::milliseconds backgroundRefreshInterval{2000};

    AudioMixer(AudioSystem &audio, Workspace &workspace, UserDefaults &defaults, Scheduler &scheduler, qint64 ownProcess);
    ~AudioMixer();
    AudioMixer(const AudioMixer &) = delete;
    AudioMixer &operator=(const AudioMixer &) = delete;

    // At most four, in name order: those playing or with a gain.
    QList<AudioApp> apps() const { return m_apps.value(); }
    QBindable<QList<AudioApp>> bindableApps() { return &m_apps; }
    // Desktop-entry id to gain, 0 up to (not including) fullGain.
    QHash<QString, double> gains() const { return m_gains.value(); }
    QBindable<QHash<QString, double>> bindableGains() { return &m_gains; }
    SystemVolume &systemVolume() { return m_systemVolume; }

    // How many mixer views are open; kept by the panel's controller, which
    // then observes the system volume, refreshes and schedules the timer.
    int visibleCount() const { return m_visibleCount; }
    void setVisibleCount(int count);

    void refresh();
    // Starts or stops the refresh timer as the current state needs.
    void scheduleTimer();
    void setGain(double gain, const QString &id);
    void resetAll();
    // Stops every tap and keeps the gains, so that nothing stays scaled
    // once the app has quit. For the quit path: no tap is made afterwards
    // and the refresh timer stops.
    void releaseTaps();

    // For tests and diagnostics.
    const AppVolumeTap *tap(const QString &id) const;
    std::optional<std::chrono::milliseconds> timerInterval() const;

private:
    void apply(const QString &id, std::optional<AudioApp> app);
    void removeTap(const QString &id);
    void outputChanged();
    void streamsChanged();
    std::optional<QString> currentOutputUID();
    // Assigns and notifies, even when the gains are unchanged.
    void setGains(const QHash<QString, double> &gains);
    void writeGains();

    AudioSystem &m_audio;
    UserDefaults &m_defaults;
    Scheduler &m_scheduler;
    AudioProcesses m_processes;
    QProperty<QList<AudioApp>> m_apps;
    QProperty<QHash<QString, double>> m_gains;
    SystemVolume m_systemVolume;
    QHash<QString, std::shared_ptr<AppVolumeTap>> m_taps;
    int m_visibleCount = 0;
    std::unique_ptr<RepeatingTimer> m_timer;
    std::optional<QString> m_outputUID;
    // The sound server's events are handled one turn of the event loop
    // later, a burst of them once.
    Delay m_pendingOutputChange;
    Delay m_pendingStreamsRefresh;
    // Set by releaseTaps(): the app is quitting and makes no more taps.
    bool m_tapsReleased = false;
    QMetaObject::Connection m_outputListener;
    QMetaObject::Connection m_streamsListener;
};
