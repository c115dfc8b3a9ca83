#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

// A client of a private display: paints the root white, so the notch shows
// against it, plays another program's windows, and finds the notch in a
// screenshot of the root window.
class NotchDesktop {
public:
    explicit NotchDesktop(const QString &display, const QSize &size);
    ~NotchDesktop();
    NotchDesktop(const NotchDesktop &) = delete;
    NotchDesktop &operator=(const NotchDesktop &) = delete;

    bool isConnected() const { return m_screen != nullptr; }

    enum class Shade { black, white };

    // A small window that says it is full screen, made the active one: the
    // notch's screen then shows a full-screen window, while the window
    // itself stays clear of the notch.
    void showFullScreenWindow();
    // Maps a window of another program at `frame`, filled with `shade`,
    // lists it among the clients and makes it the active one. A white window
    // hides what it covers from notchBounds().
    xcb_window_t showWindow(const QRect &frame, Shade shade, bool fullScreen = false);
    // Sets or clears the window's full-screen state, as a program does by
    // itself (no other window becomes active).
    void setFullScreen(xcb_window_t window, bool fullScreen);

    // A screenshot of the root window; a null image when it fails.
    QImage screenshot() const;
    // The bounds of what is not the white desktop in the top part of the
    // screen, as a screenshot of the root window shows it.
    QRect notchBounds() const;
    // Waits (bounded) for the notch to rest at `size`, hung centred from the
    // top edge. The ears taper to a point along the top edge, so their
    // outermost pixels are lighter than the threshold. `last` keeps the
    // bounds seen last, for the failure message.
    bool waitForNotch(const QSize &size, int milliseconds = 8000);
    QRect last() const { return m_last; }

private:
    void sync();

    QString m_display;
    QSize m_size;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> m_connection;
    xcb_screen_t *m_screen = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
    QRect m_last;
    QList<xcb_window_t> m_clients;
};
