#pragma once

#include "Support/Scheduler.h"

#include <QProperty>

#include <functional>

// The app's side-effect loop: `track` reads bindable properties; whenever one
// of them changes, `act` runs once on the main thread through the scheduler
// (changes that arrive together are coalesced into one call). What `track`
// reads is tracked anew on every change, as with any Qt binding.
//
// With a `delay`, `act` runs that many seconds after the first change, and
// every further change until then is part of the same call.
class ObservationLoop {
public:
    ObservationLoop(Scheduler &scheduler, std::function<void()> track, std::function<void()> act, double delay = 0);
    ~ObservationLoop();
    ObservationLoop(const ObservationLoop &) = delete;
    ObservationLoop &operator=(const ObservationLoop &) = delete;

private:
    Scheduler &m_scheduler;
    std::function<void()> m_act;
    double m_delay;
    quint64 m_generation = 0;
    QProperty<quint64> m_tracked;
    QPropertyNotifier m_notifier;
    Delay m_pending;
};
