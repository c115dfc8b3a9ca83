#pragma once

#include "Platform/LocationProvider.h"

#include <QDBusConnection>
#include <QObject>

class QDBusMessage;

// The location from GeoClue2 on the system bus. Each request starts the
// GeoClue client and stops it again after the first location it reports.
// GeoClue's agent decides about access: a refused start counts as denied.
class GeoClueLocationProvider final : public QObject, public LocationProvider {
    Q_OBJECT
public:
    static const QString service;

    GeoClueLocationProvider(const QDBusConnection &bus, QString desktopId);

    // Whether a GeoClue2 service is running or can be started on that bus.
    static bool isAvailable(const QDBusConnection &bus);

    void setDelegate(Delegate *delegate) override { m_delegate = delegate; }
    void setDesiredAccuracy(double meters) override;
    AuthorizationStatus authorizationStatus() const override { return m_status; }
    void requestLocation() override;

private Q_SLOTS:
    void locationUpdated(const QDBusMessage &message);

private:
    void start();
    void fail(const QString &error, bool denied);
    void setStatus(AuthorizationStatus status);

    QDBusConnection m_bus;
    QString m_desktopId;
    Delegate *m_delegate = nullptr;
    AuthorizationStatus m_status = AuthorizationStatus::authorized;
    uint m_accuracyLevel = 4;
    QString m_clientPath;
    bool m_requesting = false;
};
