#include "Platform/Linux/XcbConnection.h"

std::unique_ptr<XcbConnection> XcbConnection::open(const QByteArray &display)
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XcbConnection>(new XcbConnection(connection, screenNumber));
}

XcbConnection::XcbConnection(xcb_connection_t *connection, int screenNumber)
    : m_connection(connection)
    , m_screenNumber(screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_screen = screens.data;
    xcb_intern_atom_cookie_t *cookies = xcb_ewmh_init_atoms(connection, &m_ewmh);
    xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr);
}

XcbConnection::~XcbConnection()
{
    xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}
