#pragma once

#include <QObject>

// The two in-process notices about permissions. They carry nothing but their
// names; observers connect for the life of the process.
// - quibPermissionsChanged ("QuibPermissionsChanged"): the permissions model
//   emits it right after the refresh that follows a finished calendar
//   request, a Bluetooth state update or a location authorisation change
//   (never for Accessibility or Full Disk Access, nor for a plain refresh).
//   The calendar model re-checks its access; the HUD controller tries again to
//   take the media keys.
// - quibShowPermissions ("QuibShowPermissions"): the General settings page's
//   "Ver permissões" emits it on every press; the app core shows the
//   permissions window or brings it forward.
class PermissionNotifications : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void quibPermissionsChanged();
    void quibShowPermissions();
};
