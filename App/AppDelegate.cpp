#include "App/AppDelegate.h"

#include "Alerts/ExternalAlertListener.h"

AppDelegate::AppDelegate(const Services &services)
    : m_model(services)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    m_externalAlerts = std::make_unique<ExternalAlertListener>(m_model);
}
