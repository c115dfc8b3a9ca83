#include "App/AppModel.h"

AppModel::AppModel(const Services &services)
    : m_services(services)
    , nowPlaying(services.scheduler, services.workspace, services.windowServer)
    , weather(services.scheduler, services.location)
    , alerts(services.scheduler)
    , timers(services.scheduler)
    , banners(services.scheduler, services.workspace)
    , micMute(services.audio, services.keyCapture)
    , outputMute(services.audio)
    , claudeUsage(services)
    , preferences(services.defaults)
    , calendar(preferences, services, sounds, permissionNotifications)
    , sounds(services.soundPlayer)
{
}
