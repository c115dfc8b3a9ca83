#include "Shared/WaveformView.h"

#include "Shared/SystemColors.h"
#include "Support/Easing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double frameInterval = 1.0 / 60;

} // namespace

WaveformView::WaveformView(Scheduler &scheduler, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_frames(scheduler)
{
    m_stopFrom.fill(lowScale);
}

WaveformView::~WaveformView() = default;

QList<QColor> WaveformView::colors(WaveformStyle style, const QColor &tint)
{
    switch (style) {
    case WaveformStyle::monochrome:
        return {QColor::fromRgbF(1, 1, 1, 0.9f)};
    case WaveformStyle::colored:
        return {tint};
    case WaveformStyle::gradient:
        return {tint, SystemColors::orange(), SystemColors::pink()};
    }
    return {tint};
}

void WaveformView::update(bool isPlaying, const QList<QColor> &colors)
{
    if (colors != m_colors) {
        m_colors = colors;
        update();
    }
    if (isPlaying != m_isPlaying) {
        const Scales present = presentScales();
        m_isPlaying = isPlaying;
        applyAnimations(present);
    }
}

void WaveformView::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    const Scales present = presentScales();
    m_size = size;
    applyAnimations(present);
}

double WaveformView::dotScale(double height)
{
    return height > 0 ? barWidth / height : 1.0;
}

double WaveformView::barCentre(int bar, double width)
{
    return ((width - barCount * barWidth) * 0.25 + barWidth) * bar + barWidth / 2;
}

double WaveformView::playingScale(int bar, double elapsed)
{
    // Low to peak and back (ease-in-out both ways), forever; a bar waiting
    // for its start holds the low scale.
    const double local = elapsed - stagger * bar;
    if (!(local > 0) || !std::isfinite(local))
        return lowScale;
    const double duration = durations[bar];
    const double phase = std::fmod(local, 2 * duration);
    const double rise = phase < duration ? phase / duration : 2 - phase / duration;
    return lowScale + (peaks[bar] - lowScale) * Easing::easeInOut(rise);
}

double WaveformView::stoppingScale(double from, double dot, double elapsed)
{
    return from + (dot - from) * Easing::easeOut(elapsed / stopDuration);
}

double WaveformView::barScale(int bar) const
{
    if (!m_start)
        return m_isPlaying ? lowScale : m_stopFrom[bar];
    if (m_isPlaying)
        return playingScale(bar, elapsed());
    return stoppingScale(m_stopFrom[bar], dotScale(m_size.height()), elapsed());
}

QRectF WaveformView::barRect(int bar) const
{
    const double height = m_size.height() * barScale(bar);
    // Bars scale about their vertical centre.
    return QRectF(barCentre(bar, m_size.width()) - barWidth / 2, (m_size.height() - height) / 2, barWidth, height);
}

WaveformView::Scales WaveformView::presentScales() const
{
    Scales scales;
    for (int bar = 0; bar < barCount; ++bar)
        scales[bar] = m_start ? barScale(bar) : lowScale;
    return scales;
}

void WaveformView::applyAnimations(const Scales &present)
{
    if (!(m_size.height() > 0))
        return;
    // Each bar sinks from where it stands now.
    if (!m_isPlaying)
        m_stopFrom = present;
    m_start = m_scheduler.monotonicNow();
    updateFrames();
    update();
}

void WaveformView::updateFrames()
{
    const bool moving = m_start && (m_isPlaying || elapsed() < stopDuration);
    const bool shown = scene() && isVisible();
    if (moving && shown) {
        if (!m_frames.isActive()) {
            m_frames.start(frameInterval, [this] {
                ++m_frameCount;
                updateFrames();
                update();
            });
        }
    } else {
        m_frames.stop();
    }
}

QVariant WaveformView::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateFrames();
    return QGraphicsObject::itemChange(change, value);
}

double WaveformView::elapsed() const
{
    return m_start ? m_scheduler.secondsSince(*m_start) : 0.0;
}

QRectF WaveformView::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void WaveformView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_size.isEmpty() || m_colors.isEmpty())
        return;
    QPainterPath bars;
    for (int bar = 0; bar < barCount; ++bar)
        bars.addRoundedRect(barRect(bar), barCornerRadius, barCornerRadius);
    // The colours run left to right across the whole view; one colour is a
    // plain fill.
    QLinearGradient gradient(0, 0, m_size.width(), 0);
    if (m_colors.size() == 1) {
        gradient.setColorAt(0, m_colors.first());
        gradient.setColorAt(1, m_colors.first());
    } else {
        for (qsizetype i = 0; i < m_colors.size(); ++i)
            gradient.setColorAt(double(i) / double(m_colors.size() - 1), m_colors[i]);
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(bars, gradient);
    painter->restore();
}
