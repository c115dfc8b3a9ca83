#pragma once

#include "Alerts/NotchAlert.h"
#include "Alerts/NotchBanner.h"
#include "App/AppModel.h"
#include "Settings/SettingsRouter.h"
#include "Support/Observation.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>

class AppNotificationMonitor;
class BatteryMonitor;
class DebugCommands;
class DeviceMonitor;
class ExternalAlertListener;
class FocusMonitor;
class HUDController;
class LockScreenController;
class NotchManager;
class OnboardingView;
class QMenu;
class SettingsView;

// Owns the root model and the controllers and monitors, runs the app's
// start-up sequence once the event loop is about to start, carries the
// notch's right-click menu, the microphone toast and the finished-timer
// alert, arms the diagnostic channel when asked to, and tidies up when the
// app quits.
class AppDelegate {
public:
    // The timer menu's presets, in minutes.
    static constexpr std::array<int, 9> timerPresets{1, 3, 5, 10, 15, 25, 30, 45, 60};
    static constexpr double micToastDuration = 1.6;
    static constexpr double timerAlertDuration = 6;
    // After launch, on launches after the onboarding was finished.
    static constexpr double fullDiskAccessHintDelay = 6;

    // `bridgeFiles`: the media bridge the model starts at launch.
    explicit AppDelegate(const Services &services, MediaBridgeProcess::Files bridgeFiles = MediaBridgeProcess::Files::bundled());
    ~AppDelegate();
    AppDelegate(const AppDelegate &) = delete;
    AppDelegate &operator=(const AppDelegate &) = delete;

    AppModel &model() { return m_model; }
    // None before launch.
    NotchManager *notchManager() { return m_notchManager.get(); }
    // The lock screen's windows; none before launch.
    LockScreenController *lockScreen() { return m_lockScreen.get(); }
    // The Focus monitor, from launch on (none before).
    FocusMonitor *focus() const { return m_focus.get(); }
    // Other applications' notifications; none before launch.
    AppNotificationMonitor *appNotifications() { return m_appNotifications.get(); }

    // The start-up sequence: starts the model, creates the controllers and
    // monitors, arms the microphone toast and hot key, the finished-timer
    // alert, the notch's menu, the reopen requests, the requests to show the
    // permissions and, when "debugHooks" is true, the diagnostic channel;
    // then the welcome window until it was finished once, or else the
    // notifications hint 6 s later. Called once.
    void applicationDidFinishLaunching();
    // The clean-up when the app quits (its own quit or a termination
    // signal): the microphone is never left muted by the app, and the media
    // bridge ends without being started again.
    void applicationWillTerminate();
    // Another launch of the app while this one runs.
    void applicationShouldHandleReopen();

    // The notch's right-click menu, built anew from the settings and the
    // timer at each call; installed at launch as the notch's menu provider.
    // The menu deletes itself once it has been shown and hidden; a menu that
    // is never shown belongs to the caller.
    QMenu *makeMenu();

    // Shows the settings window, created on first use, and brings it to the
    // front.
    void openSettings();
    // Shows the welcome and permissions window, made on first use; later
    // calls bring the same window forward.
    void showOnboarding();
    // None before the first showOnboarding().
    OnboardingView *onboarding() const { return m_onboarding.get(); }
    // Once in the life of the user defaults, with app notifications on and
    // the notification database unreadable: a banner that leads to the
    // access.
    void suggestFullDiskAccess();
    static NotchBanner fullDiskAccessBanner();

    // Hides the settings window; it is kept, with its page, for the next
    // opening.
    void closeSettings();
    // Selects `page` (when it is not already selected) and opens the window.
    void openSettings(SettingsPageID page);
    SettingsRouter &settingsRouter() { return m_settingsRouter; }
    // None until the settings were first opened.
    SettingsView *settingsWindow() const { return m_settingsWindow.get(); }
    // Opens the mixer of the notch whose menu was used, if it still exists.
    void openMixer();
    void startTimer(int minutes);
    void cancelTimer();
    // Quits the app; the clean-up runs as the event loop ends.
    void quit();

    // The microphone toast after the hot key toggles the mute.
    static NotchAlert micToast(bool muted);
    // The strip shown when a countdown ends.
    static NotchAlert timerAlert();

private:
    void setUpMicMute();
    void applyMicShortcut();
    void timerFinished();
    void setUpDebugHooks();
    // Wraps delegate work handed to longer-lived objects: it does nothing
    // once the delegate is gone.
    std::function<void()> whileAlive(std::function<void()> work) const;

    AppModel m_model;
    const MediaBridgeProcess::Files m_bridgeFiles;
    // Outlives every settings window, so the page survives closing it.
    SettingsRouter m_settingsRouter;
    std::unique_ptr<NotchManager> m_notchManager;
    std::unique_ptr<LockScreenController> m_lockScreen;
    std::unique_ptr<HUDController> m_hud;
    std::unique_ptr<BatteryMonitor> m_battery;
    std::unique_ptr<ExternalAlertListener> m_externalAlerts;
    std::unique_ptr<FocusMonitor> m_focus;
    std::unique_ptr<DeviceMonitor> m_deviceMonitor;
    std::unique_ptr<AppNotificationMonitor> m_appNotifications;
    // Declared after the models and monitors its pages read, so it goes first.
    std::unique_ptr<SettingsView> m_settingsWindow;
    std::unique_ptr<ObservationLoop> m_micPreferenceLoop;
    std::unique_ptr<OnboardingView> m_onboarding;
    Delay m_fullDiskAccessHint;
    // Only while the diagnostic channel is armed.
    std::unique_ptr<DebugCommands> m_debugCommands;
    // Context of the menus' and the permission requests' connections: they
    // end with the delegate.
    QObject m_menuReceiver;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
