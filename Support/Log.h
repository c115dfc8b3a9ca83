#pragma once

#include <QLoggingCategory>

// Logging categories of the app, declared in one place. Messages that users
// may see in the system log start with "Quib: ".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcDBus)
Q_DECLARE_LOGGING_CATEGORY(lcAlerts)
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcCalendar)
Q_DECLARE_LOGGING_CATEGORY(lcWeather)
Q_DECLARE_LOGGING_CATEGORY(lcUsage)
Q_DECLARE_LOGGING_CATEGORY(lcUi)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcUpdates)
