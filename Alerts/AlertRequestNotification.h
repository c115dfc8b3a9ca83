#pragma once

#include <QString>

// The distributed notification that carries an alert request from the
// command line (and scripts) to the running app's ExternalAlertListener.
namespace AlertRequestNotification {
inline const QString name = QStringLiteral("com.brenvask.Quib.notify");
}
