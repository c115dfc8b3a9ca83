#pragma once

#include <QObject>

// In-process notice that a permission may have changed
// ("QuibPermissionsChanged"): the permissions model emits it after a request
// it made has finished; the calendar model re-checks its access.
class PermissionNotifications : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void quibPermissionsChanged();
};
