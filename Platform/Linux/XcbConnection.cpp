#include "Platform/Linux/XcbConnection.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

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

XcbConnection::HandlerId XcbConnection::addEventHandler(EventHandler handler)
{
    if (!m_notifier) {
        m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &XcbConnection::dispatchEvents);
        // Replies read for other requests may bring events along into xcb's
        // queue, where the socket notifier cannot see them.
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, &XcbConnection::dispatchEvents);
    }
    const HandlerId id = m_nextHandler++;
    m_handlers.emplace(id, std::move(handler));
    return id;
}

void XcbConnection::removeEventHandler(HandlerId id)
{
    m_handlers.erase(id);
}

void XcbConnection::dispatchEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        // A handler may remove handlers; walk a copy.
        const auto handlers = m_handlers;
        for (const auto &[id, handler] : handlers)
            handler(*event);
        free(event);
    }
}
