#include "Support/SpringAnimation.h"

#include <cmath>

SpringAnimation::SpringAnimation(Scheduler &scheduler, double response, double damping, std::function<void()> frame)
    : m_scheduler(scheduler)
    , m_spring(response, damping)
    // The distance from 1 stays within the decaying envelope
    // e^(-decay t) (1 + sine coefficient).
    , m_settleDuration(std::log((1 + m_spring.sineCoefficient()) / restTolerance) / m_spring.decay())
    , m_frame(std::move(frame))
    , m_ticks(scheduler)
{
}

void SpringAnimation::start()
{
    m_start = m_scheduler.monotonicNow();
    m_ticks.start(1 / framesPerSecond, [this] {
        if (m_scheduler.secondsSince(m_start) >= m_settleDuration)
            m_ticks.stop();
        m_frame();
    });
}

void SpringAnimation::stop()
{
    m_ticks.stop();
}

double SpringAnimation::factor() const
{
    if (!isRunning())
        return 1;
    return m_spring.factor(m_scheduler.secondsSince(m_start));
}
