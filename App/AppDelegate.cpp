#include "App/AppDelegate.h"

#include "Alerts/ExternalAlertListener.h"
#include "Alerts/HUDController.h"
#include "Notch/NotchManager.h"

AppDelegate::AppDelegate(const Services &services)
    : m_model(services)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    m_notchManager = std::make_unique<NotchManager>(m_model);
    m_hud = std::make_unique<HUDController>(m_model);
    m_externalAlerts = std::make_unique<ExternalAlertListener>(m_model);
}
