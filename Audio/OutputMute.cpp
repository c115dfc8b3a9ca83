#include "Audio/OutputMute.h"

#include "Platform/AudioSystem.h"

OutputMute::OutputMute(AudioSystem &audio)
    : m_audio(audio)
{
    m_deviceListener = QObject::connect(&audio, &AudioSystem::defaultDeviceChanged, [this](AudioScope scope) {
        if (scope == AudioScope::Output)
            attach();
    });
    // Changes of other devices, the old default among them, are not ours.
    m_muteListener = QObject::connect(&audio, &AudioSystem::deviceChanged, [this](AudioScope scope, const QString &id) {
        if (scope == AudioScope::Output && !m_device.isEmpty() && id == m_device)
            read();
    });
    attach();
}

OutputMute::~OutputMute()
{
    QObject::disconnect(m_deviceListener);
    QObject::disconnect(m_muteListener);
}

void OutputMute::attach()
{
    m_device = m_audio.defaultDevice(AudioScope::Output);
    read();
}

void OutputMute::read()
{
    const auto device = m_device.isEmpty() ? std::nullopt : m_audio.device(AudioScope::Output, m_device);
    if (!device) {
        m_isMuted = false;
        return;
    }
    const bool switchOn = device->isMuted.value_or(false);
    m_isMuted = switchOn || (device->volume && *device->volume < silentVolume);
}
