#pragma once

#include "Alerts/NotchAlert.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

class AppModel;
class PowerSources;

// Watches the internal battery and the power-saving mode and shows alert
// strips when the charger is connected or removed, when the charge falls to
// the low-battery threshold (once per discharge, optionally with a sound),
// and when the power-saving mode is switched on or off. Main thread only.
class BatteryMonitor {
public:
    // One reading of the internal battery.
    struct Reading {
        // Charge in percent, rounded.
        int percent = 0;
        bool isCharging = false;
        // The battery is on the charger.
        bool pluggedIn = false;

        bool operator==(const Reading &) const = default;
    };

    enum class PowerMode { lowPower, normal };

    static constexpr double sideWidth = 112;
    static QColor chargingGreen() { return QColor::fromRgbF(0.3f, 0.85f, 0.4f); }
    static QColor lowBatteryRed() { return QColor::fromRgbF(1.0f, 0.3f, 0.28f); }
    static QColor lowPowerAmber() { return QColor::fromRgbF(1.0f, 0.82f, 0.2f); }

    // Observes the model's power sources for as long as the monitor lives
    // and takes the current plug state.
    explicit BatteryMonitor(AppModel &model);
    BatteryMonitor(const BatteryMonitor &) = delete;
    BatteryMonitor &operator=(const BatteryMonitor &) = delete;

    // None when the computer has no internal battery or its state is unknown.
    static std::optional<Reading> read(const PowerSources &sources);

    // Handles a change of the battery's state.
    void update();
    // Handles a switch of the power-saving mode.
    void lowPowerChanged();

    // The battery symbol of a charge.
    static QString batterySymbol(int percent);
    // The strip for the charger connected (the reading plugged in) or
    // removed.
    static NotchAlert chargerAlert(const Reading &reading);
    static NotchAlert lowBatteryAlert(int percent);
    static NotchAlert powerModeAlert(PowerMode mode, int percent);

private:
    double duration() const;

    AppModel &m_model;
    PowerSources &m_sources;
    // The plug state at the previous update; none until a reading was taken.
    std::optional<bool> m_lastPluggedIn;
    // The low-battery alert was shown in the current discharge.
    bool m_warnedLow = false;
    // The sources keep the observers for their own life: they do nothing
    // once the monitor is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
