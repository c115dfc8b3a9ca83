#pragma once

#include "Notch/NotchGeometry.h"
#include "Notch/NotchState.h"
#include "Support/Scheduler.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <functional>
#include <optional>
#include <vector>

class NotchViewModel;
class QGraphicsBlurEffect;

// The contents of one notch panel, inside the silhouette's clipped content
// item: the content of the notch state, framed to the state's size and hung
// from the top centre. It keeps the silhouette in step with the state
// (geometry, shadow, outline, suppression) and animates the change of
// contents:
// - new compact content fades in from a blur; leaving compact content fades
//   out;
// - new expanded content (banner, mixer, peek, open) scales up from 0.94 and
//   fades in after 0.08 s; leaving expanded content goes at once, except
//   that content of an expanded state whose silhouette shrinks in height is
//   held for 0.25 s while it shrinks, blurs and fades with the silhouette;
// - content in a growing silhouette starts blurred and sharpens.
// Every animated value is a pure function of the time since its start,
// played by a frame tick that runs only while something moves.
class NotchRootView : public QGraphicsObject {
    Q_OBJECT
public:
    // How long a shrinking expanded content is held, and how long of that it
    // takes to shrink and fade out.
    static constexpr double holdDuration = 0.25;
    static constexpr double leaveDuration = 0.24;
    // Blur of content when the silhouette starts to grow; it clears over
    // blurClearDuration.
    static constexpr double openingBlur = 6;
    static constexpr double blurClearDuration = 0.45;
    static constexpr double compactRevealDuration = 0.28;
    static constexpr double compactRemovalDuration = 0.15;
    static constexpr double revealDelay = 0.08;
    static constexpr double mixerRevealDuration = 0.3;
    // The reveal spring has come to rest (within a ten-thousandth) by then.
    static constexpr double springSettleDuration = 0.9;
    static constexpr double suppressionFadeDuration = 0.25;

    // What a change of state does to held content.
    enum class LeaveChange {
        // Start holding `from` (or keep holding what is held) while the
        // silhouette shrinks.
        hold,
        // Stop holding at once.
        release,
        none,
    };
    // What a change of geometry does to the content blur.
    enum class BlurChange { start, clear, none };

    NotchRootView(NotchViewModel &viewModel, Scheduler &scheduler, QGraphicsItem *parent);
    ~NotchRootView() override;

    static bool isExpanded(NotchState state);
    static LeaveChange leaveChange(NotchState from, qreal fromHeight, qreal toHeight, bool isHolding);
    static BlurChange blurChange(qreal oldHeight, qreal newHeight, qreal currentBlur);
    // The contrast outline shows on every state but the closed notch over a
    // camera housing.
    static bool outlineWanted(bool contrastOutline, NotchState state, bool hasHardwareNotch);
    // The leave progress `elapsed` seconds after a hold began at `from`.
    static double leaving(double from, double elapsed);
    // The content blur `elapsed` seconds after the silhouette started to grow.
    static double contentBlur(double elapsed);
    // How far new content of `state` is revealed after `elapsed` seconds: 0
    // hidden, 1 in place; a spring may overshoot 1.
    static double revealProgress(NotchState state, double elapsed);
    // How long the reveal of new content of `state` runs.
    static double revealDuration(NotchState state);
    // Opacity of leaving compact content after `elapsed` seconds.
    static double removalOpacity(double elapsed);

    // The state whose content is on screen: the held one, else the current.
    NotchState displayedState() const;
    std::optional<NotchState> leavingState() const { return m_leavingState; }
    double leavingProgress() const;
    double contentBlurRadius() const;
    // Opacity of the whole content for suppression: 0 suppressed, 1 not.
    double suppressionOpacity() const;
    // Items of content on screen, the current one last.
    int contentCount() const { return int(m_entries.size()); }

    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

private:
    enum class Phase { appearing, shown, removing };
    struct Entry {
        NotchState state;
        QGraphicsObject *frame = nullptr;
        QGraphicsBlurEffect *blur = nullptr;
        std::function<void(const QSizeF &)> resize;
        Phase phase = Phase::shown;
        MonotonicTime since;
    };

    NotchGeometry geometryOf(NotchState state) const;
    void stateChanged(NotchState from, NotchState to);
    void geometryChanged(const NotchGeometry &from, const NotchGeometry &to);
    void contentChanged(NotchState from, NotchState to);
    void animateBlur(bool opening, bool closing);
    void endHold();
    void showDisplayedState(Phase phase);
    Entry makeEntry(NotchState state);
    void layoutEntries();
    void startFrames();
    void frame();
    bool isMoving() const;

    NotchViewModel &m_viewModel;
    Scheduler &m_scheduler;
    QGraphicsObject *m_container = nullptr;
    QGraphicsBlurEffect *m_containerBlur = nullptr;
    std::vector<Entry> m_entries;

    QProperty<NotchGeometry> m_geometry;
    QProperty<bool> m_outlineWanted;
    NotchState m_state;
    NotchGeometry m_lastGeometry;
    QPropertyNotifier m_stateNotifier;
    QPropertyNotifier m_geometryNotifier;
    QPropertyNotifier m_outlineNotifier;
    QPropertyNotifier m_suppressedNotifier;

    std::optional<NotchState> m_leavingState;
    // The leave animation: from which progress and since when; none at rest
    // (progress 0).
    std::optional<std::pair<double, MonotonicTime>> m_leave;
    Delay m_leaveWork;
    std::optional<MonotonicTime> m_blurStart;
    // Suppression fade: the opacity it started from, its target and start.
    double m_suppressionFrom = 1;
    double m_suppressionTarget = 1;
    std::optional<MonotonicTime> m_suppressionStart;
    RepeatingTimer m_frames;
};
