#pragma once

#include "Platform/Bluetooth.h"

#include <utility>
#include <vector>

// Bluetooth as a test describes it: the authorisation and the devices.
class FakeBluetooth final : public Bluetooth {
public:
    BluetoothAuthorization authorization() const override { return authorizationStatus; }
    QList<BluetoothDevice> audioDevices() const override { return devices; }
    // Held until the test answers with answerAuthorizationRequests().
    void requestAuthorization(std::function<void()> updated) override { m_requests.push_back(std::move(updated)); }

    // Answers every request so far with `newStatus`.
    void answerAuthorizationRequests(BluetoothAuthorization newStatus)
    {
        authorizationStatus = newStatus;
        const auto requests = std::exchange(m_requests, {});
        for (const auto &updated : requests)
            updated();
    }
    int pendingAuthorizationRequests() const { return int(m_requests.size()); }

    BluetoothAuthorization authorizationStatus = BluetoothAuthorization::allowedAlways;
    QList<BluetoothDevice> devices;

private:
    std::vector<std::function<void()>> m_requests;
};
