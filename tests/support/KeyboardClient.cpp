#include "KeyboardClient.h"

#include <QDeadlineTimer>

#include <xcb/xcb_keysyms.h>

#include <poll.h>

#include <memory>

namespace {

// One round trip: everything sent before has been handled by the server.
void sync(xcb_connection_t *connection)
{
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace

KeyboardClient::KeyboardClient(const QString &display)
    : m_connection(xcb_connect(display.toUtf8().constData(), nullptr))
{
    if (xcb_connection_has_error(m_connection))
        return;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const xcb_window_t window = xcb_generate_id(m_connection);
    const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_map_window(m_connection, window);
    sync(m_connection);
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    sync(m_connection);
    m_window = window;
}

KeyboardClient::~KeyboardClient()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    xcb_disconnect(m_connection);
}

xcb_keycode_t KeyboardClient::keycode(xcb_keysym_t keysym) const
{
    if (!m_symbols)
        return 0;
    const std::unique_ptr<xcb_keycode_t, decltype(&free)> codes(xcb_key_symbols_get_keycode(m_symbols, keysym), &free);
    return codes ? codes.get()[0] : 0;
}

void KeyboardClient::readPresses()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
            m_presses.append(reinterpret_cast<xcb_key_press_event_t *>(event)->detail);
        free(event);
    }
}

QList<xcb_keycode_t> KeyboardClient::pressesUntil(xcb_keycode_t last, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    readPresses();
    while (!m_presses.contains(last) && !deadline.hasExpired() && !xcb_connection_has_error(m_connection)) {
        // No one else reads this connection: once xcb's queue is empty, new
        // events show on the socket.
        pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        poll(&socket, 1, int(deadline.remainingTime()));
        readPresses();
    }
    return m_presses;
}

bool KeyboardClient::holdKey(xcb_keysym_t keysym, uint16_t modifiers)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(m_connection, 1, screen->root, modifiers, keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const std::unique_ptr<xcb_generic_error_t, decltype(&free)> error(xcb_request_check(m_connection, cookie), &free);
    return !error;
}

void KeyboardClient::letGoOfKey(xcb_keysym_t keysym, uint16_t modifiers)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    xcb_ungrab_key(m_connection, keycode(keysym), screen->root, modifiers);
    sync(m_connection);
}
