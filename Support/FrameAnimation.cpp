#include "Support/FrameAnimation.h"

#include <algorithm>

FrameAnimation::FrameAnimation(Scheduler &scheduler, double duration, std::function<void()> frame)
    : m_scheduler(scheduler)
    , m_duration(duration)
    , m_frame(std::move(frame))
    , m_ticks(scheduler)
{
}

void FrameAnimation::start()
{
    m_start = m_scheduler.monotonicNow();
    m_ticks.start(1.0 / framesPerSecond, [this] {
        if (progress() >= 1.0)
            m_ticks.stop();
        m_frame();
    });
}

void FrameAnimation::stop()
{
    m_ticks.stop();
}

double FrameAnimation::linearProgress() const
{
    if (!m_ticks.isActive() || m_duration <= 0)
        return 1.0;
    return std::clamp(m_scheduler.secondsSince(m_start) / m_duration, 0.0, 1.0);
}

double FrameAnimation::progress() const
{
    const double linear = linearProgress();
    // Ease-out (cubic): quick at first, settling at the end, like the
    // springs these fades stand for.
    const double remaining = 1.0 - linear;
    return 1.0 - remaining * remaining * remaining;
}
