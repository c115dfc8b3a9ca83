#include "Platform/Linux/X11WindowServer.h"

#include "Platform/Linux/XcbConnection.h"

#include <QWindow>

#include <xcb/randr.h>

#include <cstdlib>
#include <memory>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

template <typename T>
Reply<T> reply(T *value)
{
    return Reply<T>(value, &free);
}

constexpr quint32 allDesktops = 0xffffffff;

} // namespace

X11WindowServer::X11WindowServer(XcbConnection &x11)
    : m_x11(x11)
{
}

X11WindowServer::~X11WindowServer()
{
    if (m_events)
        m_x11.removeEventHandler(m_events);
}

void X11WindowServer::listenOnRoot(uint32_t events)
{
    if ((m_rootEvents | events) == m_rootEvents)
        return;
    m_rootEvents |= events;
    // Property changes and the structure of the root's children come to
    // every client that asks. Waiting for the server to take the selection
    // means no change made after an observation starts can be missed.
    free(xcb_request_check(m_x11.connection(),
                           xcb_change_window_attributes_checked(m_x11.connection(), m_x11.root(), XCB_CW_EVENT_MASK, &m_rootEvents)));
    if (!m_events)
        m_events = m_x11.addEventHandler([this](const xcb_generic_event_t &event) { handle(event); });
}

void X11WindowServer::observeActivation(Handler handler)
{
    listenOnRoot(XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_activationHandlers.push_back(std::move(handler));
}

void X11WindowServer::observeFullscreenStates(Handler handler)
{
    // The client list and the active window say which windows to follow.
    listenOnRoot(XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_fullscreenHandlers.push_back(std::move(handler));
    followClientStates();
    // As on the root: once the server has taken the selections, no state
    // change made after this call returns can be missed.
    free(xcb_get_input_focus_reply(m_x11.connection(), xcb_get_input_focus(m_x11.connection()), nullptr));
}

void X11WindowServer::observeStacking(Handler handler)
{
    listenOnRoot(XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    m_stackingHandlers.push_back(std::move(handler));
}

void X11WindowServer::followClientStates()
{
    xcb_ewmh_connection_t &ewmh = m_x11.ewmh();
    const int screen = m_x11.screenNumber();
    QList<xcb_window_t> windows;
    xcb_ewmh_get_windows_reply_t clients;
    if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, screen), &clients, nullptr)) {
        windows.append(QList<xcb_window_t>(clients.windows, clients.windows + clients.windows_len));
        xcb_ewmh_get_windows_reply_wipe(&clients);
    }
    if (xcb_window_t active = XCB_NONE; xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, screen), &active, nullptr))
        windows.append(active);
    // Selecting again is harmless; a window gone meanwhile only earns an
    // error event, which the handler ignores.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (xcb_window_t window : std::as_const(windows)) {
        if (window != XCB_NONE && window != m_x11.root())
            xcb_change_window_attributes(m_x11.connection(), window, XCB_CW_EVENT_MASK, &events);
    }
    xcb_flush(m_x11.connection());
}

namespace {

void notify(const std::vector<WindowServer::Handler> &handlers)
{
    // A handler may add handlers; walk a copy.
    const auto copy = handlers;
    for (const WindowServer::Handler &handler : copy)
        handler();
}

} // namespace

void X11WindowServer::handle(const xcb_generic_event_t &event)
{
    const xcb_ewmh_connection_t &ewmh = m_x11.ewmh();
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto &change = reinterpret_cast<const xcb_property_notify_event_t &>(event);
        if (change.window != m_x11.root()) {
            if (change.atom == ewmh._NET_WM_STATE)
                notify(m_fullscreenHandlers);
            return;
        }
        const bool activation = change.atom == ewmh._NET_ACTIVE_WINDOW || change.atom == ewmh._NET_CURRENT_DESKTOP;
        if (!m_fullscreenHandlers.empty() && (change.atom == ewmh._NET_ACTIVE_WINDOW || change.atom == ewmh._NET_CLIENT_LIST))
            followClientStates();
        if (activation)
            notify(m_activationHandlers);
        return;
    }
    case XCB_MAP_NOTIFY: {
        const auto &map = reinterpret_cast<const xcb_map_notify_event_t &>(event);
        if (map.event == m_x11.root() && !map.override_redirect)
            notify(m_stackingHandlers);
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto &configure = reinterpret_cast<const xcb_configure_notify_event_t &>(event);
        if (configure.event == m_x11.root() && !configure.override_redirect)
            notify(m_stackingHandlers);
        return;
    }
    default:
        return;
    }
}

bool X11WindowServer::hasCompositor()
{
    xcb_ewmh_connection_t &ewmh = m_x11.ewmh();
    xcb_window_t owner = XCB_NONE;
    return xcb_ewmh_get_wm_cm_owner_reply(&ewmh, xcb_ewmh_get_wm_cm_owner(&ewmh, m_x11.screenNumber()), &owner, nullptr) && owner != XCB_NONE;
}

