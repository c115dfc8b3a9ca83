#include "Platform/Linux/BlueZBluetooth.h"

#include "Support/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <algorithm>
#include <utility>

namespace {

const QString service = QStringLiteral("org.bluez");
const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString deviceInterface = QStringLiteral("org.bluez.Device1");
const QString batteryInterface = QStringLiteral("org.bluez.Battery1");
const QString adapterInterface = QStringLiteral("org.bluez.Adapter1");

// The major device class "Audio/Video" in bits 8 to 12 of the class of device.
constexpr quint32 audioVideoMajorClass = 0x04;

// Services of headsets, headphones and speakers: headset, audio sink,
// advanced audio distribution, hands-free.
bool isAudioService(const QString &uuid)
{
    static const QStringList prefixes{QStringLiteral("00001108-"), QStringLiteral("0000110b-"), QStringLiteral("0000110d-"),
                                      QStringLiteral("0000111e-")};
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const QString &prefix) { return uuid.startsWith(prefix, Qt::CaseInsensitive); });
}

bool isMirrored(const QString &interface)
{
    return interface == deviceInterface || interface == batteryInterface || interface == adapterInterface;
}

} // namespace

BlueZBluetooth::BlueZBluetooth(const QDBusConnection &bus)
    : m_bus(bus)
    , m_watcher(service, bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { load(); });
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { unavailable(QStringLiteral("BlueZ stopped")); });
    m_bus.connect(service, QStringLiteral("/"), objectManager, QStringLiteral("InterfacesAdded"), this, SLOT(interfacesAdded(QDBusMessage)));
    m_bus.connect(service, QStringLiteral("/"), objectManager, QStringLiteral("InterfacesRemoved"), this, SLOT(interfacesRemoved(QDBusMessage)));
    // An empty path: the changes of every object.
    m_bus.connect(service, QString(), properties, QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage)));
    load();
}

BluetoothAuthorization BlueZBluetooth::authorization() const
{
    const bool hasAdapter = std::any_of(m_objects.cbegin(), m_objects.cend(), [](const Interfaces &interfaces) { return interfaces.contains(adapterInterface); });
    return m_loaded && hasAdapter ? BluetoothAuthorization::allowedAlways : BluetoothAuthorization::notDetermined;
}

void BlueZBluetooth::requestAuthorization(std::function<void()> updated)
{
    m_authorizationRequests.push_back(std::move(updated));
    load();
}

void BlueZBluetooth::answerAuthorizationRequests()
{
    // A caller may ask again from its callback: that one waits for the next
    // answer.
    const auto requests = std::exchange(m_authorizationRequests, {});
    for (const auto &updated : requests)
        updated();
}

QList<BluetoothDevice> BlueZBluetooth::audioDevices() const
{
    QList<BluetoothDevice> devices;
    for (const Interfaces &interfaces : m_objects) {
        const auto device = interfaces.constFind(deviceInterface);
        if (device == interfaces.constEnd() || !isAudioDevice(*device))
            continue;
        const QString alias = device->value(QStringLiteral("Alias")).toString();
        BluetoothDevice entry{alias.isEmpty() ? device->value(QStringLiteral("Name")).toString() : alias,
                              device->value(QStringLiteral("Connected")).toBool(),
                              {}};
        const QVariant percentage = interfaces.value(batteryInterface).value(QStringLiteral("Percentage"));
        if (percentage.isValid())
            entry.batteryCharges.append(percentage.toUInt());
        devices.append(entry);
    }
    return devices;
}

bool BlueZBluetooth::isAudioDevice(const QVariantMap &device)
{
    const quint32 deviceClass = device.value(QStringLiteral("Class")).toUInt();
    if (((deviceClass >> 8) & 0x1f) == audioVideoMajorClass)
        return true;
    if (device.value(QStringLiteral("Icon")).toString().startsWith(QLatin1String("audio-")))
        return true;
    const QStringList uuids = device.value(QStringLiteral("UUIDs")).toStringList();
    return std::any_of(uuids.begin(), uuids.end(), isAudioService);
}

void BlueZBluetooth::load()
{
    const quint64 load = ++m_load;
    const QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/"), objectManager, QStringLiteral("GetManagedObjects"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, load](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        if (load != m_load)
            return;
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{oa{sa{sv}}}")) {
            unavailable(reply.errorMessage());
            return;
        }
        // Signals that came before this answer are part of it.
        m_objects.clear();
        const QDBusArgument objects = reply.arguments().constFirst().value<QDBusArgument>();
        objects.beginMap();
        while (!objects.atEnd()) {
            QDBusObjectPath path;
            objects.beginMapEntry();
            objects >> path;
            const Interfaces interfaces = readInterfaces(objects);
            objects.endMapEntry();
            addInterfaces(path.path(), interfaces);
        }
        objects.endMap();
        m_loaded = true;
        m_reportedAbsence = false;
        answerAuthorizationRequests();
    });
}

void BlueZBluetooth::unavailable(const QString &reason)
{
    ++m_load;
    m_objects.clear();
    m_loaded = false;
    if (!m_reportedAbsence)
        qCWarning(lcPlatform, "Quib: no BlueZ on the system bus (%s); Bluetooth headphones show no battery", qPrintable(reason));
    m_reportedAbsence = true;
    answerAuthorizationRequests();
}

void BlueZBluetooth::addInterfaces(const QString &path, const Interfaces &interfaces)
{
    for (auto interface = interfaces.constBegin(); interface != interfaces.constEnd(); ++interface) {
        if (isMirrored(interface.key()))
            m_objects[path][interface.key()] = interface.value();
    }
}

BlueZBluetooth::Interfaces BlueZBluetooth::readInterfaces(const QDBusArgument &argument)
{
    Interfaces interfaces;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QVariantMap values;
        argument.beginMapEntry();
        argument >> name >> values;
        argument.endMapEntry();
        interfaces.insert(name, values);
    }
    argument.endMap();
    return interfaces;
}

void BlueZBluetooth::interfacesAdded(const QDBusMessage &message)
{
    if (message.signature() != QLatin1String("oa{sa{sv}}"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    addInterfaces(path, readInterfaces(message.arguments().at(1).value<QDBusArgument>()));
}

void BlueZBluetooth::interfacesRemoved(const QDBusMessage &message)
{
    if (message.signature() != QLatin1String("oas"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const auto object = m_objects.find(path);
    if (object == m_objects.end())
        return;
    for (const QString &interface : message.arguments().at(1).toStringList())
        object->remove(interface);
    if (object->isEmpty())
        m_objects.erase(object);
}

void BlueZBluetooth::propertiesChanged(const QDBusMessage &message)
{
    if (message.signature() != QLatin1String("sa{sv}as"))
        return;
    const auto object = m_objects.find(message.path());
    const QString interface = message.arguments().at(0).toString();
    if (object == m_objects.end() || !object->contains(interface))
        return;
    QVariantMap &values = (*object)[interface];
    const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    for (auto value = changed.constBegin(); value != changed.constEnd(); ++value)
        values.insert(value.key(), value.value());
    for (const QString &name : message.arguments().at(2).toStringList())
        values.remove(name);
}
