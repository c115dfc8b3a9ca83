#include "LockScreen/LockScreenController.h"

#include "App/AppModel.h"
#include "LockScreen/LockBackdropView.h"
// Completes the lyrics view the backdrop header hands out.
#include "LockScreen/LyricsView.h"
#include "LockScreen/LockMuteIndicator.h"
#include "LockScreen/LockScreenPanel.h"
#include "LockScreen/LockScreenPlayerView.h"
#include "LockScreen/LoginUILocator.h"
#include "Platform/WindowServer.h"
#include "Support/FrameAnimation.h"
#include "Support/Log.h"

#include <QWindow>

#include <algorithm>
#include <cmath>

const QString LockScreenController::keepAwakeReason = QStringLiteral("Quib: tela de bloqueio");

namespace {

// An offset beyond this moves the panel far off every screen; the bound
// keeps the arithmetic in whole points.
constexpr double offsetBound = 1e6;

} // namespace

// A lock-screen panel and its opacity animation.
struct LockScreenController::Window {
    std::unique_ptr<LockScreenPanel> panel;
    std::unique_ptr<FrameAnimation> fade;
};

LockScreenController::LockScreenController(AppModel &model)
    : m_model(model)
    , m_scheduler(model.services().scheduler)
    , m_state(model.services().audio)
    , m_previewWork(m_scheduler)
    , m_idleWork(m_scheduler)
    , m_keepAwakeWork(m_scheduler)
    , m_loginTimer(m_scheduler)
    , m_muteIndicator(std::make_unique<LockMuteIndicator>(model))
{
    model.services().sessionLock.observe([this, alive = std::weak_ptr<bool>(m_alive)](SessionLock::Change change) {
        if (!alive.lock())
            return;
        if (change == SessionLock::Change::locked)
            didLock();
        else
            didUnlock();
    });
    observeContent();
    observeBackdrop();
    observeLyrics();
}

LockScreenController::~LockScreenController()
{
    stopKeepAwake();
    if (m_panel)
        m_state.volume().stopObserving();
}

LockScreenPanel *LockScreenController::playerPanel() const
{
    return m_panel ? m_panel->panel.get() : nullptr;
}

QList<LockScreenPanel *> LockScreenController::backdrops() const
{
    QList<LockScreenPanel *> panels;
    for (const auto &backdrop : m_backdrops)
        panels.append(backdrop->panel.get());
    return panels;
}

std::optional<QRect> LockScreenController::frame(const QList<Screens::Screen> &screens, double lockOffset)
{
    if (screens.isEmpty())
        return std::nullopt;
    const QRect screen = screens.first().frame;
    const double offset = std::isfinite(lockOffset) ? std::clamp(lockOffset, -offsetBound, offsetBound) : 0;
    const double x = std::round(screen.x() + screen.width() / 2.0 - panelSize.width() / 2.0);
    // The lift is the bottom edge's height above the screen's bottom
    // edge; y grows downwards here.
    const double lift = std::round(panelLift * screen.height() + offset);
    const double y = screen.y() + screen.height() - lift - panelSize.height();
    return QRect(QPoint(int(x), int(y)), panelSize);
}

double LockScreenController::bottomInset(const QRect &rect, const QRect &screen)
{
    return double(screen.y() + screen.height()) - double(rect.y() + rect.height()) + insetMargin;
}

std::optional<QRect> LockScreenController::frame() const
{
    return frame(m_model.services().screens.screens(), m_model.preferences.lockOffset.value());
}

void LockScreenController::didLock()
{
    m_isLocked = true;
    m_muteIndicator->setLocked(true);
    if (m_muteIndicator->wantsIndicator())
        m_muteIndicator->show();
    else
        m_muteIndicator->hide();
    m_isPreview = false;
    m_previewWork.cancel();
    m_playerIdleExpired = false;
    hide();
    if (m_model.preferences.soundOnLock.value())
        m_model.sounds.play(Sounds::Kind::lockChime);
    startKeepAwake();
    updateIdleTimer();
    refresh();
}

void LockScreenController::didUnlock()
{
    m_isLocked = false;
    m_muteIndicator->setLocked(false);
    if (m_muteIndicator->wantsIndicator())
        m_muteIndicator->show();
    else
        m_muteIndicator->hide();
    m_idleWork.cancel();
    stopKeepAwake();
    hide();
    if (m_model.preferences.soundOnUnlock.value())
        m_model.sounds.play(Sounds::Kind::unlock);
}

bool LockScreenController::wantsPlayer() const
{
    return m_model.preferences.lockScreenPlayer.value() && m_model.nowPlaying.hasMedia() && !m_playerIdleExpired;
}

