#include "App/AppModel.h"

AppModel::AppModel(const Services &services)
    : m_services(services)
    , alerts(services.scheduler)
    , timers(services.scheduler)
    , banners(services.scheduler, services.workspace)
    , micMute(services.audio, services.keyCapture)
    , outputMute(services.audio)
    , preferences(services.defaults)
    , sounds(services.soundPlayer)
{
}
