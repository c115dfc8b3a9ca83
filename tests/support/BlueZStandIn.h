#pragma once

#include <QProcess>
#include <QString>

// A stand-in for BlueZ on a test's private bus (python3-dbusmock's bluez5
// template) with one adapter, "hci0". The test changes its devices, named by
// address, as BlueZ reports a headset that pairs, connects and tells its
// battery. Each change is made, and its signals sent, when the call returns.
class BlueZStandIn {
public:
    explicit BlueZStandIn(QString busAddress);
    ~BlueZStandIn();
    BlueZStandIn(const BlueZStandIn &) = delete;
    BlueZStandIn &operator=(const BlueZStandIn &) = delete;

    // Whether it holds BlueZ's name on the bus.
    bool isRunning() const { return m_running; }
    void stop();

    // Takes the adapter away, as when it is unplugged.
    bool removeAdapter();
    // A device as BlueZ first sees it: disconnected, with no class, icon or
    // services yet.
    bool addDevice(const QString &address, const QString &name);
    // Its class, icon and services now say it is a headset.
    bool makeHeadset(const QString &address);
    bool setConnected(const QString &address, bool connected);
    // Adds its battery interface with this charge, or changes the charge.
    bool setBattery(const QString &address, int percentage);
    // Reports its battery interface gone, as BlueZ does at a disconnection.
    bool removeBattery(const QString &address);

private:
    // Runs Python statements with `bus`, `mock(path)`, `bluez` and
    // `device(address)` defined; true when they succeeded.
    bool run(const QString &statements) const;

    QString m_busAddress;
    QProcess m_mock;
    bool m_running = false;
};
