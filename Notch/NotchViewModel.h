#pragma once

#include "Notch/NotchMetrics.h"
#include "Notch/NotchSizes.h"
#include "Notch/NotchState.h"

#include <QBindable>
#include <QProperty>

#include <functional>
#include <optional>

class AppModel;
class NotchShapeLayers;

// The state of one notch panel. What the panel shows, state(), is never
// stored: a binding walks a fixed priority list over the panel's own flags
// and the models and settings of the app, so it follows every input it read.
// Main thread only.
class NotchViewModel {
public:
    NotchViewModel(const NotchMetrics &metrics, AppModel &app);
    NotchViewModel(const NotchViewModel &) = delete;
    NotchViewModel &operator=(const NotchViewModel &) = delete;

    const NotchMetrics &metrics() const { return m_metrics; }
    AppModel &app() const { return m_app; }

    // The user opened the panel (hover, click or a diagnostic command).
    bool isOpen() const { return m_isOpen.value(); }
    void setOpen(bool open) { m_isOpen = open; }
    QBindable<bool> bindableIsOpen() { return &m_isOpen; }
    // The volume mixer is shown.
    bool isMixerOpen() const { return m_isMixerOpen.value(); }
    void setMixerOpen(bool open) { m_isMixerOpen = open; }
    QBindable<bool> bindableIsMixerOpen() { return &m_isMixerOpen; }
    // The mixer was opened from the menu and replaces the open panel as what
    // hovering opens.
    bool isMixerPinned() const { return m_isMixerPinned.value(); }
    void setMixerPinned(bool pinned) { m_isMixerPinned = pinned; }
    QBindable<bool> bindableIsMixerPinned() { return &m_isMixerPinned; }
    // The screen shows a full-screen window: the notch hides.
    bool isSuppressed() const { return m_isSuppressed.value(); }
    void setSuppressed(bool suppressed) { m_isSuppressed = suppressed; }
    QBindable<bool> bindableIsSuppressed() { return &m_isSuppressed; }

    // Closes the pinned mixer; set by the window controller.
    std::function<void()> closeMixer;
    // The panel's silhouette, set by the window controller once built.
    NotchShapeLayers *shapes = nullptr;

    NotchState state() const { return m_state.value(); }
    QBindable<NotchState> bindableState() { return &m_state; }

    bool showsMedia() const;
    bool showsEventCountdown() const;
    bool showsEventProgress() const;
    bool showsMicMuted() const;
    bool showsSoundMuted() const;
    bool showsClaudeUsage() const;

    // Sizes of the states from the current inputs; read inside a binding,
    // they are tracked like the state.
    NotchSizes::Radii radii(NotchState state) const { return sizes().radii(state); }
    QSizeF shapeSize(NotchState state) const { return sizes().shapeSize(state); }
    qreal compactSideWidth(CompactKind kind) const { return sizes().compactSideWidth(kind); }
    QSizeF windowSize() const { return sizes().windowSize(); }

private:
    // Every input of the state and the sizes, read at once.
    struct Inputs {
        bool isSuppressed, isOpen, isMixerOpen;
        bool isPreviewingOpen, isPeekingSong, isPeekForced;
        bool opensPlayer, opensCalendar;
        bool hasBanner;
        std::optional<double> alertSideWidth;
        bool showsMedia, showsEventCountdown, showsEventProgress, showsMicMuted, showsSoundMuted, showsClaudeUsage;
        bool isAnnouncing;
        bool timerInNotch, isTimerRunning;
        qreal openWidth;
        qsizetype mixerApplicationCount;
    };
    Inputs inputs() const;
    static NotchState state(const Inputs &inputs);
    NotchSizes sizes() const;

    const NotchMetrics m_metrics;
    AppModel &m_app;
    QProperty<bool> m_isOpen{false};
    QProperty<bool> m_isMixerOpen{false};
    QProperty<bool> m_isMixerPinned{false};
    QProperty<bool> m_isSuppressed{false};
    QProperty<NotchState> m_state{NotchState::closed()};
};
