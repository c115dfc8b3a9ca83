#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

// A private D-Bus session bus for one test: a dbus-daemon of its own, whose
// address goes into DBUS_SESSION_BUS_ADDRESS for this process and the
// processes it starts. Stopped when destroyed.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

    // A connection of this process to the private bus, under a name of its
    // own (the shared session connection would outlive this bus).
    QDBusConnection connect(const QString &name);

private:
    QProcess m_daemon;
    QString m_address;
    QByteArray m_previousAddress;
    QStringList m_connectionNames;
};
