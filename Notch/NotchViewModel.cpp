#include "Notch/NotchViewModel.h"

#include "App/AppModel.h"

NotchViewModel::NotchViewModel(const NotchMetrics &metrics, AppModel &app)
    : m_metrics(metrics)
    , m_app(app)
{
    m_state.setBinding([this] { return state(inputs()); });
}

bool NotchViewModel::showsMedia() const
{
    const Preferences &preferences = m_app.preferences;
    const bool enabled = preferences.nowPlayingEnabled.value();
    const bool active = m_app.nowPlaying.isActive();
    const bool hasMedia = m_app.nowPlaying.hasMedia();
    const bool hideWhenSourceActive = preferences.hideWhenSourceActive.value();
    const bool frontmost = m_app.nowPlaying.sourceIsFrontmost();
    return enabled && active && hasMedia && !(hideWhenSourceActive && frontmost);
}

bool NotchViewModel::showsEventCountdown() const
{
    const bool enabled = m_app.preferences.calendarEnabled.value();
    const bool countdown = m_app.calendar.countdownEvent().has_value();
    return enabled && countdown;
}

bool NotchViewModel::showsEventProgress() const
{
    const bool progress = m_app.preferences.eventProgress.value();
    const bool enabled = m_app.preferences.calendarEnabled.value();
    const bool ongoing = m_app.calendar.ongoingEvent().has_value();
    return progress && enabled && ongoing;
}

bool NotchViewModel::showsMicMuted() const
{
    const bool icon = m_app.preferences.showMicMutedIcon.value();
    const bool muted = m_app.micMute.isMuted();
    return icon && muted;
}

bool NotchViewModel::showsSoundMuted() const
{
    const bool icon = m_app.preferences.showSoundMutedIcon.value();
    const bool muted = m_app.outputMute.isMuted();
    return icon && muted;
}

bool NotchViewModel::showsClaudeUsage() const
{
    const bool both = m_app.preferences.sideColumn.value() == SideColumn::both;
    const bool calendar = m_app.preferences.opensCalendar();
    // Both windows, whichever has data.
    const bool fiveHour = m_app.claudeUsage.fiveHour().has_value();
    const bool sevenDay = m_app.claudeUsage.sevenDay().has_value();
    const bool hasData = fiveHour || sevenDay;
    return both && calendar && hasData;
}

// The predicates and the state read every input on every evaluation, never
// only up to the first that decides: Qt 6.4 frees a binding's list of
// dependencies when it grows while the binding is being notified, and
// crashes. A binding over a fixed set of inputs never grows it.
NotchViewModel::Inputs NotchViewModel::inputs() const
{
    const Preferences &preferences = m_app.preferences;
    Inputs in{};
    in.isSuppressed = isSuppressed();
    in.isOpen = isOpen();
    in.isMixerOpen = isMixerOpen();
    in.isPreviewingOpen = m_app.isPreviewingOpen();
    in.isPeekingSong = m_app.isPeekingSong();
    in.isPeekForced = m_app.isPeekForced();
    // Both read nowPlayingEnabled, calendarEnabled and idleActivity; the
    // predicates below read the first two again.
    preferences.idleActivity.value();
    preferences.nowPlayingEnabled.value();
    preferences.calendarEnabled.value();
    in.opensPlayer = preferences.opensPlayer();
    in.opensCalendar = preferences.opensCalendar();
    in.hasBanner = m_app.banners.current().has_value();
    if (const auto alert = m_app.alerts.current())
        in.alertSideWidth = alert->sideWidth;
    in.showsMedia = showsMedia();
    in.showsEventCountdown = showsEventCountdown();
    in.showsEventProgress = showsEventProgress();
    in.showsMicMuted = showsMicMuted();
    in.showsSoundMuted = showsSoundMuted();
    in.showsClaudeUsage = showsClaudeUsage();
    in.isAnnouncing = m_app.calendar.isAnnouncing();
    in.timerInNotch = preferences.timerInNotch.value();
    in.isTimerRunning = m_app.timers.isRunning();
    in.openWidth = preferences.openWidth.value();
    in.mixerApplicationCount = m_app.mixer.apps().size();
    return in;
}

NotchState NotchViewModel::state(const Inputs &in)
{
    // The first rule that holds wins.
    if (in.isSuppressed)
        return NotchState::closed();
    if ((in.isOpen || in.isPreviewingOpen) && (in.opensPlayer || in.opensCalendar))
        return NotchState::open();
    if (in.isMixerOpen)
        return NotchState::mixer();
    if (in.hasBanner)
        return NotchState::banner();
    if (in.alertSideWidth)
        return NotchState::compact(CompactKind::alert);
    if (in.isPeekingSong && (in.showsMedia || in.isPeekForced))
        return NotchState::peek();
    if (in.showsEventCountdown && (in.isAnnouncing || !in.showsMedia))
        return NotchState::compact(CompactKind::reminder);
    if ((in.showsMicMuted || in.showsSoundMuted) && !in.showsMedia)
        return NotchState::compact(CompactKind::micMuted);
    if (in.showsEventProgress && !in.showsMedia)
        return NotchState::compact(CompactKind::event);
    if (in.timerInNotch && in.isTimerRunning)
        return NotchState::compact(CompactKind::timer);
    if (in.showsMedia)
        return NotchState::compact(CompactKind::media);
    return NotchState::closed();
}

NotchSizes NotchViewModel::sizes() const
{
    const Inputs in = inputs();
    NotchSizes::Inputs sized;
    sized.openWidth = in.openWidth;
    sized.opensPlayer = in.opensPlayer;
    sized.opensCalendar = in.opensCalendar;
    sized.showsMedia = in.showsMedia;
    sized.showsEventCountdown = in.showsEventCountdown;
    sized.showsEventProgress = in.showsEventProgress;
    sized.showsClaudeUsage = in.showsClaudeUsage;
    sized.mixerApplicationCount = in.mixerApplicationCount;
    sized.alertSideWidth = in.alertSideWidth;
    return NotchSizes(m_metrics, sized);
}
