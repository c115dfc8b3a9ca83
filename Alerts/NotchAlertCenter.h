#pragma once

#include "Alerts/NotchAlert.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QProperty>

// The one alert strip on screen: the newest request replaces whatever is
// shown, and the strip hides on its own. Main thread only.
class NotchAlertCenter {
public:
    static constexpr double minimumDuration = 0.5;

    explicit NotchAlertCenter(Scheduler &scheduler);

    std::optional<NotchAlert> current() const { return m_current.value(); }
    QBindable<std::optional<NotchAlert>> bindableCurrent() { return &m_current; }

    // Shows `alert` now and hides it `duration` seconds later (0.5 s to a
    // minute); each call restarts the delay.
    void show(const NotchAlert &alert, double duration);

private:
    QProperty<std::optional<NotchAlert>> m_current;
    Delay m_hideWork;
};
