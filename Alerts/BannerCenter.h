#pragma once

#include "Alerts/NotchBanner.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QList>
#include <QProperty>

class Workspace;

// The banner queue: one banner on screen, up to three waiting. A banner hides
// after its duration (1 s to a minute), never while the pointer rests on it.
// Main thread only.
class BannerCenter {
public:
    static constexpr int maximumWaiting = 3;
    static constexpr double minimumDuration = 1.0;
    static constexpr double gapBetweenBanners = 0.35;
    static constexpr double hideAfterHover = 2.0;

    BannerCenter(Scheduler &scheduler, Workspace &workspace);

    std::optional<NotchBanner> current() const { return m_current.value(); }
    QBindable<std::optional<NotchBanner>> bindableCurrent() { return &m_current; }
    const QList<NotchBanner> &queue() const { return m_queue; }
    bool isHovering() const { return m_isHovering; }

    // Shows the banner now, lets it replace the current one, or queues it.
    void show(const NotchBanner &banner);
    // Removes the current banner; the next waiting one follows 0.35 s later.
    void dismiss();
    // A click on the banner: runs its action or brings its application forward.
    void activate();
    // Pauses (true) or resumes (false) the auto-hide.
    void setHovering(bool hovering);

private:
    void scheduleHide(std::optional<double> after);

    Scheduler &m_scheduler;
    Workspace &m_workspace;
    QProperty<std::optional<NotchBanner>> m_current;
    QList<NotchBanner> m_queue;
    Delay m_hideWork;
    Delay m_nextWork;
    bool m_isHovering = false;
};
