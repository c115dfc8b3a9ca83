#pragma once

#include "Platform/Bluetooth.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QMap>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <vector>

class QDBusArgument;
class QDBusMessage;

// Bluetooth from BlueZ (on the system bus in the app): a main-thread mirror
// of its adapters, devices and batteries, loaded with the object manager's
// list and kept up to date by its signals; every call is asynchronous.
// Reloaded when BlueZ starts again; empty while it is absent, which is logged
// once. Bluetooth is allowed once BlueZ has answered with an adapter, and not
// determined otherwise (nothing to refuse: no BlueZ, or no adapter).
class BlueZBluetooth final : public QObject, public Bluetooth {
    Q_OBJECT
public:
    explicit BlueZBluetooth(const QDBusConnection &bus);

    BluetoothAuthorization authorization() const override;
    void requestAuthorization(std::function<void()> updated) override;
    QList<BluetoothDevice> audioDevices() const override;

    // Whether the device with these `org.bluez.Device1` properties plays
    // audio: its class, icon or services say so.
    static bool isAudioDevice(const QVariantMap &properties);

private Q_SLOTS:
    void interfacesAdded(const QDBusMessage &message);
    void interfacesRemoved(const QDBusMessage &message);
    void propertiesChanged(const QDBusMessage &message);

private:
    // The interfaces of one object and their properties.
    using Interfaces = QMap<QString, QVariantMap>;

    void load();
    void unavailable(const QString &reason);
    void answerAuthorizationRequests();
    void addInterfaces(const QString &path, const Interfaces &interfaces);
    static Interfaces readInterfaces(const QDBusArgument &argument);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    // BlueZ answered the last load.
    bool m_loaded = false;
    // Callers waiting for the answer to the running load.
    std::vector<std::function<void()>> m_authorizationRequests;
    // Counts the loads, so that the answer to a superseded one is dropped.
    quint64 m_load = 0;
    bool m_reportedAbsence = false;
    // Object path → interfaces, for the objects that have a device or a
    // battery interface. Ordered by path, which keeps the devices' order
    // stable.
    QMap<QString, Interfaces> m_objects;
};
