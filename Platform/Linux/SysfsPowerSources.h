#pragma once

#include "Platform/PowerSources.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <vector>

class QSocketNotifier;

// The battery read from the kernel's power supplies, for systems without
// UPower. The folder is read off the main thread at start and after each
// kernel report of a power-supply change (a uevent); the kernel reports the
// charger and the battery's state changes, but not every change of the
// charge. Knows no power-saving mode: that comes with UPower only.
class SysfsPowerSources final : public QObject, public PowerSources {
    Q_OBJECT
public:
    static inline const QString defaultRoot = QStringLiteral("/sys/class/power_supply");

    // The computer's own battery in `root` as it is now: the first battery
    // that powers the computer (not a peripheral's), with the charger online
    // when any other supply is, or, without any, when the battery says so.
    // None without such a battery.
    static std::optional<InternalBattery> readBattery(const QString &root);

    explicit SysfsPowerSources(const QString &root = defaultRoot);
    ~SysfsPowerSources() override;

    std::optional<InternalBattery> internalBattery() const override { return m_battery; }
    bool isLowPowerModeEnabled() const override { return false; }
    void observeChanges(Handler handler) override { m_handlers.push_back(std::move(handler)); }
    void observeLowPowerMode(Handler) override {}

private:
    void reload();
    void readUevents();

    QString m_root;
    QThreadPool m_reads;
    std::optional<InternalBattery> m_battery;
    // A read is running; a change meanwhile reads again after it.
    bool m_reading = false;
    bool m_readAgain = false;
    int m_uevents = -1;
    QSocketNotifier *m_ueventNotifier = nullptr;
    std::vector<Handler> m_handlers;
};
