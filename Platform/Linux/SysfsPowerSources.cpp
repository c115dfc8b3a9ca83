#include "Platform/Linux/SysfsPowerSources.h"

#include "Support/Log.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

QByteArray readAttribute(const QDir &supply, const char *name)
{
    QFile file(supply.filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64).trimmed();
}

std::optional<double> readNumber(const QDir &supply, const char *name)
{
    bool ok = false;
    const double value = readAttribute(supply, name).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// Kernel uevents of the kernel itself (not udev's rebroadcast).
constexpr unsigned kernelUeventGroup = 1;

} // namespace

std::optional<PowerSources::InternalBattery> SysfsPowerSources::readBattery(const QString &root)
{
    std::optional<InternalBattery> battery;
    QByteArray batteryStatus;
    bool hasOtherSupply = false;
    bool otherSupplyOnline = false;
    const QDir folder(root);
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir supply(folder.filePath(name));
        const QByteArray type = readAttribute(supply, "type");
        if (type != "Battery") {
            hasOtherSupply = true;
            otherSupplyOnline = otherSupplyOnline || readAttribute(supply, "online") == "1";
            continue;
        }
        // Mice, keyboards and headsets report batteries of scope "Device".
        if (battery || readAttribute(supply, "scope") == "Device" || readAttribute(supply, "present") == "0")
            continue;
        battery.emplace();
        // Drivers report energy (µWh) or charge (µAh); a few only a percentage.
        if (const auto now = readNumber(supply, "energy_now")) {
            battery->currentCapacity = now;
            battery->maxCapacity = readNumber(supply, "energy_full");
        } else if (const auto charge = readNumber(supply, "charge_now")) {
            battery->currentCapacity = charge;
            battery->maxCapacity = readNumber(supply, "charge_full");
        } else if (const auto capacity = readNumber(supply, "capacity")) {
            battery->currentCapacity = capacity;
            battery->maxCapacity = 100.0;
        }
        batteryStatus = readAttribute(supply, "status");
        battery->isCharging = batteryStatus == "Charging";
    }
    if (battery) {
        battery->isOnACPower = hasOtherSupply ? otherSupplyOnline
                                              : batteryStatus == "Charging" || batteryStatus == "Full" || batteryStatus == "Not charging";
    }
    return battery;
}

SysfsPowerSources::SysfsPowerSources(const QString &root)
    : m_root(root)
{
    m_reads.setMaxThreadCount(1);
    m_uevents = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = kernelUeventGroup;
    if (m_uevents >= 0 && ::bind(m_uevents, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        m_ueventNotifier = new QSocketNotifier(m_uevents, QSocketNotifier::Read, this);
        connect(m_ueventNotifier, &QSocketNotifier::activated, this, [this] { readUevents(); });
    } else {
        qCWarning(lcPlatform, "Quib: no kernel power-supply reports (%s); the battery is read once", std::strerror(errno));
        if (m_uevents >= 0)
            ::close(m_uevents);
        m_uevents = -1;
    }
    reload();
}

SysfsPowerSources::~SysfsPowerSources()
{
    // A read still running posts to this object: it ends first.
    m_reads.waitForDone();
    if (m_uevents >= 0)
        ::close(m_uevents);
}

void SysfsPowerSources::reload()
{
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    m_reads.start([this, root = m_root] {
        auto battery = readBattery(root);
        QMetaObject::invokeMethod(
            this,
            [this, battery] {
                m_reading = false;
                m_battery = battery;
                const auto handlers = m_handlers;
                for (const Handler &handler : handlers)
                    handler();
                if (m_readAgain) {
                    m_readAgain = false;
                    reload();
                }
            },
            Qt::QueuedConnection);
    });
}

void SysfsPowerSources::readUevents()
{
    bool powerSupplyChanged = false;
    char message[8192];
    for (;;) {
        const ssize_t size = ::recv(m_uevents, message, sizeof message, 0);
        if (size <= 0)
            break;
        // "action@path", then NUL-separated KEY=value lines.
        const QByteArray report(message, int(size));
        powerSupplyChanged = powerSupplyChanged || report.contains(QByteArrayLiteral("SUBSYSTEM=power_supply"));
    }
    if (powerSupplyChanged)
        reload();
}
