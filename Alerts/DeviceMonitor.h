#pragma once

#include "Alerts/NotchAlert.h"
#include "Support/Scheduler.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <optional>

class AppModel;
class AudioSystem;
class Bluetooth;

// Shows the alert strip when the default output becomes Bluetooth
// headphones, earbuds or speakers: the device's short name and, when it can
// be read, its battery. Then watches that battery and warns once per
// connection when it falls to the user's threshold. Main thread only.
class DeviceMonitor {
public:
    // The battery is asked again this long after the strip, as earbuds
    // often report it only some time after they connect.
    static constexpr double followUpDelay = 2.5;
    static constexpr double batteryWatchInterval = 300;
    static constexpr double sideWidth = 124;
    static QColor lowRed() { return QColor::fromRgbF(1.0f, 0.3f, 0.28f); }

    // Takes the current default output without a strip and starts watching.
    explicit DeviceMonitor(AppModel &model);
    DeviceMonitor(const DeviceMonitor &) = delete;
    DeviceMonitor &operator=(const DeviceMonitor &) = delete;

    // Handles a change of the default output.
    void outputChanged();
    // Watches the battery exactly while the default output is Bluetooth.
    void updateBatteryWatch();
    // The connection strip; no `battery` shows "Conectado".
    void showConnected(const QString &name, std::optional<int> battery);
    // Warns once per connection when `battery` is at or below the threshold.
    void checkLow(const QString &name, int battery);

    // The lowest known charge of the connected Bluetooth audio device whose
    // name matches `name` (equal, or one containing the other); none when
    // Bluetooth is not allowed or no device tells.
    static std::optional<int> battery(const Bluetooth &bluetooth, const QString &name);
    // "AirPods de Ana" and "Ana’s AirPods" show as "AirPods".
    static QString shortName(const QString &name);

private:
    // The sound server's default output at start, and again each time it
    // connects: what it reports then is no change of the user's.
    void takeCurrentOutput();
    bool isBluetooth(const QString &device) const;
    std::optional<int> battery(const QString &name) const;
    int threshold() const;
    NotchAlert alert(const QString &name, const QString &title, const QColor &symbolColor, const QString &trailing,
                     const QColor &trailingColor) const;
    void show(const NotchAlert &alert);

    AppModel &m_model;
    AudioSystem &m_audio;
    // Empty: no default output.
    QString m_lastDevice;
    RepeatingTimer m_batteryTimer;
    Delay m_followUp;
    bool m_warnedLow = false;
    // Context of the sound system's connections: they end with the monitor.
    QObject m_receiver;
};
