#pragma once

#include "Support/Scheduler.h"

#include <functional>

// A progress from 0 to 1 over a fixed duration, advanced by a frame tick
// (60 a second through the Scheduler) that runs only while the progress
// moves: an idle view keeps no timer. Each tick calls `frame`, the last one
// with the progress at 1.
class FrameAnimation {
public:
    static constexpr double framesPerSecond = 60;

    FrameAnimation(Scheduler &scheduler, double duration, std::function<void()> frame);

    // Starts again from 0.
    void start();
    // Jumps to the end without a frame call.
    void stop();
    bool isRunning() const { return m_ticks.isActive(); }
    // The eased (ease-out) progress: 0 at the start, 1 when idle.
    double progress() const;
    // The same without the curve, for a frame that eases on its own terms.
    double linearProgress() const;

private:
    Scheduler &m_scheduler;
    double m_duration;
    std::function<void()> m_frame;
    RepeatingTimer m_ticks;
    MonotonicTime m_start;
};
