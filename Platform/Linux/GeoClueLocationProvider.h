#pragma once

#include "Platform/LocationProvider.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <vector>

class QDBusMessage;

// The location from GeoClue2 (on the system bus in the app). Each request
// starts the GeoClue client and stops it again after the first location it
// reports. GeoClue's agent decides about access when the client starts, and
// GeoClue tells no answer otherwise: the status is not determined until a
// start was answered, then authorised or (refused) denied. Asking for access
// is a location request. A request that brings no location within `timeout` fails and stops
// the client, so the next request starts afresh.
class GeoClueLocationProvider final : public QObject, public LocationProvider {
    Q_OBJECT
public:
    static const QString service;
    static constexpr std::chrono::milliseconds defaultTimeout{30000};

    GeoClueLocationProvider(const QDBusConnection &bus, QString desktopId, std::chrono::milliseconds timeout = defaultTimeout);

    // Whether a GeoClue2 service is running or can be started on that bus.
    static bool isAvailable(const QDBusConnection &bus);

    void setDelegate(Delegate *delegate) override;
    void setDesiredAccuracy(double meters) override;
    AuthorizationStatus authorizationStatus() const override { return m_status; }
    void requestLocation() override;
    void requestAuthorization() override { requestLocation(); }
    void observeAuthorization(std::function<void(AuthorizationStatus)> handler) override { m_observers.push_back(std::move(handler)); }

private Q_SLOTS:
    void locationUpdated(const QDBusMessage &message);

private:
    // Calls `handler` with the reply to `call` while request `request` is
    // still the one running; a late reply to an ended request is dropped.
    void callForRequest(const QDBusMessage &call, quint64 request, std::function<void(const QDBusMessage &reply)> handler);
    bool isRunning(quint64 request) const { return m_requesting && request == m_request; }
    void start();
    void stopClient();
    void fail(const QString &error, bool denied);
    void setStatus(AuthorizationStatus status);

    QDBusConnection m_bus;
    QString m_desktopId;
    Delegate *m_delegate = nullptr;
    AuthorizationStatus m_status = AuthorizationStatus::notDetermined;
    std::vector<std::function<void(AuthorizationStatus)>> m_observers;
    uint m_accuracyLevel = 4;
    QString m_clientPath;
    bool m_requesting = false;
    bool m_hadDelegate = false;
    // Counts the requests, so that answers to an ended one are told apart.
    quint64 m_request = 0;
    // Single shot; Qt's timers run on the monotonic clock.
    QTimer m_timeout;
};
