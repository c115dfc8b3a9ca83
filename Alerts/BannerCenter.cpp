#include "Alerts/BannerCenter.h"

#include "Alerts/AlertDuration.h"
#include "Platform/Workspace.h"

#include <algorithm>

BannerCenter::BannerCenter(Scheduler &scheduler, Workspace &workspace)
    : m_scheduler(scheduler)
    , m_workspace(workspace)
    , m_hideWork(scheduler)
    , m_nextWork(scheduler)
{
}

void BannerCenter::show(const NotchBanner &banner)
{
    const std::optional<NotchBanner> shown = m_current.value();
    if (shown && shown->isDuplicateOf(banner)) {
        m_current = banner;
        scheduleHide(std::nullopt);
        return;
    }
    m_queue.removeIf([&](const NotchBanner &waiting) { return waiting.isDuplicateOf(banner); });
    if (!shown) {
        m_current = banner;
        scheduleHide(std::nullopt);
        return;
    }
    m_queue.append(banner);
    while (m_queue.size() > maximumWaiting)
        m_queue.removeFirst();
}

void BannerCenter::scheduleHide(std::optional<double> after)
{
    m_hideWork.cancel();
    if (m_isHovering)
        return;
    const std::optional<NotchBanner> shown = m_current.value();
    if (!shown)
        return;
    m_hideWork.start(after.value_or(AlertDuration::bounded(shown->duration, minimumDuration)), [this] { dismiss(); });
}

void BannerCenter::dismiss()
{
    m_hideWork.cancel();
    m_isHovering = false;
    m_current = std::nullopt;
    if (m_queue.isEmpty())
        return;
    m_nextWork.start(gapBetweenBanners, [this] {
        // A banner shown during the gap goes first; the waiting ones follow
        // its own dismissal.
        if (m_current.value() || m_queue.isEmpty())
            return;
        m_current = m_queue.takeFirst();
        scheduleHide(std::nullopt);
    });
}

void BannerCenter::activate()
{
    const std::optional<NotchBanner> shown = m_current.value();
    if (shown && shown->action) {
        const auto action = shown->action;
        dismiss();
        action();
        return;
    }
    if (shown && shown->appBundleID) {
        const QList<Workspace::RunningApplication> running = m_workspace.runningApplications(*shown->appBundleID);
        if (!running.isEmpty()) {
            m_workspace.activate(running.first());
            dismiss();
            return;
        }
        if (const auto url = m_workspace.urlForApplication(*shown->appBundleID))
            m_workspace.openApplication(*url);
    }
    dismiss();
}

void BannerCenter::setHovering(bool hovering)
{
    if (hovering == m_isHovering)
        return;
    m_isHovering = hovering;
    if (hovering)
        m_hideWork.cancel();
    else if (m_current.value())
        scheduleHide(hideAfterHover);
}
