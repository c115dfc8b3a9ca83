#pragma once

#include "Platform/Bluetooth.h"

// Bluetooth as a test describes it: the authorisation and the devices.
class FakeBluetooth final : public Bluetooth {
public:
    BluetoothAuthorization authorization() const override { return authorizationStatus; }
    QList<BluetoothDevice> audioDevices() const override { return devices; }

    BluetoothAuthorization authorizationStatus = BluetoothAuthorization::allowedAlways;
    QList<BluetoothDevice> devices;
};
