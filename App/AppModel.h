#pragma once

#include "Alerts/BannerCenter.h"
#include "Alerts/NotchAlertCenter.h"
#include "Alerts/TimerModel.h"
#include "App/Preferences.h"
#include "Audio/MicMute.h"
#include "Audio/OutputMute.h"
#include "Platform/Services.h"
#include "Shared/Sounds.h"

// The root model: owns every model for the life of the process. Controllers
// and monitors receive it and reach the models and the platform services
// through it.
class AppModel {
public:
    explicit AppModel(const Services &services);
    AppModel(const AppModel &) = delete;
    AppModel &operator=(const AppModel &) = delete;

    const Services &services() const { return m_services; }

private:
    Services m_services;

public:
    NotchAlertCenter alerts;
    TimerModel timers;
    BannerCenter banners;
    MicMute micMute;
    OutputMute outputMute;
    Preferences preferences;
    Sounds sounds;
};
