#pragma once

#include "App/Preferences.h"
#include "Platform/Screens.h"
#include "Support/Observation.h"
#include "Support/Scheduler.h"

#include <QList>

#include <memory>
#include <vector>

class AppModel;
class NotchWindowController;

// One notch panel on every selected screen. The panels are replaced as a
// whole when the screens change or one of the eight settings that shape a
// panel does, and a panel hides while its screen shows a full-screen window.
// The panels bypass the window manager, so a window mapped or raised later
// would cover them: they are raised again after every such change.
// Created once, after the models have started; the first panels appear in
// the constructor.
class NotchManager {
public:
    // The check after an activation is repeated this much later, when the
    // window manager has settled the new window's state.
    static constexpr double fullscreenRecheckDelay = 0.9;

    explicit NotchManager(AppModel &model);
    ~NotchManager();
    NotchManager(const NotchManager &) = delete;
    NotchManager &operator=(const NotchManager &) = delete;

    // One per selected screen, in the order of selectedScreens().
    const std::vector<std::unique_ptr<NotchWindowController>> &controllers() const { return m_controllers; }

    // Opens the mixer pinned on every panel.
    void debugOpenMixerFromMenu();

    // The screens that get a panel, from the screen list (primary first).
    static QList<Screens::Screen> selectedScreens(const QList<Screens::Screen> &screens, DisplayMode mode, bool simulatedNotch);

private:
    void rebuild();
    void observePreferences();
    void scheduleFullscreenCheck();
    void checkFullscreen();
    void raisePanels();

    AppModel &m_model;
    // Cleared when the manager goes; the platform's observers outlive it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<NotchWindowController>> m_controllers;
    Delay m_fullscreenWork;
    std::unique_ptr<ObservationLoop> m_preferences;
};
