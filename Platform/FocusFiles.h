#pragma once

#include <QByteArray>
#include <QString>

// The two JSON files that describe the active Focus (do-not-disturb) mode:
// "Assertions.json" holds the active assertions, "ModeConfigurations.json"
// the modes' names and symbols. The platform writes them from the desktop's
// own do-not-disturb switch; FocusMonitor only reads them.
namespace FocusFiles {

inline constexpr auto assertionsName = "Assertions.json";
inline constexpr auto modeConfigurationsName = "ModeConfigurations.json";

// The folder that holds the two files: $XDG_DATA_HOME/quib/focus.
QString directory();

// The identifier of the desktop's single do-not-disturb mode.
QString doNotDisturbIdentifier();

// "Assertions.json" with one assertion of the do-not-disturb mode when
// `active`, else with none.
QByteArray assertions(bool active);
// "ModeConfigurations.json" describing the do-not-disturb mode.
QByteArray modeConfigurations();

} // namespace FocusFiles
