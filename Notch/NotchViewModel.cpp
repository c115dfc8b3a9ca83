#include "Notch/NotchViewModel.h"

#include "App/AppModel.h"

NotchViewModel::NotchViewModel(const NotchMetrics &metrics, AppModel &app)
    : m_metrics(metrics)
    , m_app(app)
{
    m_state.setBinding([this] { return computeState(); });
}

bool NotchViewModel::showsMedia() const
{
    const Preferences &preferences = m_app.preferences;
    return preferences.nowPlayingEnabled.value() && nowPlayingIsActive.value() && nowPlayingHasMedia.value()
        && !(preferences.hideWhenSourceActive.value() && sourceIsFrontmost.value());
}

bool NotchViewModel::showsEventCountdown() const
{
    return m_app.preferences.calendarEnabled.value() && hasCountdownEvent.value();
}

bool NotchViewModel::showsEventProgress() const
{
    return m_app.preferences.eventProgress.value() && m_app.preferences.calendarEnabled.value() && hasOngoingEvent.value();
}

bool NotchViewModel::showsMicMuted() const
{
    return m_app.preferences.showMicMutedIcon.value() && m_app.micMute.isMuted();
}

bool NotchViewModel::showsSoundMuted() const
{
    return m_app.preferences.showSoundMutedIcon.value() && m_app.outputMute.isMuted();
}

bool NotchViewModel::showsClaudeUsage() const
{
    return m_app.preferences.sideColumn.value() == SideColumn::both && m_app.preferences.opensCalendar() && claudeUsageHasData.value();
}

NotchState NotchViewModel::computeState() const
{
    // The first rule that holds wins. The reads short-circuit like the
    // rules, so the binding depends only on what decided it.
    const Preferences &preferences = m_app.preferences;
    if (isSuppressed())
        return NotchState::closed();
    if ((isOpen() || m_app.isPreviewingOpen()) && (preferences.opensPlayer() || preferences.opensCalendar()))
        return NotchState::open();
    if (isMixerOpen())
        return NotchState::mixer();
    if (m_app.banners.current())
        return NotchState::banner();
    if (m_app.alerts.current())
        return NotchState::compact(CompactKind::alert);
    if (m_app.isPeekingSong() && (showsMedia() || m_app.isPeekForced()))
        return NotchState::peek();
    if (showsEventCountdown() && (calendarIsAnnouncing.value() || !showsMedia()))
        return NotchState::compact(CompactKind::reminder);
    if ((showsMicMuted() || showsSoundMuted()) && !showsMedia())
        return NotchState::compact(CompactKind::micMuted);
    if (showsEventProgress() && !showsMedia())
        return NotchState::compact(CompactKind::event);
    if (preferences.timerInNotch.value() && m_app.timers.isRunning())
        return NotchState::compact(CompactKind::timer);
    if (showsMedia())
        return NotchState::compact(CompactKind::media);
    return NotchState::closed();
}

NotchSizes NotchViewModel::sizes() const
{
    const Preferences &preferences = m_app.preferences;
    NotchSizes::Inputs inputs;
    inputs.openWidth = preferences.openWidth.value();
    inputs.opensPlayer = preferences.opensPlayer();
    inputs.opensCalendar = preferences.opensCalendar();
    inputs.showsMedia = showsMedia();
    inputs.showsEventCountdown = showsEventCountdown();
    inputs.showsEventProgress = showsEventProgress();
    inputs.showsClaudeUsage = showsClaudeUsage();
    inputs.mixerApplicationCount = mixerApplicationCount.value();
    if (const auto alert = m_app.alerts.current())
        inputs.alertSideWidth = alert->sideWidth;
    return NotchSizes(m_metrics, inputs);
}
