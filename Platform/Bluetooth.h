#pragma once

#include <QList>
#include <QString>

#include <functional>

// Whether this process may talk to the Bluetooth devices.
enum class BluetoothAuthorization { notDetermined, restricted, denied, allowedAlways };

// An audio device (headphones, earbuds, speakers) known to the Bluetooth
// service, as it last reported it.
struct BluetoothDevice {
    // The name the user gave it, else its own; empty when it has none.
    QString name;
    bool isConnected = false;
    // Each charge it reports, percent, in the order it reports them (left,
    // right, single, combined where it tells them apart); 0 and values above
    // 100 mean unknown.
    QList<quint32> batteryCharges;

    bool operator==(const BluetoothDevice &) const = default;
};

// The Bluetooth audio devices and their batteries. Reads answer from what the
// service last reported, at once. Main thread only.
class Bluetooth {
public:
    virtual ~Bluetooth() = default;

    virtual BluetoothAuthorization authorization() const = 0;
    // Asks the service afresh whether Bluetooth can be used; `updated` runs
    // on the main thread once it has answered (authorization() tells the
    // answer), never before this call returns.
    virtual void requestAuthorization(std::function<void()> updated) = 0;
    // Known audio devices, connected or not, in a stable order.
    virtual QList<BluetoothDevice> audioDevices() const = 0;
};
