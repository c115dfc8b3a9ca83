#pragma once

#include "App/Preferences.h"
#include "Calendar/DayEvent.h"
#include "Support/FrameAnimation.h"

#include <QGraphicsObject>
#include <QImage>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class ArtworkView;
class EventTimeBadge;
class MutedIcons;
class NotchViewModel;
class TimelineText;
class WaveformView;

// The media strip inside the compact notch: the song's artwork in the left
// wing and, in the right wing, the first indicator that applies: the mute
// icons, the countdown to the next event, the ongoing event's time badge, or
// the waveform. A change of indicator cross-fades. The song peek shows it as
// its top row.
class CompactNotchContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double leadingPadding = 13;
    static constexpr double trailingPadding = 15;
    static constexpr double artworkCornerRadius = 5;
    static constexpr double minimumArtworkSide = 16;
    static constexpr QSizeF waveformSize{18, 12};
    static constexpr double countdownInterval = 15;
    static constexpr double indicatorFadeDuration = 0.25;

    enum class Indicator { none, muted, countdown, eventProgress, waveform };

    // What the right wing chooses from.
    struct IndicatorInputs {
        bool showsMicMuted, showsSoundMuted;
        bool showsEventCountdown, showsEventProgress, showsMedia;
        bool hasCountdownEvent, hasOngoingEvent;
        bool showWaveform;
    };
    // The first indicator that applies; one that names an event the
    // calendar does not have is skipped.
    static Indicator indicator(const IndicatorInputs &inputs);
    // The artwork square of a notch `notchHeight` high.
    static double artworkSide(double notchHeight);

    CompactNotchContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    ~CompactNotchContent() override;

    // The rectangle the content fills, from (0, 0): the compact state's
    // width and the notch's height.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }

    Indicator indicator() const { return m_indicator; }
    ArtworkView *artwork() const { return m_artwork; }
    WaveformView *waveform() const { return m_waveform; }
    MutedIcons *mutedIcons() const { return m_mutedIcons; }
    TimelineText *countdownText() const { return m_countdown; }
    // The badge while the calendar has an ongoing event.
    EventTimeBadge *badge() const { return m_badge; }
    // Where the indicator on screen sits.
    QRectF indicatorRect() const;

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

private:
    struct Reading {
        QImage artwork;
        int artworkVersion;
        bool isPlaying;
        QColor tint;
        bool artworkFlip;
        WaveformStyle waveformStyle;
        bool useCalendarColor;
        std::optional<DayEvent> countdownEvent;
        std::optional<DayEvent> ongoingEvent;
        IndicatorInputs indicator;

        bool operator==(const Reading &other) const;
    };
    Reading read() const;
    void apply();
    void layoutChildren();
    QGraphicsObject *indicatorItem(Indicator indicator) const;
    QSizeF indicatorSize(Indicator indicator) const;
    void fadeFrame();

    NotchViewModel &m_viewModel;
    QSizeF m_size;
    QProperty<Reading> m_reading;
    QPropertyNotifier m_readingNotifier;
    ArtworkView *m_artwork;
    WaveformView *m_waveform;
    MutedIcons *m_mutedIcons;
    TimelineText *m_countdown;
    EventTimeBadge *m_badge = nullptr;
    Indicator m_indicator = Indicator::none;
    // The indicator fading out while the new one fades in.
    Indicator m_previousIndicator = Indicator::none;
    FrameAnimation m_fade;
};