// Screen lockers are override-redirect windows at the top of the stack; ours
// bypass the window manager too, so a raise puts them above the locker until
// it raises itself again.
bool X11WindowServer::moveToLockScreen(QWindow &window)
{
    if (!window.isVisible())
        return false;
    const xcb_window_t id = xcb_window_t(window.winId());
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    const xcb_void_cookie_t cookie = xcb_configure_window_checked(m_x11.connection(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_generic_error_t *error = xcb_request_check(m_x11.connection(), cookie);
    std::free(error);
    return error == nullptr;
}

std::optional<QList<X11WindowServer::Monitor>> X11WindowServer::monitors() const
{
    xcb_connection_t *connection = m_x11.connection();
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!randr || !randr->present)
        return std::nullopt;
    auto version = reply(xcb_randr_query_version_reply(connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    if (!version || (version->major_version == 1 && version->minor_version < 5))
        return std::nullopt;
    auto list = reply(xcb_randr_get_monitors_reply(connection, xcb_randr_get_monitors(connection, m_x11.root(), 1), nullptr));
    if (!list)
        return std::nullopt;
    QList<Monitor> monitors;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(list.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
        auto name = reply(xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, it.data->name), nullptr));
        if (!name)
            continue;
        monitors.append({QString::fromUtf8(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get())),
                         QRect(it.data->x, it.data->y, it.data->width, it.data->height)});
    }
    return monitors;
}

std::optional<X11WindowServer::VisibleWindow> X11WindowServer::visibleWindow(quint32 window, quint32 activeWindow, std::optional<quint32> currentDesktop) const
{
    xcb_connection_t *connection = m_x11.connection();
    xcb_ewmh_connection_t &ewmh = m_x11.ewmh();
    auto attributes = reply(xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    auto geometry = reply(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    auto origin = reply(xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, window, m_x11.root(), 0, 0), nullptr));
    if (!attributes || !geometry || !origin || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;

    quint32 desktop = allDesktops;
    if (currentDesktop && xcb_ewmh_get_wm_desktop_reply(&ewmh, xcb_ewmh_get_wm_desktop(&ewmh, window), &desktop, nullptr)
        && desktop != allDesktops && desktop != *currentDesktop)
        return std::nullopt;

    VisibleWindow visible{QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height), false, window == activeWindow};
    xcb_ewmh_get_atoms_reply_t state;
    if (xcb_ewmh_get_wm_state_reply(&ewmh, xcb_ewmh_get_wm_state(&ewmh, window), &state, nullptr)) {
        for (uint32_t i = 0; i < state.atoms_len; ++i) {
            if (state.atoms[i] == ewmh._NET_WM_STATE_HIDDEN) {
                xcb_ewmh_get_atoms_reply_wipe(&state);
                return std::nullopt;
            }
            visible.isFullScreen = visible.isFullScreen || state.atoms[i] == ewmh._NET_WM_STATE_FULLSCREEN;
        }
        xcb_ewmh_get_atoms_reply_wipe(&state);
    }
    return visible;
}

std::optional<QSet<QString>> X11WindowServer::fullscreenDisplayIdentifiers()
{
    const auto screens = monitors();
    if (!screens)
        return std::nullopt;

    xcb_ewmh_connection_t &ewmh = m_x11.ewmh();
    const int screen = m_x11.screenNumber();
    xcb_window_t active = XCB_NONE;
    if (!xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, screen), &active, nullptr))
        active = XCB_NONE;
    std::optional<quint32> currentDesktop;
    if (quint32 desktop = 0; xcb_ewmh_get_current_desktop_reply(&ewmh, xcb_ewmh_get_current_desktop(&ewmh, screen), &desktop, nullptr))
        currentDesktop = desktop;

    QList<xcb_window_t> candidates;
    xcb_ewmh_get_windows_reply_t clients;
    if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, screen), &clients, nullptr)) {
        candidates.append(QList<xcb_window_t>(clients.windows, clients.windows + clients.windows_len));
        xcb_ewmh_get_windows_reply_wipe(&clients);
    }
    if (active != XCB_NONE && !candidates.contains(active))
        candidates.append(active);

    QList<VisibleWindow> windows;
    for (xcb_window_t window : std::as_const(candidates)) {
        if (auto visible = visibleWindow(window, active, currentDesktop))
            windows.append(*visible);
    }
    return fullscreenMonitors(*screens, windows);
}

QSet<QString> X11WindowServer::fullscreenMonitors(const QList<Monitor> &monitors, const QList<VisibleWindow> &windows)
{
    auto monitorOf = [&monitors](const QRect &geometry) -> const Monitor * {
        const Monitor *best = nullptr;
        qint64 bestArea = 0;
        for (const Monitor &monitor : monitors) {
            if (monitor.geometry.contains(geometry.center()))
                return &monitor;
            const QRect overlap = monitor.geometry.intersected(geometry);
            if (qint64 area = qint64(overlap.width()) * overlap.height(); area > bestArea) {
                best = &monitor;
                bestArea = area;
            }
        }
        return best;
    };

    QSet<QString> withActive;
    QSet<QString> fullscreen;
    for (const VisibleWindow &window : windows) {
        const Monitor *monitor = monitorOf(window.geometry);
        if (!monitor)
            continue;
        if (window.isActive) {
            withActive.insert(monitor->name);
            // The active window is in front of its monitor: it alone decides.
            if (window.isFullScreen)
                fullscreen.insert(monitor->name);
            else
                fullscreen.remove(monitor->name);
        } else if (window.isFullScreen && !withActive.contains(monitor->name)) {
            fullscreen.insert(monitor->name);
        }
    }
    return fullscreen;
}
