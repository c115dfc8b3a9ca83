#include "Platform/Linux/UPowerPowerSources.h"

#include "Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

const QString upowerService = QStringLiteral("org.freedesktop.UPower");
const QString displayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// power-profiles-daemon answers under its newer name and, for older
// clients, its first one; each name has its own object and interface.
struct ProfilesName {
    QString service;
    QString path;
};
const ProfilesName profilesNames[] = {
    {QStringLiteral("org.freedesktop.UPower.PowerProfiles"), QStringLiteral("/org/freedesktop/UPower/PowerProfiles")},
    {QStringLiteral("net.hadess.PowerProfiles"), QStringLiteral("/net/hadess/PowerProfiles")},
};

// UPower's device types and battery states.
constexpr uint batteryType = 2;
enum BatteryState : uint {
    unknownState = 0,
    charging = 1,
    discharging = 2,
    empty = 3,
    fullyCharged = 4,
    pendingCharge = 5,
    pendingDischarge = 6,
};

} // namespace

bool UPowerPowerSources::isAvailable(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(upowerService) || bus.interface()->activatableServiceNames().value().contains(upowerService);
}

UPowerPowerSources::UPowerPowerSources(const QDBusConnection &bus)
    : m_bus(bus)
    , m_watcher(new QDBusServiceWatcher(this))
{
    m_watcher->setConnection(m_bus);
    m_watcher->addWatchedService(upowerService);
    m_bus.connect(upowerService, displayDevicePath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(deviceChanged(QString, QVariantMap, QStringList)));
    for (const ProfilesName &name : profilesNames) {
        m_watcher->addWatchedService(name.service);
        m_bus.connect(name.service, name.path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                      SLOT(profilesChanged(QString, QVariantMap, QStringList)));
    }
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this](const QString &service) {
        if (service == upowerService)
            readDevice();
        else
            readProfiles(service);
    });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString &service) {
        if (service == upowerService) {
            m_device.clear();
            notify(m_changeHandlers);
        }
        // The mode stays as last known: the other name may still answer, and
        // a daemon that comes back reports it again.
    });
    readDevice();
    for (const ProfilesName &name : profilesNames)
        readProfiles(name.service);
}

std::optional<PowerSources::InternalBattery> UPowerPowerSources::internalBattery() const
{
    // The display device stands for the internal batteries together; any
    // other type (or none) means the computer has none.
    if (m_device.value(QStringLiteral("Type")).toUInt() != batteryType || !m_device.value(QStringLiteral("IsPresent")).toBool())
        return std::nullopt;
    const QVariant percentage = m_device.value(QStringLiteral("Percentage"));
    InternalBattery battery;
    if (percentage.isValid())
        battery.currentCapacity = percentage.toDouble();
    battery.maxCapacity = 100.0;
    battery.isCharging = m_device.value(QStringLiteral("State")).toUInt() == charging;
    battery.isOnACPower = m_onACPower;
    return battery;
}

void UPowerPowerSources::readDevice()
{
    QDBusMessage call = QDBusMessage::createMethodCall(upowerService, displayDevicePath, propertiesInterface, QStringLiteral("GetAll"));
    call << deviceInterface;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *watcher;
        if (reply.isError()) {
            qCWarning(lcPlatform, "Quib: could not read the battery from UPower: %s", qPrintable(reply.error().message()));
            return;
        }
        m_device.clear();
        applyDevice(reply.value());
    });
}

void UPowerPowerSources::readProfiles(const QString &service)
{
    for (const ProfilesName &name : profilesNames) {
        if (name.service != service)
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(name.service, name.path, propertiesInterface, QStringLiteral("Get"));
        call << name.service << QStringLiteral("ActiveProfile");
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
            watcher->deleteLater();
            // Without a profiles daemon the mode is simply never on.
            const QDBusPendingReply<QVariant> reply = *watcher;
            if (!reply.isError())
                applyProfile({{QStringLiteral("ActiveProfile"), reply.value()}});
        });
    }
}

void UPowerPowerSources::deviceChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated)
{
    if (interface != deviceInterface)
        return;
    for (const QString &name : invalidated)
        m_device.remove(name);
    applyDevice(changed);
}

void UPowerPowerSources::profilesChanged(const QString &, const QVariantMap &changed, const QStringList &)
{
    applyProfile(changed);
}

void UPowerPowerSources::applyDevice(const QVariantMap &changed)
{
    for (auto property = changed.begin(); property != changed.end(); ++property)
        m_device.insert(property.key(), property.value());
    switch (m_device.value(QStringLiteral("State")).toUInt()) {
    case charging:
    case fullyCharged:
    case pendingCharge:
        m_onACPower = true;
        break;
    case discharging:
    case empty:
    case pendingDischarge:
        m_onACPower = false;
        break;
    default:
        break;
    }
    notify(m_changeHandlers);
}

void UPowerPowerSources::applyProfile(const QVariantMap &changed)
{
    const auto profile = changed.constFind(QStringLiteral("ActiveProfile"));
    if (profile == changed.constEnd())
        return;
    const bool lowPower = profile->toString() == QLatin1String("power-saver");
    const bool known = m_lowPowerMode.has_value();
    // Both of the daemon's names report each switch: the second report
    // changes nothing.
    if (known && *m_lowPowerMode == lowPower)
        return;
    m_lowPowerMode = lowPower;
    if (known)
        notify(m_lowPowerHandlers);
}

void UPowerPowerSources::notify(const std::vector<Handler> &handlers)
{
    const auto copy = handlers;
    for (const Handler &handler : copy)
        handler();
}
