#include "PrivateDisplay.h"

#include <QDeadlineTimer>

#include <xcb/xcb.h>

#include <array>
#include <memory>

PrivateDisplay::PrivateDisplay(QSize size)
{
    const QString screen = QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height());
    // -displayfd: the server chooses a free display and writes its number.
    // -noreset: what a test sets on the root window stays when the client
    // that set it disconnects.
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), screen, QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000))
        return;
    const QDeadlineTimer deadline(10000);
    while (!m_server.canReadLine() && !deadline.hasExpired() && m_server.state() == QProcess::Running)
        m_server.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QString number = QString::fromUtf8(m_server.readLine()).trimmed();
    if (!number.isEmpty())
        m_name = QLatin1Char(':') + number;
}

PrivateDisplay::~PrivateDisplay()
{
    m_server.terminate();
    if (!m_server.waitForFinished(3000))
        m_server.kill();
}

bool PrivateDisplay::setWorkArea(const QRect &area)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(m_name.toUtf8().constData(), nullptr), xcb_disconnect);
    if (xcb_connection_has_error(connection.get()))
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const char name[] = "_NET_WORKAREA";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(connection.get(), xcb_intern_atom(connection.get(), 0, sizeof name - 1, name), nullptr), free);
    if (!atom)
        return false;
    const std::array<quint32, 4> values{quint32(area.x()), quint32(area.y()), quint32(area.width()), quint32(area.height())};
    const xcb_void_cookie_t cookie = xcb_change_property_checked(connection.get(), XCB_PROP_MODE_REPLACE, screen->root, atom->atom,
                                                                 XCB_ATOM_CARDINAL, 32, values.size(), values.data());
    const std::unique_ptr<xcb_generic_error_t, decltype(&free)> error(xcb_request_check(connection.get(), cookie), free);
    return !error;
}

void PrivateDisplay::xdotool(const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_name);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(5000);
}

void PrivateDisplay::movePointer(const QPoint &to) const
{
    // A warp one pixel beside the target, then one pixel of relative motion
    // onto it.
    const int step = to.x() > 0 ? 1 : -1;
    xdotool({QStringLiteral("mousemove"), QString::number(to.x() - step), QString::number(to.y()), QStringLiteral("mousemove_relative"),
             QStringLiteral("--"), QString::number(step), QStringLiteral("0")});
}
