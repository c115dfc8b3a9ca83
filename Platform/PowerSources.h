#pragma once

#include <functional>
#include <optional>

// The computer's internal battery and its power-saving mode. Reads answer at
// once from what the system last reported; changes are reported on the main
// thread. Main thread only.
class PowerSources {
public:
    using Handler = std::function<void()>;

    // The internal battery as the system describes it. A capacity the system
    // does not report is none.
    struct InternalBattery {
        std::optional<double> currentCapacity;
        std::optional<double> maxCapacity;
        bool isCharging = false;
        // Powered by the charger (whether or not it charges).
        bool isOnACPower = false;

        bool operator==(const InternalBattery &) const = default;
    };

    virtual ~PowerSources() = default;

    // None when the computer has no internal battery or its state is not
    // known (yet).
    virtual std::optional<InternalBattery> internalBattery() const = 0;
    // The power-saving mode (Low Power Mode) is on.
    virtual bool isLowPowerModeEnabled() const = 0;

    // Called after the battery's description may have changed.
    virtual void observeChanges(Handler handler) = 0;
    // Called when the power-saving mode is switched on or off.
    virtual void observeLowPowerMode(Handler handler) = 0;
};
