#include "Platform/Fake/FakeAudioSystem.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

QString scopeName(AudioScope scope)
{
    return scope == AudioScope::Input ? QStringLiteral("Input") : QStringLiteral("Output");
}

class FakeTap final : public AudioTap {
public:
    explicit FakeTap(std::shared_ptr<FakeAudioSystem::TapRecord> record)
        : m_record(std::move(record))
    {
    }
    ~FakeTap() override { m_record->isLive = false; }
    void setGain(float gain) override { m_record->gain = gain; }

private:
    std::shared_ptr<FakeAudioSystem::TapRecord> m_record;
};

} // namespace

std::optional<AudioDevice> FakeAudioSystem::device(AudioScope scope, const QString &id) const
{
    const auto &list = devices[scope];
    const auto it = list.constFind(id);
    if (it == list.constEnd())
        return std::nullopt;
    return *it;
}

bool FakeAudioSystem::setMuted(AudioScope scope, const QString &id, bool muted)
{
    auto it = devices[scope].find(id);
    if (state != ConnectionState::Ready || it == devices[scope].end() || !it->isMuteSettable)
        return false;
    writes.append(QStringLiteral("mute %1 %2 %3").arg(scopeName(scope), id).arg(muted ? 1 : 0));
    request(scope, id, [muted](AudioDevice &device) { device.isMuted = muted; });
    return true;
}

bool FakeAudioSystem::setVolume(AudioScope scope, const QString &id, float volume)
{
    auto it = devices[scope].find(id);
    if (state != ConnectionState::Ready || it == devices[scope].end() || !it->volume)
        return false;
    writes.append(QStringLiteral("volume %1 %2 %3").arg(scopeName(scope), id).arg(volume));
    if (std::isnan(volume))
        return false;
    request(scope, id, [volume](AudioDevice &device) { device.volume = volume; });
    return true;
}

void FakeAudioSystem::request(AudioScope scope, const QString &id, std::function<void(AudioDevice &)> apply)
{
    m_echoes.append(Echo{scope, id, std::move(apply)});
    if (!delaysEchoes)
        deliverEcho();
}

void FakeAudioSystem::deliverEcho()
{
    if (m_echoes.isEmpty())
        return;
    const Echo echo = m_echoes.takeFirst();
    auto it = devices[echo.scope].find(echo.id);
    if (it == devices[echo.scope].end())
        return;
    echo.apply(*it);
    Q_EMIT deviceChanged(echo.scope, echo.id);
}

bool FakeAudioSystem::hasPendingRequests(AudioScope scope, const QString &id) const
{
    return std::any_of(m_echoes.begin(), m_echoes.end(), [&](const Echo &echo) { return echo.scope == scope && echo.id == id; });
}

bool FakeAudioSystem::finishRequests(std::chrono::milliseconds)
{
    while (answersRequests && !m_echoes.isEmpty())
        deliverEcho();
    return m_echoes.isEmpty();
}

AudioDevice FakeAudioSystem::switchedDevice(const QString &id, float volume)
{
    return AudioDevice{id, id, false, true, volume, false};
}

AudioDevice FakeAudioSystem::volumeOnlyDevice(const QString &id, float volume)
{
    return AudioDevice{id, id, std::nullopt, false, volume, false};
}

void FakeAudioSystem::addDevice(AudioScope scope, const AudioDevice &device)
{
    devices[scope].insert(device.id, device);
}

void FakeAudioSystem::changeDefault(AudioScope scope, const QString &id)
{
    defaults[scope] = id;
    Q_EMIT defaultDeviceChanged(scope);
}

void FakeAudioSystem::changeDevice(AudioScope scope, const AudioDevice &device)
{
    devices[scope].insert(device.id, device);
    Q_EMIT deviceChanged(scope, device.id);
}

QList<AudioStream> FakeAudioSystem::streams() const
{
    return state == ConnectionState::Ready ? streamList : QList<AudioStream>();
}

std::unique_ptr<AudioTap> FakeAudioSystem::createTap(const AudioTapDescription &description)
{
    if (state != ConnectionState::Ready || refusesTaps)
        return nullptr;
    auto record = std::make_shared<TapRecord>(TapRecord{description, description.gain, true});
    taps.append(record);
    return std::make_unique<FakeTap>(record);
}

void FakeAudioSystem::changeStreams(const QList<AudioStream> &streams)
{
    streamList = streams;
    Q_EMIT streamsChanged();
}

std::shared_ptr<FakeAudioSystem::TapRecord> FakeAudioSystem::liveTap(const QList<AudioObjectID> &processObjects) const
{
    const QSet<AudioObjectID> wanted(processObjects.begin(), processObjects.end());
    for (const auto &tap : taps) {
        const QList<AudioObjectID> &objects = tap->description.processObjects;
        if (tap->isLive && QSet<AudioObjectID>(objects.begin(), objects.end()) == wanted)
            return tap;
    }
    return nullptr;
}

void FakeAudioSystem::render(const TapRecord &tap, std::span<const AudioBuffer> input, std::span<const AudioBuffer> output)
{
    if (tap.isLive && tap.description.render)
        tap.description.render(input, output);
}
