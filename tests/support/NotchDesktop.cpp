#include "NotchDesktop.h"

#include "Wait.h"

#include <QImage>
#include <QProcess>

#include <cmath>

NotchDesktop::NotchDesktop(const QString &display, const QSize &size)
    : m_display(display)
    , m_size(size)
    , m_connection(xcb_connect(display.toUtf8().constData(), nullptr), xcb_disconnect)
{
    if (xcb_connection_has_error(m_connection.get()))
        return;
    m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get())).data;
    xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_connection.get(), &m_ewmh), nullptr);
    const uint32_t white = m_screen->white_pixel;
    xcb_change_window_attributes(m_connection.get(), m_screen->root, XCB_CW_BACK_PIXEL, &white);
    xcb_clear_area(m_connection.get(), 0, m_screen->root, 0, 0, 0, 0);
    sync();
}

NotchDesktop::~NotchDesktop()
{
    if (m_screen)
        xcb_ewmh_connection_wipe(&m_ewmh);
}

void NotchDesktop::showFullScreenWindow()
{
    showWindow(QRect(100, 600, 200, 100), Shade::black, true);
}

xcb_window_t NotchDesktop::showWindow(const QRect &frame, Shade shade, bool fullScreen)
{
    xcb_connection_t *c = m_connection.get();
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t pixel = shade == Shade::black ? m_screen->black_pixel : m_screen->white_pixel;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_screen->root, frame.x(), frame.y(), frame.width(), frame.height(), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &pixel);
    if (fullScreen)
        setFullScreen(window, true);
    xcb_map_window(c, window);
    m_clients.append(window);
    xcb_ewmh_set_client_list(&m_ewmh, 0, m_clients.size(), m_clients.data());
    xcb_ewmh_set_active_window(&m_ewmh, 0, window);
    sync();
    return window;
}

void NotchDesktop::setFullScreen(xcb_window_t window, bool fullScreen)
{
    xcb_atom_t state = m_ewmh._NET_WM_STATE_FULLSCREEN;
    xcb_ewmh_set_wm_state(&m_ewmh, window, fullScreen ? 1 : 0, &state);
    sync();
}

QImage NotchDesktop::screenshot() const
{
    QProcess shot;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    shot.setProcessEnvironment(environment);
    shot.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    if (!shot.waitForFinished(5000))
        return {};
    return QImage::fromData(shot.readAllStandardOutput(), "PNG");
}

QRect NotchDesktop::notchBounds() const
{
    const QImage image = screenshot();
    QRect bounds;
    for (int y = 0; y < std::min(image.height(), 400); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool NotchDesktop::waitForNotch(const QSize &size, int milliseconds)
{
    return waitUntil(
        [&] {
            m_last = notchBounds();
            return m_last.top() == 0 && m_last.width() <= size.width() && m_last.width() >= size.width() - 6
                && std::abs(m_last.height() - size.height()) <= 1 && std::abs(m_last.center().x() + 0.5 - m_size.width() / 2.0) <= 1;
        },
        milliseconds);
}

void NotchDesktop::sync()
{
    free(xcb_get_input_focus_reply(m_connection.get(), xcb_get_input_focus(m_connection.get()), nullptr));
}
