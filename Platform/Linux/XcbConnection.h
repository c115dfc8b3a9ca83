#pragma once

#include <QByteArray>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

// A connection of our own to the X server of $DISPLAY, with the EWMH atoms,
// shared by the X11 backends. Only the default screen is used.
class XcbConnection {
public:
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

private:
    XcbConnection(xcb_connection_t *connection, int screenNumber);

    xcb_connection_t *m_connection = nullptr;
    xcb_screen_t *m_screen = nullptr;
    int m_screenNumber = 0;
    xcb_ewmh_connection_t m_ewmh{};
};
