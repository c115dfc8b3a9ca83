#include "LockScreen/SystemVolume.h"

#include "Platform/AudioSystem.h"

#include <algorithm>
#include <cmath>

SystemVolume::SystemVolume(AudioSystem &audio)
    : m_audio(audio)
{
}

SystemVolume::~SystemVolume()
{
    stopObserving();
}

void SystemVolume::startObserving()
{
    stopObserving();
    m_device = m_audio.defaultDevice(AudioScope::Output);
    refresh();
    if (m_device.isEmpty())
        return;
    m_listener = QObject::connect(&m_audio, &AudioSystem::deviceChanged, [this](AudioScope scope, const QString &id) {
        if (scope == AudioScope::Output && id == m_device)
            refresh();
    });
}

void SystemVolume::stopObserving()
{
    QObject::disconnect(m_listener);
    m_listener = {};
}

void SystemVolume::refreshDevice()
{
    const QString device = m_audio.defaultDevice(AudioScope::Output);
    if (device != m_device) {
        const bool wasObserving = isObserving();
        stopObserving();
        m_device = device;
        m_awaitsEcho = false;
        if (wasObserving) {
            startObserving();
            return;
        }
    }
    refresh();
}

void SystemVolume::set(float volume)
{
    if (std::isnan(volume))
        return;
    const float clamped = std::clamp(volume, 0.0f, 1.0f);
    m_volume = clamped;
    m_isAboveFull = false;
    if (!m_device.isEmpty() && m_audio.setVolume(AudioScope::Output, m_device, clamped))
        m_awaitsEcho = true;
}

bool SystemVolume::setMuted(bool muted)
{
    if (m_device.isEmpty() || !m_audio.setMuted(AudioScope::Output, m_device, muted))
        return false;
    m_isMuted = muted;
    m_awaitsEcho = true;
    return true;
}

bool SystemVolume::isBluetooth() const
{
    const auto device = m_device.isEmpty() ? std::nullopt : m_audio.device(AudioScope::Output, m_device);
    return device && device->isBluetooth;
}

std::optional<QString> SystemVolume::deviceName() const
{
    const auto device = m_device.isEmpty() ? std::nullopt : m_audio.device(AudioScope::Output, m_device);
    if (!device || device->name.isEmpty())
        return std::nullopt;
    return device->name;
}

QString SystemVolume::symbolForDeviceNamed(const QString &name)
{
    const QString lower = name.toLower();
    const std::pair<const char *, const char *> table[] = {
        {"airpods max", "airpodsmax"},
        {"airpods pro", "airpodspro"},
        {"airpods", "airpods"},
        {"beats", "beats.headphones"},
    };
    for (const auto &[part, symbol] : table) {
        if (lower.contains(QLatin1String(part)))
            return QString::fromLatin1(symbol);
    }
    return QStringLiteral("headphones");
}

void SystemVolume::refresh()
{
    const auto device = m_device.isEmpty() ? std::nullopt : m_audio.device(AudioScope::Output, m_device);
    const bool available = device && device->volume;
    m_isAvailable = available;
    if (m_awaitsEcho && m_audio.hasPendingRequests(AudioScope::Output, m_device))
        return;
    m_awaitsEcho = false;
    m_isMuted = device && device->isMuted.value_or(false);
    m_isAboveFull = available && *device->volume > 1.0f;
    const float level = available ? std::clamp(*device->volume, 0.0f, 1.0f) : volume();
    if (std::abs(level - volume()) > threshold)
        m_volume = level;
}
