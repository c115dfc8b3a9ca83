#include "Platform/Linux/GeoClueLocationProvider.h"

#include "Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

const QString GeoClueLocationProvider::service = QStringLiteral("org.freedesktop.GeoClue2");

namespace {

const QString managerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString managerInterface = QStringLiteral("org.freedesktop.GeoClue2.Manager");
const QString clientInterface = QStringLiteral("org.freedesktop.GeoClue2.Client");
const QString locationInterface = QStringLiteral("org.freedesktop.GeoClue2.Location");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// GeoClue's accuracy levels.
constexpr uint country = 1;
constexpr uint city = 4;
constexpr uint neighborhood = 5;
constexpr uint street = 6;
constexpr uint exact = 8;

QDBusMessage setClientProperty(const QString &path, const QString &name, const QVariant &value)
{
    QDBusMessage message = QDBusMessage::createMethodCall(GeoClueLocationProvider::service, path, propertiesInterface, QStringLiteral("Set"));
    message << clientInterface << name << QVariant::fromValue(QDBusVariant(value));
    return message;
}

} // namespace

GeoClueLocationProvider::GeoClueLocationProvider(const QDBusConnection &bus, QString desktopId)
    : m_bus(bus)
    , m_desktopId(std::move(desktopId))
{
}

bool GeoClueLocationProvider::isAvailable(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(service).value())
        return true;
    return bus.interface()->activatableServiceNames().value().contains(service);
}

void GeoClueLocationProvider::setDesiredAccuracy(double meters)
{
    if (meters < 100)
        m_accuracyLevel = exact;
    else if (meters < 1000)
        m_accuracyLevel = street;
    else if (meters <= 5000)
        m_accuracyLevel = neighborhood;
    else if (meters <= 50000)
        m_accuracyLevel = city;
    else
        m_accuracyLevel = country;
}

void GeoClueLocationProvider::requestLocation()
{
    // One request at a time; its answer serves every caller.
    if (m_requesting)
        return;
    m_requesting = true;
    if (!m_clientPath.isEmpty()) {
        start();
        return;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(service, managerPath, managerInterface, QStringLiteral("GetClient"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        if (reply.isError()) {
            fail(reply.error().message(), reply.error().type() == QDBusError::AccessDenied);
            return;
        }
        m_clientPath = reply.value().path();
        m_bus.call(setClientProperty(m_clientPath, QStringLiteral("DesktopId"), m_desktopId));
        m_bus.connect(service, m_clientPath, clientInterface, QStringLiteral("LocationUpdated"), this, SLOT(locationUpdated(QDBusMessage)));
        start();
    });
}

void GeoClueLocationProvider::start()
{
    m_bus.call(setClientProperty(m_clientPath, QStringLiteral("RequestedAccuracyLevel"), QVariant::fromValue(m_accuracyLevel)));
    const QDBusMessage call = QDBusMessage::createMethodCall(service, m_clientPath, clientInterface, QStringLiteral("Start"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<> reply = *finished;
        if (reply.isError())
            fail(reply.error().message(), reply.error().type() == QDBusError::AccessDenied);
        else
            setStatus(AuthorizationStatus::authorized);
    });
}

void GeoClueLocationProvider::locationUpdated(const QDBusMessage &message)
{
    if (!m_requesting || message.arguments().size() < 2)
        return;
    const QString locationPath = message.arguments().at(1).value<QDBusObjectPath>().path();
    QDBusMessage getAll = QDBusMessage::createMethodCall(service, locationPath, propertiesInterface, QStringLiteral("GetAll"));
    getAll << locationInterface;
    const QDBusMessage reply = m_bus.call(getAll);
    m_bus.asyncCall(QDBusMessage::createMethodCall(service, m_clientPath, clientInterface, QStringLiteral("Stop")));
    m_requesting = false;
    const QVariantMap properties = reply.arguments().value(0).toMap();
    bool latitudeOk = false;
    bool longitudeOk = false;
    const Coordinate coordinate{properties.value(QStringLiteral("Latitude")).toDouble(&latitudeOk), properties.value(QStringLiteral("Longitude")).toDouble(&longitudeOk)};
    if (reply.type() == QDBusMessage::ErrorMessage || !latitudeOk || !longitudeOk) {
        if (m_delegate)
            m_delegate->locationFailed(QStringLiteral("GeoClue gave no coordinates"));
        return;
    }
    if (m_delegate)
        m_delegate->locationsUpdated({coordinate});
}

void GeoClueLocationProvider::fail(const QString &error, bool denied)
{
    m_requesting = false;
    if (denied)
        setStatus(AuthorizationStatus::denied);
    if (m_delegate)
        m_delegate->locationFailed(error);
}

void GeoClueLocationProvider::setStatus(AuthorizationStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (m_delegate)
        m_delegate->locationAuthorizationChanged(status);
}
