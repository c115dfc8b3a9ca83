#pragma once

#include "Alerts/BannerCenter.h"
#include "Alerts/NotchAlertCenter.h"
#include "Alerts/TimerModel.h"
#include "App/ClaudeUsage.h"
#include "App/Preferences.h"
#include "Audio/MicMute.h"
#include "Audio/OutputMute.h"
#include "Calendar/CalendarModel.h"
#include "Calendar/WeatherModel.h"
#include "NowPlaying/NowPlayingModel.h"
#include "Platform/Services.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"

#include <QBindable>
#include <QProperty>

// The root model: owns every model for the life of the process. Controllers
// and monitors receive it and reach the models and the platform services
// through it.
class AppModel {
public:
    explicit AppModel(const Services &services);
    AppModel(const AppModel &) = delete;
    AppModel &operator=(const AppModel &) = delete;

    const Services &services() const { return m_services; }

    // The song peek is on.
    bool isPeekingSong() const { return m_isPeekingSong.value(); }
    QBindable<bool> bindableIsPeekingSong() { return &m_isPeekingSong; }
    // The peek shows even without media (the diagnostic peek).
    bool isPeekForced() const { return m_isPeekForced.value(); }
    QBindable<bool> bindableIsPeekForced() { return &m_isPeekForced; }
    // The open panel is shown as a preview.
    bool isPreviewingOpen() const { return m_isPreviewingOpen.value(); }
    QBindable<bool> bindableIsPreviewingOpen() { return &m_isPreviewingOpen; }

private:
    Services m_services;
    QProperty<bool> m_isPeekingSong{false};
    QProperty<bool> m_isPeekForced{false};
    QProperty<bool> m_isPreviewingOpen{false};

public:
    NowPlayingModel nowPlaying;
    WeatherModel weather;
    NotchAlertCenter alerts;
    TimerModel timers;
    BannerCenter banners;
    MicMute micMute;
    OutputMute outputMute;
    ClaudeUsage claudeUsage;
    Preferences preferences;
    // "QuibPermissionsChanged" and "QuibShowPermissions".
    PermissionNotifications permissionNotifications;
    CalendarModel calendar;
    Sounds sounds;
};
