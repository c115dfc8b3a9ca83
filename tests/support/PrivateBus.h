#pragma once

#include <QProcess>
#include <QString>

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

private:
    QProcess m_daemon;
    QString m_address;
    QByteArray m_previousAddress;
};
