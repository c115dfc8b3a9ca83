#include "DBusMockTemplate.h"

#include "Wait.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcessEnvironment>
#include <QUuid>

DBusMockTemplate::DBusMockTemplate(const QString &busAddress, const QString &templateName, const QString &service)
    : m_busAddress(busAddress)
    , m_arguments{QStringLiteral("--template"), templateName}
    , m_systemBus(true)
    , m_service(service)
    , m_connection(QDBusConnection::connectToBus(busAddress, QStringLiteral("dbusmock-") + QUuid::createUuid().toString()))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

DBusMockTemplate::DBusMockTemplate(const QString &busAddress, const Object &object)
    : m_busAddress(busAddress)
    , m_arguments{object.service, object.path, object.interface}
    , m_systemBus(false)
    , m_service(object.service)
    , m_connection(QDBusConnection::connectToBus(busAddress, QStringLiteral("dbusmock-") + QUuid::createUuid().toString()))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

DBusMockTemplate::~DBusMockTemplate()
{
    stop();
    QDBusConnection::disconnectFromBus(m_connection.name());
}

bool DBusMockTemplate::start()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(m_systemBus ? QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS") : QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    m_process.setProcessEnvironment(environment);
    // The Debian package installs the module for the system's interpreter.
    m_process.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + m_arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    return waitUntil([this] { return holdsName() || m_process.state() == QProcess::NotRunning; }) && holdsName();
}

bool DBusMockTemplate::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
    return waitUntil([this] { return !holdsName(); });
}

bool DBusMockTemplate::isRunning() const
{
    return m_process.state() == QProcess::Running && holdsName();
}

QByteArray DBusMockTemplate::log()
{
    return m_errors + m_process.readAll();
}

bool DBusMockTemplate::holdsName() const
{
    return m_connection.isConnected() && m_connection.interface()->isServiceRegistered(m_service).value();
}

bool DBusMockTemplate::call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments)
{
    return ask(path, interface, method, arguments).has_value();
}

std::optional<QVariantList> DBusMockTemplate::ask(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_connection.call(message);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return reply.arguments();
    m_errors += (method + QStringLiteral(": ") + reply.errorMessage() + QLatin1Char('\n')).toUtf8();
    return std::nullopt;
}

bool DBusMockTemplate::updateProperties(const QString &path, const QString &interface, const QVariantMap &properties)
{
    return call(path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("UpdateProperties"), {interface, properties});
}