bool LockScreenController::wantsWeather() const
{
    return m_model.preferences.lockWeather.value() && m_model.weather.temperature().has_value() && m_model.weather.code().has_value();
}

void LockScreenController::refresh()
{
    const bool player = wantsPlayer();
    const bool weather = wantsWeather();
    // The player view animates its widgets in and out on these.
    m_state.setShowsPlayer(player);
    m_state.setShowsWeather(weather);
    if (!player && !weather) {
        hide();
        return;
    }
    if (!m_panel) {
        show(m_isLocked);
        return;
    }
    if (const std::optional<QRect> rect = frame()) {
        if (*rect != m_panel->panel->geometry())
            m_panel->panel->setFrame(*rect);
        updateInset(*rect);
    }
}

void LockScreenController::updateInset(const QRect &rect)
{
    const QList<Screens::Screen> screens = m_model.services().screens.screens();
    if (screens.isEmpty())
        return;
    m_state.setPlayerBottomInset(bottomInset(rect, screens.first().frame));
}

void LockScreenController::show(bool onLockScreen)
{
    const std::optional<QRect> rect = frame();
    if (!rect)
        return;
    auto window = std::make_unique<Window>();
    window->panel = std::make_unique<LockScreenPanel>(*rect, new LockScreenPlayerView(m_state, m_model), LockScreenPanel::Mouse::takes);
    LockScreenPanel &panel = *window->panel;
    panel.setWindowOpacity(0);
    panel.show();
    panel.raise();
    if (onLockScreen && !(panel.windowHandle() && m_model.services().windowServer.moveToLockScreen(*panel.windowHandle())))
        qCWarning(lcUi, "Quib: could not move the player above the lock screen");
    m_state.volume().startObserving();
    updateInset(*rect);
    fade(*window, 1, playerFadeIn);
    m_panel = std::move(window);
    updateBackdrop();
}

void LockScreenController::hide()
{
    stopTrackingLoginUI();
    removeBackdrops(playerFadeOut);
    m_state.setExpanded(false);
    m_state.setShowLyrics(false);
    if (m_panel) {
        std::unique_ptr<Window> panel = std::move(m_panel);
        m_state.volume().stopObserving();
        fadeOut(std::move(panel), playerFadeOut);
    }
}

void LockScreenController::fade(Window &window, double opacity, double duration, std::function<void()> done)
{
    LockScreenPanel *panel = window.panel.get();
    const double from = panel->windowOpacity();
    window.fade = std::make_unique<FrameAnimation>(m_scheduler, duration, [&window, panel, from, opacity, done = std::move(done)] {
        const double progress = window.fade->progress();
        panel->setWindowOpacity(from + (opacity - from) * progress);
        if (progress >= 1 && done)
            done();
    });
    window.fade->start();
}

void LockScreenController::fadeOut(std::unique_ptr<Window> window, double duration)
{
    // Finished fades are dropped here, never from inside their own frame.
    std::erase_if(m_leaving, [](const std::unique_ptr<Window> &leaving) { return !leaving->panel; });
    Window &leaving = *window;
    m_leaving.push_back(std::move(window));
    fade(leaving, 0, duration, [&leaving] {
        leaving.panel->close();
        leaving.panel.release()->deleteLater();
    });
}

void LockScreenController::updateBackdrop()
{
    if (m_panel && m_state.showsBackdrop()) {
        if (m_backdrops.empty())
            showBackdrops();
        return;
    }
    if (!m_backdrops.empty()) {
        stopTrackingLoginUI();
        removeBackdrops(backdropFadeOut);
    }
}

void LockScreenController::removeBackdrops(double duration)
{
    // The list is empty before the fades start.
    std::vector<std::unique_ptr<Window>> removed = std::move(m_backdrops);
    m_backdrops.clear();
    for (auto &backdrop : removed)
        fadeOut(std::move(backdrop), duration);
}

void LockScreenController::showBackdrops()
{
    const QList<Screens::Screen> screens = m_model.services().screens.screens();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect screen = screens[i].frame;
        const auto role = i == 0 ? LockBackdropView::Role::main : LockBackdropView::Role::secondary;
        auto window = std::make_unique<Window>();
        window->panel = std::make_unique<LockScreenPanel>(screen, new LockBackdropView(m_state, m_model, screen.size(), role),
                                                          LockScreenPanel::Mouse::ignores);
        LockScreenPanel &panel = *window->panel;
        panel.setWindowOpacity(0);
        panel.show();
        panel.raise();
        // A backdrop that stays below the locker only hides less.
        if (m_isLocked && panel.windowHandle())
            m_model.services().windowServer.moveToLockScreen(*panel.windowHandle());
        fade(*window, 1, backdropFadeIn);
        m_backdrops.push_back(std::move(window));
    }
    // The player stays above its backdrops.
    if (m_panel) {
        m_panel->panel->raise();
        if (m_isLocked && m_panel->panel->windowHandle())
            m_model.services().windowServer.moveToLockScreen(*m_panel->panel->windowHandle());
    }
    startTrackingLoginUI();
}

