#pragma once

#include "Support/Scheduler.h"
#include "Support/Spring.h"

#include <functional>

// A spring's factor from 0 towards 1 (it may overshoot 1) since start(),
// advanced by a frame tick (60 a second through the Scheduler) that runs
// only until the spring has settled: an idle view keeps no timer. Each tick
// calls `frame`, the last one with the factor at rest.
class SpringAnimation {
public:
    static constexpr double framesPerSecond = 60;
    // The factor is within this of 1 from the settle duration on.
    static constexpr double restTolerance = 1e-4;

    // `response` in seconds and `damping` (a fraction below 1) as Spring's.
    SpringAnimation(Scheduler &scheduler, double response, double damping, std::function<void()> frame);

    // Starts again from 0.
    void start();
    // Jumps to rest without a frame call.
    void stop();
    bool isRunning() const { return m_ticks.isActive(); }
    // The factor now: 0 at the start, 1 when idle.
    double factor() const;
    // Seconds from the start until the spring is at rest.
    double settleDuration() const { return m_settleDuration; }

private:
    Scheduler &m_scheduler;
    Spring m_spring;
    double m_settleDuration;
    std::function<void()> m_frame;
    RepeatingTimer m_ticks;
    MonotonicTime m_start;
};
