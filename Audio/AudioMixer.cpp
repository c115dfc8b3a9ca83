#include "Audio/AudioMixer.h"

#include "Platform/AudioSystem.h"
#include "Platform/UserDefaults.h"
#include "Support/Log.h"

#include <QSet>
#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QString appVolumesKey = QStringLiteral("appVolumes");

// 0 or less gives 0, above 1 gives 1.
double clampedGain(double gain)
{
    return gain > 0.0 ? std::min(gain, 1.0) : 0.0;
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}

// The saved gains below full; none at all when the saved value is not a
// dictionary of finite numbers.
QHash<QString, double> savedGains(const QVariant &saved)
{
    QHash<QString, double> gains;
    if (saved.typeId() != QMetaType::QVariantMap)
        return gains;
    const QVariantMap map = saved.toMap();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!isNumber(it.value()))
            return {};
        const double gain = it.value().toDouble();
        if (gain < AudioMixer::fullGain)
            gains.insert(it.key(), clampedGain(gain));
    }
    return gains;
}

QSet<AudioObjectID> asSet(const QList<AudioObjectID> &objects)
{
    return QSet<AudioObjectID>(objects.begin(), objects.end());
}

const AudioApp *findApp(const QList<AudioApp> &apps, const QString &id)
{
    const auto found = std::find_if(apps.cbegin(), apps.cend(), [&id](const AudioApp &app) { return app.id == id; });
    return found == apps.cend() ? nullptr : &*found;
}

double seconds(std::chrono::milliseconds interval)
{
    return std::chrono::duration<double>(interval).count();
}

} // namespace

AudioMixer::AudioMixer(AudioSystem &audio, Workspace &workspace, UserDefaults &defaults, Scheduler &scheduler, qint64 ownProcess)
    : m_audio(audio)
    , m_defaults(defaults)
    , m_scheduler(scheduler)
    , m_processes(audio, workspace, ownProcess)
    , m_systemVolume(audio)
    , m_pendingOutputChange(scheduler)
    , m_pendingStreamsRefresh(scheduler)
{
    m_gains = savedGains(defaults.object(appVolumesKey));

    m_outputListener = QObject::connect(&audio, &AudioSystem::defaultDeviceChanged, [this](AudioScope scope) {
        if (scope == AudioScope::Output)
            m_pendingOutputChange.start(0, [this] { outputChanged(); });
    });
    m_streamsListener = QObject::connect(&audio, &AudioSystem::streamsChanged, [this] { streamsChanged(); });

    if (!m_gains.value().isEmpty()) {
        refresh();
        scheduleTimer();
    }
}

AudioMixer::~AudioMixer()
{
    QObject::disconnect(m_outputListener);
    QObject::disconnect(m_streamsListener);
}

void AudioMixer::setVisibleCount(int count)
{
    m_visibleCount = std::max(count, 0);
}

void AudioMixer::refresh()
{
    const QList<AudioApp> all = m_processes.apps();
    const QHash<QString, double> gains = m_gains.value();

    QList<AudioApp> shown;
    for (const AudioApp &app : all) {
        if (shown.size() == maximumShownApps)
            break;
        if (app.isPlaying || gains.contains(app.id))
            shown.append(app);
    }
    m_apps = shown;

    // Every application with a gain, shown or not, keeps its tap.
    for (auto it = gains.constBegin(); it != gains.constEnd(); ++it) {
        const QString &id = it.key();
        const AudioApp *app = findApp(all, id);
        if (!app) {
            // It comes back with its gain once it plays again.
            removeTap(id);
            continue;
        }
        const auto tap = m_taps.constFind(id);
        if (tap == m_taps.constEnd() || asSet((*tap)->processObjects()) != asSet(app->processObjects))
            apply(id, *app);
    }
}

void AudioMixer::scheduleTimer()
{
    const bool needed = !m_tapsReleased && (m_visibleCount > 0 || !m_gains.value().isEmpty());
    if (!needed) {
        m_timer.reset();
        m_pendingStreamsRefresh.cancel();
        return;
    }
    // A running timer keeps the interval it was started with.
    if (m_timer)
        return;
    m_timer = std::make_unique<RepeatingTimer>(m_scheduler);
    m_timer->start(seconds(m_visibleCount > 0 ? visibleRefreshInterval : backgroundRefreshInterval), [this] { refresh(); });
}