void LockScreenController::startTrackingLoginUI()
{
    stopTrackingLoginUI();
    if (!m_isLocked)
        return;
    updateLoginItems();
    m_loginTimer.start(loginScanInterval, [this] { updateLoginItems(); });
}

void LockScreenController::stopTrackingLoginUI()
{
    m_loginTimer.stop();
    if (!m_state.loginItems().isEmpty())
        m_state.setLoginItems({});
}

void LockScreenController::updateLoginItems()
{
    const QList<Screens::Screen> screens = m_model.services().screens.screens();
    if (screens.isEmpty() || m_backdrops.empty()) {
        stopTrackingLoginUI();
        return;
    }
    const QRect screen = screens.first().frame;
    QList<LoginUILocator::Item> items = LoginUILocator::items(screen);
    for (LoginUILocator::Item &item : items)
        item.frame.translate(-screen.topLeft());
    if (items != m_state.loginItems())
        m_state.setLoginItems(items);
}

void LockScreenController::startKeepAwake()
{
    stopKeepAwake();
    const double minutes = m_model.preferences.keepAwakeMinutes.value();
    if (!(minutes > 0))
        return;
    // The display stays awake for the set minutes from the lock, however
    // long the answer takes.
    const MonotonicTime release = m_scheduler.deadlineAfter(minutes * 60);
    m_keepAwakeAssertion = m_model.services().sessionLock.keepDisplayAwake(keepAwakeReason, [this, release](bool held) {
        if (!held) {
            m_keepAwakeAssertion = 0;
            return;
        }
        m_keepAwakeWork.startAt(release, [this] { stopKeepAwake(); });
    });
}

void LockScreenController::stopKeepAwake()
{
    m_keepAwakeWork.cancel();
    if (m_keepAwakeAssertion != 0) {
        m_model.services().sessionLock.release(m_keepAwakeAssertion);
        m_keepAwakeAssertion = 0;
    }
}

void LockScreenController::updateIdleTimer()
{
    m_idleWork.cancel();
    if (!m_isLocked || m_model.nowPlaying.isPlaying())
        return;
    m_idleWork.start(m_model.preferences.lockIdleMinutes.value() * 60, [this] {
        if (!m_isLocked || m_model.nowPlaying.isPlaying())
            return;
        m_playerIdleExpired = true;
        refresh();
    });
}

void LockScreenController::observeContent()
{
    m_contentLoop = std::make_unique<ObservationLoop>(
        m_scheduler,
        [this] {
            m_model.nowPlaying.hasMedia();
            m_model.nowPlaying.isPlaying();
            // Both read every time: a binding whose reads grow while it is
            // notified is not safe.
            m_model.weather.temperature();
            m_model.weather.code();
            m_model.preferences.lockScreenPlayer.value();
            m_model.preferences.lockWeather.value();
            m_model.preferences.lockOffset.value();
            m_model.preferences.lockIdleMinutes.value();
        },
        [this] {
            if (m_isLocked) {
                if (m_model.nowPlaying.isPlaying())
                    m_playerIdleExpired = false;
                updateIdleTimer();
                refresh();
            } else if (m_isPreview) {
                refresh();
            }
        });
}

void LockScreenController::observeBackdrop()
{
    m_backdropLoop = std::make_unique<ObservationLoop>(m_scheduler, [this] { m_state.showsBackdrop(); }, [this] { updateBackdrop(); });
}

void LockScreenController::observeLyrics()
{
    m_lyricsLoop = std::make_unique<ObservationLoop>(
        m_scheduler,
        [this] {
            m_state.showLyrics();
            m_model.nowPlaying.title();
            m_model.nowPlaying.artist();
        },
        [this] {
            if (!m_state.showLyrics())
                return;
            const NowPlayingModel &song = m_model.nowPlaying;
            m_model.lyrics.load(song.title(), song.artist(), song.album(), song.duration());
        });
}

void LockScreenController::preview()
{
    if (m_isLocked)
        return;
    m_isPreview = true;
    m_playerIdleExpired = false;
    refresh();
    m_previewWork.start(previewDuration, [this] {
        if (m_isLocked)
            return;
        m_isPreview = false;
        hide();
    });
}
