#include "BlueZStandIn.h"

#include "Wait.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace {

// Debian's interpreter, which has python3-dbusmock.
const QString python = QStringLiteral("/usr/bin/python3");

const QString prelude = QStringLiteral(R"(
import dbus, sys
bus = dbus.bus.BusConnection(sys.argv[1])
def mock(path):
    return dbus.Interface(bus.get_object('org.bluez', path), 'org.freedesktop.DBus.Mock')
bluez = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')
def device(address):
    return '/org/bluez/hci0/dev_' + address.replace(':', '_').upper()
)");

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

BlueZStandIn::BlueZStandIn(QString busAddress)
    : m_busAddress(std::move(busAddress))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_busAddress);
    m_mock.setProcessEnvironment(environment);
    // Its log of every call goes nowhere; errors still show.
    m_mock.setStandardOutputFile(QProcess::nullDevice());
    m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_mock.start(python, {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("bluez5")});
    const QString watcher = QStringLiteral("bluez-stand-in-watch");
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, watcher);
        m_running = waitUntil([&] { return m_mock.state() != QProcess::NotRunning && bus.interface()->isServiceRegistered(QStringLiteral("org.bluez")); });
    }
    QDBusConnection::disconnectFromBus(watcher);
    m_running = m_running && run(QStringLiteral("bluez.AddAdapter('hci0', 'quib-test')"));
}

BlueZStandIn::~BlueZStandIn()
{
    stop();
}

void BlueZStandIn::stop()
{
    m_running = false;
    if (m_mock.state() == QProcess::NotRunning)
        return;
    m_mock.terminate();
    if (!m_mock.waitForFinished(5000))
        m_mock.kill();
    m_mock.waitForFinished(5000);
}

bool BlueZStandIn::removeAdapter()
{
    return run(QStringLiteral("bluez.RemoveAdapter('hci0')"));
}

bool BlueZStandIn::addDevice(const QString &address, const QString &name)
{
    return run(QStringLiteral("bluez.AddDevice('hci0', %1, %2)").arg(quoted(address), quoted(name)));
}

bool BlueZStandIn::makeHeadset(const QString &address)
{
    return run(QStringLiteral(R"(
mock(device(%1)).UpdateProperties('org.bluez.Device1', {
    'Icon': 'audio-headset',
    'Class': dbus.UInt32(0x240404),
    'UUIDs': dbus.Array(['0000110b-0000-1000-8000-00805f9b34fb', '0000111e-0000-1000-8000-00805f9b34fb'], signature='s'),
}))")
                   .arg(quoted(address)));
}

bool BlueZStandIn::setConnected(const QString &address, bool connected)
{
    return run(QStringLiteral("bluez.%1('hci0', %2)").arg(connected ? QStringLiteral("ConnectDevice") : QStringLiteral("DisconnectDevice"), quoted(address)));
}

bool BlueZStandIn::setBattery(const QString &address, int percentage)
{
    return run(QStringLiteral(R"(
path = device(%1)
charge = {'Percentage': dbus.Byte(%2)}
objects = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.freedesktop.DBus.ObjectManager').GetManagedObjects()
if 'org.bluez.Battery1' in objects[path]:
    mock(path).UpdateProperties('org.bluez.Battery1', charge)
else:
    mock(path).AddProperties('org.bluez.Battery1', charge)
    mock('/').EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesAdded', 'oa{sa{sv}}',
                         [dbus.ObjectPath(path), {'org.bluez.Battery1': charge}])
)")
                   .arg(quoted(address))
                   .arg(percentage));
}

bool BlueZStandIn::removeBattery(const QString &address)
{
    // The stand-in cannot drop an interface from an object; the signal is
    // what a client follows.
    return run(QStringLiteral(R"(
mock('/').EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesRemoved', 'oas',
                     [dbus.ObjectPath(device(%1)), dbus.Array(['org.bluez.Battery1'], signature='s')])
)")
                   .arg(quoted(address)));
}

bool BlueZStandIn::run(const QString &statements) const
{
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(python, {QStringLiteral("-c"), prelude + statements, m_busAddress});
    return script.waitForFinished(15000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}
