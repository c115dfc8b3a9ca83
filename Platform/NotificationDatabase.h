#pragma once

#include <QString>

// The database of other applications' notifications: written by the
// notification journal (one record per notification, in the two tables
// `app` and `record`), read by the app notification monitor.
namespace NotificationDatabase {

// "$XDG_DATA_HOME/quib/notifications.db".
QString defaultPath();

} // namespace NotificationDatabase
