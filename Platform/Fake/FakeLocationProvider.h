#pragma once

#include "Platform/LocationProvider.h"

#include <vector>

// A location service driven by the test: it counts requests, and the test
// answers them through the delegate with deliver(), fail() or authorize().
class FakeLocationProvider final : public LocationProvider {
public:
    void setDelegate(Delegate *delegate) override { m_delegate = delegate; }
    void setDesiredAccuracy(double meters) override { desiredAccuracy = meters; }
    AuthorizationStatus authorizationStatus() const override { return status; }
    void requestLocation() override { ++requests; }
    void requestAuthorization() override { ++authorizationRequests; }
    void observeAuthorization(std::function<void(AuthorizationStatus)> handler) override { m_observers.push_back(std::move(handler)); }

    Delegate *delegate() const { return m_delegate; }

    void deliver(const QList<Coordinate> &locations)
    {
        if (m_delegate)
            m_delegate->locationsUpdated(locations);
    }
    void fail(const QString &error)
    {
        if (m_delegate)
            m_delegate->locationFailed(error);
    }
    void authorize(AuthorizationStatus newStatus)
    {
        status = newStatus;
        if (m_delegate)
            m_delegate->locationAuthorizationChanged(newStatus);
        const auto observers = m_observers;
        for (const auto &observer : observers)
            observer(newStatus);
    }

    AuthorizationStatus status = AuthorizationStatus::authorized;
    double desiredAccuracy = 0;
    int requests = 0;
    int authorizationRequests = 0;

private:
    Delegate *m_delegate = nullptr;
    std::vector<std::function<void(AuthorizationStatus)>> m_observers;
};
