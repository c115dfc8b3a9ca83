#pragma once

#include "Platform/PowerSources.h"

#include <ostream>

// Readable gtest failure messages for a battery's description.
inline void PrintTo(const PowerSources::InternalBattery &battery, std::ostream *out)
{
    *out << "{" << battery.currentCapacity.value_or(-1) << " of " << battery.maxCapacity.value_or(-1) << (battery.isCharging ? ", charging" : "")
         << (battery.isOnACPower ? ", on AC" : ", on battery") << "}";
}
