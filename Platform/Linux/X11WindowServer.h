#pragma once

#include "Platform/Linux/XcbConnection.h"
#include "Platform/WindowServer.h"

#include <QList>
#include <QRect>

#include <vector>

// Full-screen windows from the EWMH hints the window manager keeps on the
// windows (_NET_WM_STATE_FULLSCREEN) and on the root (_NET_ACTIVE_WINDOW,
// _NET_CLIENT_LIST, the desktops), screens from the RandR monitors, whose
// names are the names Qt gives its screens. Activations are the changes of
// _NET_ACTIVE_WINDOW and _NET_CURRENT_DESKTOP on the root window; full-screen
// states the changes of _NET_WM_STATE on the client windows and the active
// one; stacking the maps and configurations of the root's children that the
// window manager manages (not override-redirect); the compositor is the owner
// of the _NET_WM_CM_Sn selection.
class X11WindowServer final : public WindowServer {
public:
    struct Monitor {
        QString name;
        QRect geometry;
    };
    // A window that a user can see now: mapped, not minimised, on the current
    // desktop.
    struct VisibleWindow {
        QRect geometry;
        bool isFullScreen = false;
        bool isActive = false;
    };

    explicit X11WindowServer(XcbConnection &x11);
    ~X11WindowServer() override;

    std::optional<QSet<QString>> fullscreenDisplayIdentifiers() override;
    void observeActivation(Handler handler) override;
    void observeFullscreenStates(Handler handler) override;
    void observeStacking(Handler handler) override;
    bool hasCompositor() override;
    bool moveToLockScreen(QWindow &window) override;

    // A monitor shows a full-screen window when its active window is full
    // screen, or, when the active window is elsewhere, when any visible window
    // on it is. A window is on the monitor that holds its centre, else on the
    // one it overlaps most.
    static QSet<QString> fullscreenMonitors(const QList<Monitor> &monitors, const QList<VisibleWindow> &windows);

private:
    std::optional<QList<Monitor>> monitors() const;
    std::optional<VisibleWindow> visibleWindow(quint32 window, quint32 activeWindow, std::optional<quint32> currentDesktop) const;

    // Adds `events` to the events selected on the root window.
    void listenOnRoot(uint32_t events);
    // Selects property changes on the client windows and the active one, so
    // their state changes arrive.
    void followClientStates();
    void handle(const xcb_generic_event_t &event);

    XcbConnection &m_x11;
    XcbConnection::HandlerId m_events = 0;
    uint32_t m_rootEvents = 0;
    std::vector<Handler> m_activationHandlers;
    std::vector<Handler> m_fullscreenHandlers;
    std::vector<Handler> m_stackingHandlers;
};
