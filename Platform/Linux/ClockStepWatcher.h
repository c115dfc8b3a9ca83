#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// Reports each step of the system's wall clock (the time set by hand or by
// time synchronisation, and the jump at a resume from sleep) through a
// timerfd on CLOCK_REALTIME that the kernel cancels whenever that clock is
// set. `onStep` runs on the main thread.
class ClockStepWatcher {
public:
    explicit ClockStepWatcher(std::function<void()> onStep);
    ~ClockStepWatcher();
    ClockStepWatcher(const ClockStepWatcher &) = delete;
    ClockStepWatcher &operator=(const ClockStepWatcher &) = delete;

private:
    bool arm();
    void read();

    std::function<void()> m_onStep;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
