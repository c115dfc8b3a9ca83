#include "Platform/Linux/PulseStreamTap.h"

#include "Platform/Linux/PulseAudioSystem.h"

#include <algorithm>
#include <cmath>
#include <utility>

PulseStreamTap::PulseStreamTap(PulseAudioSystem &system, QList<AudioObjectID> processes, float gain)
    : m_system(&system)
    , m_processes(std::move(processes))
    , m_gain(std::isnan(gain) ? 1.0f : std::clamp(gain, 0.0f, 1.0f))
{
    system.tapStarted(this);
}

PulseStreamTap::~PulseStreamTap()
{
    if (m_system)
        m_system->tapEnded(this);
}

void PulseStreamTap::setGain(float gain)
{
    if (std::isnan(gain))
        return;
    m_gain = std::clamp(gain, 0.0f, 1.0f);
    if (m_system)
        m_system->tapChanged(this);
}

bool PulseStreamTap::covers(qint64 processIdentifier) const
{
    return processIdentifier > 0 && m_processes.contains(AudioObjectID(processIdentifier));
}
