#include "Audio/MicMute.h"

#include "Platform/AudioSystem.h"
#include "Support/Log.h"

const KeyCombination MicMute::hotKeyCombination{Qt::Key_M, Qt::ControlModifier | Qt::AltModifier};

MicMute::MicMute(AudioSystem &audio, KeyCapture &keys)
    : m_audio(audio)
    , m_keys(keys)
{
    m_inputListener = QObject::connect(&audio, &AudioSystem::defaultDeviceChanged, [this](AudioScope scope) {
        const QString device = m_audio.defaultDevice(AudioScope::Input);
        if (scope == AudioScope::Input && isMuted() && !device.isEmpty() && device != m_mutedDevice)
            moveMuteTo(device);
    });
}

MicMute::~MicMute()
{
    QObject::disconnect(m_inputListener);
    unregisterHotKey();
}

void MicMute::setMuted(bool muted)
{
    const QString device = m_audio.defaultDevice(AudioScope::Input);
    if (device.isEmpty())
        return;
    if (muted) {
        moveMuteTo(device);
        return;
    }
    if (!m_mutedDevice.isEmpty())
        apply(false, m_mutedDevice);
    // The default microphone may have changed before we heard of it; give it
    // its sound back too, but only through its switch: a level is restored
    // only where this object took it away.
    if (device != m_mutedDevice)
        unmuteSwitch(device);
    m_mutedDevice.clear();
    m_isMuted = false;
}

void MicMute::toggle()
{
    setMuted(!isMuted());
    if (onToggle)
        onToggle(isMuted());
}

void MicMute::registerHotKey()
{
    if (m_hotKey)
        return;
    m_hotKey = m_keys.grab(hotKeyCombination, [this] { toggle(); });
}

void MicMute::unregisterHotKey()
{
    if (!m_hotKey)
        return;
    m_keys.release(*m_hotKey);
    m_hotKey.reset();
}

// Gives the sound back to the microphone muted so far and mutes `device`.
// When `device` cannot be muted, it is live: isMuted turns false rather than
// claim a mute that does not hold.
void MicMute::moveMuteTo(const QString &device)
{
    if (!m_mutedDevice.isEmpty() && m_mutedDevice != device)
        apply(false, m_mutedDevice);
    if (apply(true, device)) {
        m_mutedDevice = device;
        m_isMuted = true;
        return;
    }
    qCWarning(lcAudio, "Quib: the microphone %s cannot be muted", qPrintable(device));
    m_mutedDevice.clear();
    m_isMuted = false;
}

bool MicMute::apply(bool muted, const QString &device)
{
    const auto state = m_audio.device(AudioScope::Input, device);
    if (!state)
        return false;
    if (state->isMuteSettable)
        return m_audio.setMuted(AudioScope::Input, device, muted);
    if (!state->volume)
        return false;
    if (!muted) {
        const float level = m_savedVolume.value_or(restoredVolume);
        m_savedVolume.reset();
        return m_audio.setVolume(AudioScope::Input, device, level);
    }
    // A microphone already at 0 keeps the level saved before.
    if (*state->volume > 0)
        m_savedVolume = *state->volume;
    return m_audio.setVolume(AudioScope::Input, device, 0);
}

void MicMute::unmuteSwitch(const QString &device)
{
    const auto state = m_audio.device(AudioScope::Input, device);
    if (state && state->isMuteSettable)
        m_audio.setMuted(AudioScope::Input, device, false);
}