void AudioMixer::setGain(double gain, const QString &id)
{
    if (std::isnan(gain))
        return;
    const double clamped = clampedGain(gain);
    QHash<QString, double> gains = m_gains.value();
    if (clamped >= fullGain) {
        gains.remove(id);
        setGains(gains);
        removeTap(id);
    } else {
        gains.insert(id, clamped);
        setGains(gains);
        if (const auto tap = m_taps.constFind(id); tap != m_taps.constEnd())
            (*tap)->setGain(float(clamped));
        else
            apply(id, std::nullopt);
    }
    writeGains();
    scheduleTimer();
}

void AudioMixer::resetAll()
{
    const auto taps = std::exchange(m_taps, {});
    for (const auto &tap : taps)
        tap->stop();
    setGains({});
    writeGains();
    scheduleTimer();
    refresh();
}

void AudioMixer::releaseTaps()
{
    m_tapsReleased = true;
    const auto taps = std::exchange(m_taps, {});
    for (const auto &tap : taps)
        tap->stop();
    m_pendingOutputChange.cancel();
    scheduleTimer();
}

const AppVolumeTap *AudioMixer::tap(const QString &id) const
{
    return m_taps.value(id).get();
}

std::optional<std::chrono::milliseconds> AudioMixer::timerInterval() const
{
    if (!m_timer)
        return std::nullopt;
    return std::chrono::milliseconds(qRound64(m_timer->interval() * 1000));
}

void AudioMixer::apply(const QString &id, std::optional<AudioApp> app)
{
    removeTap(id);
    const QHash<QString, double> gains = m_gains.value();
    if (!gains.contains(id) || m_tapsReleased)
        return;
    if (!app) {
        const QList<AudioApp> all = m_processes.apps();
        const AudioApp *found = findApp(all, id);
        if (!found)
            return;
        app = *found;
    }
    const std::optional<QString> outputUID = currentOutputUID();
    if (!outputUID)
        return;
    std::unique_ptr<AppVolumeTap> tap = AppVolumeTap::create(m_audio, id, app->processObjects, *outputUID, float(gains.value(id)));
    if (!tap) {
        // The gain stays: the next refresh tries again.
        qCWarning(lcAudio).noquote() << "Quib: could not create the volume tap for" << id;
        return;
    }
    m_taps.insert(id, std::move(tap));
}

void AudioMixer::removeTap(const QString &id)
{
    if (const std::shared_ptr<AppVolumeTap> tap = m_taps.take(id))
        tap->stop();
}

void AudioMixer::outputChanged()
{
    m_outputUID.reset();
    for (const QString &id : m_taps.keys())
        apply(id, std::nullopt);
    m_systemVolume.refreshDevice();
}

void AudioMixer::streamsChanged()
{
    // Between timer ticks a new process of an application with a gain gets
    // its tap at once.
    if (m_timer)
        m_pendingStreamsRefresh.start(0, [this] { refresh(); });
}

std::optional<QString> AudioMixer::currentOutputUID()
{
    if (!m_outputUID) {
        const QString device = m_audio.defaultDevice(AudioScope::Output);
        if (device.isEmpty())
            return std::nullopt;
        m_outputUID = device;
    }
    return m_outputUID;
}

void AudioMixer::setGains(const QHash<QString, double> &gains)
{
    // A plain assignment of an equal value notifies nobody, but a view that
    // showed a value the mixer did not keep (a slider moved past full) must
    // hear of it. Within an update group the observers are told once, at
    // its end, about a property that was assigned a different value.
    Qt::beginPropertyUpdateGroup();
    m_gains = QHash<QString, double>{{QString(), -1.0}};
    m_gains = gains;
    Qt::endPropertyUpdateGroup();
}

void AudioMixer::writeGains()
{
    QVariantMap saved;
    const QHash<QString, double> gains = m_gains.value();
    for (auto it = gains.constBegin(); it != gains.constEnd(); ++it)
        saved.insert(it.key(), it.value());
    m_defaults.setObject(appVolumesKey, saved);
}
