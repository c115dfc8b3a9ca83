#pragma once

#include "Platform/PowerSources.h"

#include <vector>

// A battery and power-saving mode set by a test. setBattery() and
// setLowPowerMode() store the new state and tell the observers at once, as
// the system does when the charger is plugged in or the mode switched.
class FakePowerSources final : public PowerSources {
public:
    std::optional<InternalBattery> internalBattery() const override { return battery; }
    bool isLowPowerModeEnabled() const override { return lowPowerMode; }
    void observeChanges(Handler handler) override { m_changeHandlers.push_back(std::move(handler)); }
    void observeLowPowerMode(Handler handler) override { m_lowPowerHandlers.push_back(std::move(handler)); }

    void setBattery(const std::optional<InternalBattery> &changed)
    {
        battery = changed;
        notify(m_changeHandlers);
    }
    void setLowPowerMode(bool enabled)
    {
        lowPowerMode = enabled;
        notify(m_lowPowerHandlers);
    }

    // A battery at `percent` of a 100-unit capacity.
    static InternalBattery batteryAt(double percent, bool onACPower, bool charging = false)
    {
        return InternalBattery{percent, 100.0, charging, onACPower};
    }

    // Set directly, the state changes without telling anyone.
    std::optional<InternalBattery> battery;
    bool lowPowerMode = false;

private:
    static void notify(const std::vector<Handler> &handlers)
    {
        const auto copy = handlers;
        for (const Handler &handler : copy)
            handler();
    }

    std::vector<Handler> m_changeHandlers;
    std::vector<Handler> m_lowPowerHandlers;
};
