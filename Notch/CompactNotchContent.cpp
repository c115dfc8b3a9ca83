#include "Notch/CompactNotchContent.h"

#include "App/AppModel.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/EventProgressRing.h"
#include "Notch/MutedIcons.h"
#include "Notch/NotchViewModel.h"
#include "Notch/ReminderCompactContent.h"
#include "Notch/TimelineText.h"
#include "Shared/ArtworkView.h"
#include "Shared/WaveformView.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <tuple>

bool CompactNotchContent::Reading::operator==(const Reading &other) const
{
    const auto indicatorTuple = [](const IndicatorInputs &inputs) {
        return std::tie(inputs.showsMicMuted, inputs.showsSoundMuted, inputs.showsEventCountdown, inputs.showsEventProgress,
                        inputs.showsMedia, inputs.hasCountdownEvent, inputs.hasOngoingEvent, inputs.showWaveform);
    };
    // Artwork is compared by identity: a new image is a new value.
    return artwork.cacheKey() == other.artwork.cacheKey() && artworkVersion == other.artworkVersion && isPlaying == other.isPlaying
        && tint == other.tint && artworkFlip == other.artworkFlip && waveformStyle == other.waveformStyle
        && useCalendarColor == other.useCalendarColor && countdownEvent == other.countdownEvent && ongoingEvent == other.ongoingEvent
        && indicatorTuple(indicator) == indicatorTuple(other.indicator);
}

CompactNotchContent::Indicator CompactNotchContent::indicator(const IndicatorInputs &inputs)
{
    if (inputs.showsMicMuted || inputs.showsSoundMuted)
        return Indicator::muted;
    if (inputs.showsEventCountdown && inputs.showsMedia && inputs.hasCountdownEvent)
        return Indicator::countdown;
    if (inputs.showsEventProgress && inputs.showsMedia && !inputs.showsEventCountdown && inputs.hasOngoingEvent)
        return Indicator::eventProgress;
    if (inputs.showWaveform)
        return Indicator::waveform;
    return Indicator::none;
}

double CompactNotchContent::artworkSide(double notchHeight)
{
    return std::max(notchHeight - 10, minimumArtworkSide);
}

CompactNotchContent::CompactNotchContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_viewModel(viewModel)
    , m_fade(viewModel.app().services().scheduler, indicatorFadeDuration, [this] { fadeFrame(); })
{
    setFlag(ItemHasNoContents);
    Scheduler &scheduler = viewModel.app().services().scheduler;
    m_artwork = new ArtworkView(scheduler, this);
    m_artwork->setCornerRadius(artworkCornerRadius);
    m_waveform = new WaveformView(scheduler, this);
    m_waveform->setSize(waveformSize);
    m_mutedIcons = new MutedIcons(this);
    m_countdown = new TimelineText(
        scheduler, countdownInterval,
        [this](const QDateTime &now) {
            const std::optional<DayEvent> &event = m_reading.value().countdownEvent;
            return event ? ReminderCompactContent::shortCountdown(event->start, now) : QString();
        },
        this);
    m_countdown->setStyle(ReminderCompactContent::countdownFont(), ReminderCompactContent::countdownColor());
    m_countdown->setAlignment(Qt::AlignRight);
    connect(m_countdown, &TimelineText::textChanged, this, &CompactNotchContent::layoutChildren);

    m_reading.setBinding([this] { return read(); });
    m_readingNotifier = m_reading.addNotifier([this] { apply(); });
    apply();
    // The first indicator shows without a fade.
    m_fade.stop();
    fadeFrame();
}

CompactNotchContent::~CompactNotchContent() = default;

CompactNotchContent::Reading CompactNotchContent::read() const
{
    AppModel &app = m_viewModel.app();
    NowPlayingModel &nowPlaying = app.nowPlaying;
    Preferences &preferences = app.preferences;
    Reading reading{nowPlaying.artwork(),
                    nowPlaying.artworkVersion(),
                    nowPlaying.isPlaying(),
                    nowPlaying.tint(),
                    preferences.artworkFlip.value(),
                    preferences.waveformStyle.value(),
                    preferences.useCalendarColor.value(),
                    app.calendar.countdownEvent(),
                    app.calendar.ongoingEvent(),
                    {}};
    reading.indicator = IndicatorInputs{m_viewModel.showsMicMuted(),
                                        m_viewModel.showsSoundMuted(),
                                        m_viewModel.showsEventCountdown(),
                                        m_viewModel.showsEventProgress(),
                                        m_viewModel.showsMedia(),
                                        reading.countdownEvent.has_value(),
                                        reading.ongoingEvent.has_value(),
                                        preferences.showWaveform.value()};
    return reading;
}

