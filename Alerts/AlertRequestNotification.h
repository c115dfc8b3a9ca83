#pragma once

// The distributed notification that carries an alert request from the
// command line (and scripts) to the running app's ExternalAlertListener.
// Plain text, so that the command words name it without Qt.
namespace AlertRequestNotification {
inline constexpr const char *name = "com.brenvask.Quib.notify";
}
