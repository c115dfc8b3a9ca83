#include "Support/Observation.h"

ObservationLoop::ObservationLoop(Scheduler &scheduler, std::function<void()> track, std::function<void()> act, double delay)
    : m_scheduler(scheduler)
    , m_act(std::move(act))
    , m_delay(delay)
    , m_pending(scheduler)
{
    // The binding's value changes on every evaluation, so each change of a
    // tracked input reaches the notifier.
    m_tracked.setBinding([this, track = std::move(track)] {
        track();
        return ++m_generation;
    });
    m_notifier = m_tracked.addNotifier([this] {
        if (!m_pending.isPending())
            m_pending.start(m_delay, [this] { m_act(); });
    });
}

ObservationLoop::~ObservationLoop() = default;