void CompactNotchContent::apply()
{
    const Reading reading = m_reading.value();
    m_artwork->setFlips(reading.artworkFlip);
    m_artwork->setArtwork(reading.artwork, reading.artworkVersion);
    m_artwork->setDimmed(!reading.isPlaying);
    m_waveform->update(reading.isPlaying, WaveformView::colors(reading.waveformStyle, reading.tint));
    m_mutedIcons->setMuted(reading.indicator.showsMicMuted, reading.indicator.showsSoundMuted);
    m_countdown->refresh();

    if (reading.ongoingEvent) {
        const QColor color = EventProgressCompactContent::eventColor(*reading.ongoingEvent, reading.useCalendarColor);
        if (!m_badge) {
            m_badge = new EventTimeBadge(m_viewModel.app().services().scheduler, *reading.ongoingEvent, color, this);
            m_badge->setVisible(false);
            connect(m_badge, &EventTimeBadge::naturalSizeChanged, this, &CompactNotchContent::layoutChildren);
        } else {
            m_badge->setEvent(*reading.ongoingEvent);
            m_badge->setColor(color);
        }
    }

    const Indicator next = indicator(reading.indicator);
    if (next != m_indicator) {
        m_previousIndicator = m_indicator;
        m_indicator = next;
        m_fade.start();
    }
    if (!reading.ongoingEvent && m_badge && m_indicator != Indicator::eventProgress && m_previousIndicator != Indicator::eventProgress) {
        delete m_badge;
        m_badge = nullptr;
    }
    layoutChildren();
    fadeFrame();
}

QGraphicsObject *CompactNotchContent::indicatorItem(Indicator indicator) const
{
    switch (indicator) {
    case Indicator::muted:
        return m_mutedIcons;
    case Indicator::countdown:
        return m_countdown;
    case Indicator::eventProgress:
        return m_badge;
    case Indicator::waveform:
        return m_waveform;
    case Indicator::none:
        return nullptr;
    }
    return nullptr;
}

QSizeF CompactNotchContent::indicatorSize(Indicator indicator) const
{
    switch (indicator) {
    case Indicator::muted:
        return m_mutedIcons->naturalSize();
    case Indicator::countdown:
        return QSizeF(std::ceil(m_countdown->naturalWidth()), QFontMetricsF(m_countdown->font()).height());
    case Indicator::eventProgress:
        return m_badge ? m_badge->naturalSize() : QSizeF();
    case Indicator::waveform:
        return waveformSize;
    case Indicator::none:
        return {};
    }
    return {};
}

QRectF CompactNotchContent::indicatorRect() const
{
    const QSizeF size = indicatorSize(m_indicator);
    return QRectF(m_size.width() - trailingPadding - size.width(), (m_size.height() - size.height()) / 2, size.width(), size.height());
}

void CompactNotchContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    m_size = size;
    layoutChildren();
}

void CompactNotchContent::layoutChildren()
{
    const double side = artworkSide(m_size.height());
    m_artwork->setSize(QSizeF(side, side));
    m_artwork->setPos(leadingPadding, (m_size.height() - side) / 2);
    // Every indicator hangs from the trailing padding, vertically centred.
    for (const Indicator each : {Indicator::muted, Indicator::countdown, Indicator::eventProgress, Indicator::waveform}) {
        QGraphicsObject *item = indicatorItem(each);
        if (!item)
            continue;
        const QSizeF size = indicatorSize(each);
        item->setPos(m_size.width() - trailingPadding - size.width(), (m_size.height() - size.height()) / 2);
        if (each == Indicator::countdown)
            m_countdown->setSize(size);
    }
}

void CompactNotchContent::fadeFrame()
{
    const double progress = m_fade.progress();
    for (const Indicator each : {Indicator::muted, Indicator::countdown, Indicator::eventProgress, Indicator::waveform}) {
        QGraphicsObject *item = indicatorItem(each);
        if (!item)
            continue;
        if (each == m_indicator) {
            item->setVisible(true);
            item->setOpacity(progress);
        } else if (each == m_previousIndicator && m_fade.isRunning()) {
            item->setVisible(true);
            item->setOpacity(1 - progress);
        } else {
            item->setVisible(false);
        }
    }
}
