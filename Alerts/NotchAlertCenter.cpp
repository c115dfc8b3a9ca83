#include "Alerts/NotchAlertCenter.h"

#include "Alerts/AlertDuration.h"

NotchAlertCenter::NotchAlertCenter(Scheduler &scheduler)
    : m_hideWork(scheduler)
{
}

void NotchAlertCenter::show(const NotchAlert &alert, double duration)
{
    m_current = alert;
    m_hideWork.start(AlertDuration::bounded(duration, minimumDuration), [this] { m_current = std::nullopt; });
}
