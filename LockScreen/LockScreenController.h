#pragma once

#include "LockScreen/LockScreenState.h"
#include "Platform/Screens.h"
#include "Platform/SessionLock.h"
#include "Support/Observation.h"
#include "Support/Scheduler.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class AppModel;
class FrameAnimation;
class LockMuteIndicator;
class LockScreenPanel;

// Puts the app's own windows above the lock screen while the session is
// locked: the player panel (player card and weather pill), a blurred
// backdrop on every screen while the card is large or shows lyrics, and the
// mute indicator. It plays a sound on lock and unlock, keeps the display
// awake for a while after locking, and hides the player once playback has
// stayed paused for the idle time. Created once at launch, right after the
// notch manager. Main thread only.
class LockScreenController {
public:
    static constexpr QSize panelSize{440, 640};
    // How high above the first screen's bottom edge the panel sits, as a
    // share of the screen's height (before the offset setting).
    static constexpr double panelLift = 0.24;
    // `playerBottomInset` is the panel's distance from the bottom edge plus
    // this.
    static constexpr double insetMargin = 10;
    static constexpr double previewDuration = 20;
    static constexpr double loginScanInterval = 1;
    static constexpr double playerFadeIn = 0.35;
    static constexpr double playerFadeOut = 0.2;
    static constexpr double backdropFadeIn = 0.6;
    static constexpr double backdropFadeOut = 0.45;
    // What the keep-awake request is called.
    static const QString keepAwakeReason;

    explicit LockScreenController(AppModel &model);
    ~LockScreenController();
    LockScreenController(const LockScreenController &) = delete;
    LockScreenController &operator=(const LockScreenController &) = delete;

    // Shows the player on the desktop for 20 s without locking (the
    // diagnostic channel's "lock-preview"); nothing while locked.
    void preview();

    LockScreenState &state() { return m_state; }
    LockMuteIndicator &muteIndicator() { return *m_muteIndicator; }

    // What is on screen now.
    bool isLocked() const { return m_isLocked; }
    bool isPreview() const { return m_isPreview; }
    LockScreenPanel *playerPanel() const;
    QList<LockScreenPanel *> backdrops() const;
    bool isTrackingLoginUI() const { return m_loginTimer.isActive(); }
    bool isKeepingAwake() const { return m_keepAwakeAssertion != 0; }

    // The player panel's rectangle on the first of `screens` (global
    // coordinates, y downwards): 440 × 640, centred, its bottom edge 24 % of
    // the screen's height plus `lockOffset` (points, up) above the screen's
    // bottom edge, rounded to whole points. None without a screen.
    static std::optional<QRect> frame(const QList<Screens::Screen> &screens, double lockOffset);
    // The distance from the bottom edge of `screen` to the bottom edge of
    // `rect`, plus 10.
    static double bottomInset(const QRect &rect, const QRect &screen);

private:
    struct Window;

    void didLock();
    void didUnlock();
    void refresh();
    bool wantsPlayer() const;
    bool wantsWeather() const;
    std::optional<QRect> frame() const;
    void updateInset(const QRect &rect);
    void show(bool onLockScreen);
    void hide();
    void fadeOut(std::unique_ptr<Window> window, double duration);
    void updateBackdrop();
    void showBackdrops();
    void removeBackdrops(double duration);
    void startTrackingLoginUI();
    void stopTrackingLoginUI();
    void updateLoginItems();
    void startKeepAwake();
    void stopKeepAwake();
    void updateIdleTimer();
    void observeContent();
    void observeBackdrop();
    void observeLyrics();
    // A fade of `window` to `opacity`; `done` runs when it gets there.
    void fade(Window &window, double opacity, double duration, std::function<void()> done = {});

    AppModel &m_model;
    Scheduler &m_scheduler;
    LockScreenState m_state;
    std::unique_ptr<Window> m_panel;
    std::vector<std::unique_ptr<Window>> m_backdrops;
    // Panels fading out; each closes when its fade ends.
    std::vector<std::unique_ptr<Window>> m_leaving;
    bool m_isLocked = false;
    bool m_isPreview = false;
    Delay m_previewWork;
    Delay m_idleWork;
    bool m_playerIdleExpired = false;
    SessionLock::Inhibition m_keepAwakeAssertion = 0;
    Delay m_keepAwakeWork;
    RepeatingTimer m_loginTimer;
    std::unique_ptr<LockMuteIndicator> m_muteIndicator;
    std::unique_ptr<ObservationLoop> m_contentLoop;
    std::unique_ptr<ObservationLoop> m_backdropLoop;
    std::unique_ptr<ObservationLoop> m_lyricsLoop;
    // The lock observation outlives the controller in the platform service.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
