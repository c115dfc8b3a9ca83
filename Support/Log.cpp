#include "Support/Log.h"

Q_LOGGING_CATEGORY(lcApp, "quib.app")
Q_LOGGING_CATEGORY(lcSettings, "quib.settings")
Q_LOGGING_CATEGORY(lcDBus, "quib.dbus")
Q_LOGGING_CATEGORY(lcAlerts, "quib.alerts")
Q_LOGGING_CATEGORY(lcMedia, "quib.media")
Q_LOGGING_CATEGORY(lcAudio, "quib.audio")
Q_LOGGING_CATEGORY(lcCalendar, "quib.calendar")
Q_LOGGING_CATEGORY(lcWeather, "quib.weather")
Q_LOGGING_CATEGORY(lcUsage, "quib.usage")
Q_LOGGING_CATEGORY(lcUi, "quib.ui")
Q_LOGGING_CATEGORY(lcPlatform, "quib.platform")
Q_LOGGING_CATEGORY(lcUpdates, "quib.updates")
