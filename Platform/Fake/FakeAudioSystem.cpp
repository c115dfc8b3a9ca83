#include "Platform/Fake/FakeAudioSystem.h"

#include <cmath>

namespace {

QString scopeName(AudioScope scope)
{
    return scope == AudioScope::Input ? QStringLiteral("Input") : QStringLiteral("Output");
}

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
    it->isMuted = muted;
    Q_EMIT deviceChanged(scope, id);
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
    it->volume = volume;
    Q_EMIT deviceChanged(scope, id);
    return true;
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
