#pragma once

#include "App/AppModel.h"

#include <memory>

class ExternalAlertListener;
class HUDController;
class NotchManager;

// Owns the root model and the controllers and monitors, and runs the app's
// start-up sequence once the event loop is about to start.
class AppDelegate {
public:
    explicit AppDelegate(const Services &services);
    ~AppDelegate();
    AppDelegate(const AppDelegate &) = delete;
    AppDelegate &operator=(const AppDelegate &) = delete;

    AppModel &model() { return m_model; }

    void applicationDidFinishLaunching();

private:
    AppModel m_model;
    std::unique_ptr<NotchManager> m_notchManager;
    std::unique_ptr<HUDController> m_hud;
    std::unique_ptr<ExternalAlertListener> m_externalAlerts;
};
