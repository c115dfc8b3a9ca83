#pragma once

#include "Support/RawEnum.h"

#include <QColor>
#include <QString>

// The thirteen pages of the settings window, in sidebar order of
// declaration; the raw values are the case names.
enum class SettingsPageID { general, notifications, messages, battery, connectivity, focus, display, sound, nowPlaying, calendar, timers, lockScreen, about };

template <>
inline constexpr std::array rawEnumCases<SettingsPageID>{
    std::pair{SettingsPageID::general, "general"},     std::pair{SettingsPageID::notifications, "notifications"},
    std::pair{SettingsPageID::messages, "messages"},   std::pair{SettingsPageID::battery, "battery"},
    std::pair{SettingsPageID::connectivity, "connectivity"}, std::pair{SettingsPageID::focus, "focus"},
    std::pair{SettingsPageID::display, "display"},     std::pair{SettingsPageID::sound, "sound"},
    std::pair{SettingsPageID::nowPlaying, "nowPlaying"}, std::pair{SettingsPageID::calendar, "calendar"},
    std::pair{SettingsPageID::timers, "timers"},       std::pair{SettingsPageID::lockScreen, "lockScreen"},
    std::pair{SettingsPageID::about, "about"},
};

namespace SettingsPages {

// The page's name in the sidebar and its header.
QString title(SettingsPageID page);
// The symbol of its icon.
QString symbol(SettingsPageID page);
// The colour of its icon.
QColor color(SettingsPageID page);

} // namespace SettingsPages
