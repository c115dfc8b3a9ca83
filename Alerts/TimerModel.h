#pragma once

#include "Support/Scheduler.h"

#include <QBindable>
#include <QProperty>
#include <QString>

#include <functional>
#include <optional>

// The one running countdown, started from the notch's menu. When it ends,
// `onFinish` runs (the app plays a sound and shows the finished-timer strip).
// Main thread only.
class TimerModel {
public:
    explicit TimerModel(Scheduler &scheduler);

    // Starts a countdown of `minutes`, replacing a running one silently.
    void start(double minutes);
    // Stops the running countdown without calling onFinish.
    void cancel();

    bool isRunning() const { return m_endDate.value().has_value(); }
    // When the running countdown ends, on the monotonic clock (a countdown
    // is a duration: a step of the wall clock leaves it alone); none when
    // none runs.
    std::optional<MonotonicTime> endDate() const { return m_endDate.value(); }
    QBindable<std::optional<MonotonicTime>> bindableEndDate() { return &m_endDate; }
    // Length in seconds of the last countdown started, kept after it ends.
    double duration() const { return m_duration.value(); }
    QBindable<double> bindableDuration() { return &m_duration; }
    // Seconds left of the running countdown; 0 when none runs.
    double remaining() const;

    // "m:ss" below an hour, "h:mm:ss" from an hour on, of the seconds
    // rounded up to whole seconds.
    static QString format(double seconds);

    // Runs on the main thread when a countdown ends (not when cancelled).
    std::function<void()> onFinish = [] {};

private:
    Scheduler &m_scheduler;
    QProperty<std::optional<MonotonicTime>> m_endDate;
    QProperty<double> m_duration{0};
    Delay m_timer;
};
