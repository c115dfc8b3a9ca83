#include "PrivateBus.h"

#include <QDeadlineTimer>

PrivateBus::PrivateBus()
{
    m_previousAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        return;
    const QDeadlineTimer deadline(5000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (!m_address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

QDBusConnection PrivateBus::connect(const QString &name)
{
    m_connectionNames.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(m_connectionNames))
        QDBusConnection::disconnectFromBus(name);
    if (m_previousAddress.isEmpty())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress);
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000))
        m_daemon.kill();
}
