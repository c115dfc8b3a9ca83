#pragma once

#include <QByteArray>
#include <QObject>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

// A connection of our own to the X server of $DISPLAY, with the EWMH atoms,
// shared by the X11 backends. Only the default screen is used. The events of
// the connection go to every handler the backends added.
class XcbConnection : public QObject {
    Q_OBJECT
public:
    using EventHandler = std::function<void(const xcb_generic_event_t &event)>;
    using HandlerId = quint64;

    // None when there is no display or it cannot be reached.
    static std::unique_ptr<XcbConnection> open(const QByteArray &display = {});
    ~XcbConnection();
    XcbConnection(const XcbConnection &) = delete;
    XcbConnection &operator=(const XcbConnection &) = delete;

    xcb_connection_t *connection() const { return m_connection; }
    xcb_ewmh_connection_t &ewmh() { return m_ewmh; }
    xcb_screen_t *screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    int screenNumber() const { return m_screenNumber; }

    // Handlers run on the main thread, in the order they were added. A
    // backend removes its handler before it goes away.
    HandlerId addEventHandler(EventHandler handler);
    void removeEventHandler(HandlerId id);

private:
    XcbConnection(xcb_connection_t *connection, int screenNumber);
    void dispatchEvents();

    xcb_connection_t *m_connection = nullptr;
    xcb_screen_t *m_screen = nullptr;
    int m_screenNumber = 0;
    xcb_ewmh_connection_t m_ewmh{};
    QSocketNotifier *m_notifier = nullptr;
    std::map<HandlerId, EventHandler> m_handlers;
    HandlerId m_nextHandler = 1;
};
