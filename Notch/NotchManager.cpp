#include "Notch/NotchManager.h"

#include "App/AppModel.h"
#include "Notch/NotchPanel.h"
#include "Notch/NotchWindowController.h"
#include "Platform/WindowServer.h"

#include <algorithm>

NotchManager::NotchManager(AppModel &model)
    : m_model(model)
    , m_fullscreenWork(model.services().scheduler)
{
    const Services &services = model.services();
    // The observations last as long as the services, which outlive the
    // manager only in tests; the guard keeps a late call from reaching it.
    const auto whileAlive = [alive = m_alive](auto work) {
        return [alive, work] {
            if (*alive)
                work();
        };
    };
    services.screens.observeChanges(whileAlive([this] { rebuild(); }));
    services.windowServer.observeActivation(whileAlive([this] { scheduleFullscreenCheck(); }));
    // A window that changes its own state has settled it already.
    services.windowServer.observeFullscreenStates(whileAlive([this] { checkFullscreen(); }));
    services.windowServer.observeStacking(whileAlive([this] { raisePanels(); }));
    rebuild();
    observePreferences();
}

NotchManager::~NotchManager()
{
    *m_alive = false;
    for (const auto &controller : m_controllers)
        controller->close();
}

QList<Screens::Screen> NotchManager::selectedScreens(const QList<Screens::Screen> &screens, DisplayMode mode, bool simulatedNotch)
{
    const auto hasHousing = [](const Screens::Screen &screen) { return screen.safeAreaTopInset > 0; };
    QList<Screens::Screen> candidates = screens;
    if (!simulatedNotch)
        candidates.removeIf([&](const Screens::Screen &screen) { return !hasHousing(screen); });

    switch (mode) {
    case DisplayMode::all:
        return candidates;
    case DisplayMode::notched: {
        QList<Screens::Screen> notched = candidates;
        notched.removeIf([&](const Screens::Screen &screen) { return !hasHousing(screen); });
        if (notched.isEmpty() && !candidates.isEmpty())
            notched.append(candidates.first());
        return notched;
    }
    case DisplayMode::main:
        // The primary screen, and only when it is a candidate.
        if (!screens.isEmpty() && candidates.contains(screens.first()))
            return {screens.first()};
        return {};
    }
    return {};
}

void NotchManager::rebuild()
{
    for (const auto &controller : m_controllers)
        controller->close();
    m_controllers.clear();
    const Preferences &preferences = m_model.preferences;
    const auto screens = selectedScreens(m_model.services().screens.screens(), preferences.displayMode.value(), preferences.simulatedNotch.value());
    for (const Screens::Screen &screen : screens)
        m_controllers.push_back(std::make_unique<NotchWindowController>(screen, m_model));
    checkFullscreen();
}

void NotchManager::observePreferences()
{
    Preferences &preferences = m_model.preferences;
    // A panel is never reconfigured: its frame, metrics and content are
    // fixed when it is built, so these settings replace every panel. Other
    // settings the notch reads take effect in place.
    m_preferences = std::make_unique<ObservationLoop>(
        m_model.services().scheduler,
        [&preferences] {
            preferences.displayMode.value();
            preferences.simulatedNotch.value();
            preferences.simulatedStyle.value();
            preferences.hideFromScreenCapture.value();
            preferences.idleActivity.value();
            preferences.nowPlayingEnabled.value();
            preferences.calendarEnabled.value();
            preferences.hideInFullscreen.value();
        },
        [this] { rebuild(); });
}

void NotchManager::scheduleFullscreenCheck()
{
    checkFullscreen();
    m_fullscreenWork.start(fullscreenRecheckDelay, [this] { checkFullscreen(); });
}

void NotchManager::checkFullscreen()
{
    if (!m_model.preferences.hideInFullscreen.value()) {
        for (const auto &controller : m_controllers)
            controller->viewModel().setSuppressed(false);
        return;
    }
    const auto fullscreen = m_model.services().windowServer.fullscreenDisplayIdentifiers();
    // Without an answer the panels keep what they have.
    if (!fullscreen)
        return;
    // "Main" stands for every screen.
    const bool all = fullscreen->contains(QStringLiteral("Main"));
    for (const auto &controller : m_controllers) {
        const QString &identifier = controller->screen().identifier;
        controller->setSuppressed(all || (!identifier.isEmpty() && fullscreen->contains(identifier)));
    }
}

void NotchManager::raisePanels()
{
    for (const auto &controller : m_controllers)
        controller->panel().raise();
}

void NotchManager::debugOpenMixerFromMenu()
{
    for (const auto &controller : m_controllers)
        controller->openMixer();
}
