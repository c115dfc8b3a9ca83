#pragma once

#include "Platform/PowerSources.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <vector>

class QDBusServiceWatcher;

// The battery from UPower's display device on the system bus, and the
// power-saving mode from power-profiles-daemon (its "power-saver" profile),
// under either of the names the daemon answers to. Both are mirrored from
// their change signals, so reads never wait for the bus; until UPower's
// first answer there is no battery, and that answer counts as a change. A
// daemon that leaves the bus takes its state with it; one that comes back is
// read again.
class UPowerPowerSources final : public QObject, public PowerSources {
    Q_OBJECT
public:
    // Whether UPower runs on `bus` or the bus can start it.
    static bool isAvailable(const QDBusConnection &bus);

    explicit UPowerPowerSources(const QDBusConnection &bus);

    std::optional<InternalBattery> internalBattery() const override;
    bool isLowPowerModeEnabled() const override { return m_lowPowerMode.value_or(false); }
    void observeChanges(Handler handler) override { m_changeHandlers.push_back(std::move(handler)); }
    void observeLowPowerMode(Handler handler) override { m_lowPowerHandlers.push_back(std::move(handler)); }

private Q_SLOTS:
    void deviceChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void profilesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    void readDevice();
    void readProfiles(const QString &service);
    void applyDevice(const QVariantMap &changed);
    void applyProfile(const QVariantMap &changed);
    static void notify(const std::vector<Handler> &handlers);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    // The display device's properties as last reported; empty while UPower
    // has not answered or is gone.
    QVariantMap m_device;
    // Whether the charger powers the computer, as the last battery state
    // that said so (an unknown state keeps it).
    bool m_onACPower = false;
    // None until a profiles daemon has answered.
    std::optional<bool> m_lowPowerMode;
    std::vector<Handler> m_changeHandlers;
    std::vector<Handler> m_lowPowerHandlers;
};
