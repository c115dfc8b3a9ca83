#include "Platform/NotificationDatabase.h"

#include <QStandardPaths>

QString NotificationDatabase::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/notifications.db");
}
