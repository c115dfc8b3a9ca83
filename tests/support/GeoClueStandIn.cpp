#include "GeoClueStandIn.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>

namespace {

const QString managerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString clientPath = QStringLiteral("/org/freedesktop/GeoClue2/Client/1");
const QString locationPath = QStringLiteral("/org/freedesktop/GeoClue2/Client/1/Location/1");

class StandInManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.GeoClue2.Manager")
public Q_SLOTS:
    QDBusObjectPath GetClient() { return QDBusObjectPath(clientPath); }
};

class StandInLocation : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.GeoClue2.Location")
    Q_PROPERTY(double Latitude MEMBER latitude)
    Q_PROPERTY(double Longitude MEMBER longitude)
public:
    double latitude = 0;
    double longitude = 0;
};

class StandInClient : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.GeoClue2.Client")
    Q_PROPERTY(QString DesktopId MEMBER desktopId)
    Q_PROPERTY(uint RequestedAccuracyLevel MEMBER requestedAccuracyLevel)
public:
    QString desktopId;
    uint requestedAccuracyLevel = 0;
    QList<GeoClueStandIn::Start> answers;
    int starts = 0;
    int stops = 0;

public Q_SLOTS:
    void Start()
    {
        ++starts;
        const GeoClueStandIn::Start answer = answers.isEmpty() ? GeoClueStandIn::Start::locate : answers.takeFirst();
        if (answer == GeoClueStandIn::Start::neverAnswer) {
            setDelayedReply(true);
            return;
        }
        if (answer == GeoClueStandIn::Start::locate) {
            // After the start's reply, as GeoClue reports.
            QTimer::singleShot(0, this, [this] { Q_EMIT LocationUpdated(QDBusObjectPath(QStringLiteral("/")), QDBusObjectPath(locationPath)); });
        }
    }
    void Stop() { ++stops; }

Q_SIGNALS:
    void LocationUpdated(const QDBusObjectPath &oldLocation, const QDBusObjectPath &newLocation);
};

} // namespace

class GeoClueStandIn::Objects {
public:
    StandInManager manager;
    StandInClient client;
    StandInLocation location;
};

GeoClueStandIn::GeoClueStandIn(const QDBusConnection &connection, double latitude, double longitude)
    : m_connection(connection)
    , m_objects(std::make_unique<Objects>())
{
    m_objects->location.latitude = latitude;
    m_objects->location.longitude = longitude;
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties;
    m_registered = m_connection.registerObject(managerPath, &m_objects->manager, exported)
                   && m_connection.registerObject(clientPath, &m_objects->client, exported)
                   && m_connection.registerObject(locationPath, &m_objects->location, exported)
                   && m_connection.registerService(QStringLiteral("org.freedesktop.GeoClue2"));
}

GeoClueStandIn::~GeoClueStandIn()
{
    m_connection.unregisterService(QStringLiteral("org.freedesktop.GeoClue2"));
    for (const QString &path : {managerPath, clientPath, locationPath})
        m_connection.unregisterObject(path);
}

bool GeoClueStandIn::isRegistered() const
{
    return m_registered;
}

void GeoClueStandIn::enqueue(Start answer)
{
    m_objects->client.answers.append(answer);
}

int GeoClueStandIn::starts() const
{
    return m_objects->client.starts;
}

int GeoClueStandIn::stops() const
{
    return m_objects->client.stops;
}

QString GeoClueStandIn::desktopId() const
{
    return m_objects->client.desktopId;
}

#include "GeoClueStandIn.moc"
