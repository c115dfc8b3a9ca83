#include "Platform/Linux/GeoClueLocationProvider.h"

#include "Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
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

bool isAccessDenied(const QDBusMessage &reply)
{
    return QDBusError(reply).type() == QDBusError::AccessDenied;
}

} // namespace

GeoClueLocationProvider::GeoClueLocationProvider(const QDBusConnection &bus, QString desktopId, std::chrono::milliseconds timeout)
    : m_bus(bus)
    , m_desktopId(std::move(desktopId))
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeout);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        // GeoClue may search on; stop it, so that the next request's start
        // begins a new search.
        stopClient();
        fail(QStringLiteral("GeoClue gave no location in time"), false);
    });
}

bool GeoClueLocationProvider::isAvailable(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(service).value())
        return true;
    return bus.interface()->activatableServiceNames().value().contains(service);
}

// GeoClue keeps no answer that can be read without asking. The first
// delegate is the weather, once it is turned on: one request then learns
// the answer, as a system that remembers would already know it; with the
// weather off nothing asks until the user does.
void GeoClueLocationProvider::setDelegate(Delegate *delegate)
{
    m_delegate = delegate;
    if (delegate && !m_hadDelegate) {
        m_hadDelegate = true;
        requestLocation();
    }
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
    ++m_request;
    m_timeout.start();
    if (!m_clientPath.isEmpty()) {
        start();
        return;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(service, managerPath, managerInterface, QStringLiteral("GetClient"));
    callForRequest(call, m_request, [this](const QDBusMessage &reply) {
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            fail(reply.errorMessage(), isAccessDenied(reply));
            return;
        }
        if (path.isEmpty()) {
            fail(QStringLiteral("GeoClue gave no client"), false);
            return;
        }
        m_clientPath = path;
        // Messages on one connection arrive in order: the properties are set
        // before the client starts.
        m_bus.asyncCall(setClientProperty(m_clientPath, QStringLiteral("DesktopId"), m_desktopId));
        m_bus.connect(service, m_clientPath, clientInterface, QStringLiteral("LocationUpdated"), this, SLOT(locationUpdated(QDBusMessage)));
        start();
    });
}

void GeoClueLocationProvider::callForRequest(const QDBusMessage &call, quint64 request, std::function<void(const QDBusMessage &reply)> handler)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, request, handler = std::move(handler)](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        if (isRunning(request))
            handler(finished->reply());
    });
}

void GeoClueLocationProvider::start()
{
    m_bus.asyncCall(setClientProperty(m_clientPath, QStringLiteral("RequestedAccuracyLevel"), QVariant::fromValue(m_accuracyLevel)));
    const QDBusMessage call = QDBusMessage::createMethodCall(service, m_clientPath, clientInterface, QStringLiteral("Start"));
    callForRequest(call, m_request, [this](const QDBusMessage &reply) {
        if (reply.type() == QDBusMessage::ErrorMessage)
            fail(reply.errorMessage(), isAccessDenied(reply));
        else
            setStatus(AuthorizationStatus::authorized);
    });
}

void GeoClueLocationProvider::stopClient()
{
    if (!m_clientPath.isEmpty())
        m_bus.asyncCall(QDBusMessage::createMethodCall(service, m_clientPath, clientInterface, QStringLiteral("Stop")));
}

void GeoClueLocationProvider::locationUpdated(const QDBusMessage &message)
{
    if (!m_requesting || message.arguments().size() < 2)
        return;
    const QString locationPath = message.arguments().at(1).value<QDBusObjectPath>().path();
    QDBusMessage getAll = QDBusMessage::createMethodCall(service, locationPath, propertiesInterface, QStringLiteral("GetAll"));
    getAll << locationInterface;
    callForRequest(getAll, m_request, [this](const QDBusMessage &reply) {
        stopClient();
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        bool latitudeOk = false;
        bool longitudeOk = false;
        const Coordinate coordinate{properties.value(QStringLiteral("Latitude")).toDouble(&latitudeOk),
                                    properties.value(QStringLiteral("Longitude")).toDouble(&longitudeOk)};
        if (reply.type() == QDBusMessage::ErrorMessage || !latitudeOk || !longitudeOk) {
            fail(QStringLiteral("GeoClue gave no coordinates"), false);
            return;
        }
        m_requesting = false;
        m_timeout.stop();
        if (m_delegate)
            m_delegate->locationsUpdated({coordinate});
    });
}

void GeoClueLocationProvider::fail(const QString &error, bool denied)
{
    m_requesting = false;
    m_timeout.stop();
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
    const auto observers = m_observers;
    for (const auto &observer : observers)
        observer(status);
}
