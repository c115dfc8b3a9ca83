#include "Notch/EventProgressRing.h"

#include "Notch/Countdown.h"
#include "Notch/TimelineText.h"
#include "Shared/Typography.h"
#include "Support/Easing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double frameInterval = 1.0 / 60;

} // namespace

EventProgressRing::EventProgressRing(Scheduler &scheduler, const DayEvent &event, double size, const QColor &color, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_event(event)
    , m_size(size)
    , m_color(color)
    , m_ticks(scheduler)
    , m_frames(scheduler)
{
    read(Change::immediate);
}

EventProgressRing::~EventProgressRing() = default;

void EventProgressRing::setEvent(const DayEvent &event)
{
    if (event == m_event)
        return;
    m_event = event;
    read(Change::animated);
}

void EventProgressRing::setColor(const QColor &color)
{
    m_color = color;
    update();
}

double EventProgressRing::progress(const DayEvent &event, const QDateTime &date)
{
    const double total = event.start.msecsTo(event.end) / 1000.0;
    const double divisor = total <= 1 ? 1 : total;
    const double elapsed = event.start.msecsTo(date) / 1000.0;
    const double progress = elapsed / divisor;
    if (!(progress > 0))
        return 0;
    return std::min(progress, 1.0);
}

QString EventProgressRing::timeLeft(const QDateTime &end, const QDateTime &now)
{
    const qint64 minutes = Countdown::minutesUntil(end, now);
    if (minutes < 1)
        return QStringLiteral("fim");
    if (minutes < 60)
        return QString::number(minutes) + QLatin1Char('m');
    const QString hours = QString::number(minutes / 60) + QLatin1Char('h');
    if (minutes % 60 == 0)
        return hours;
    return hours + QStringLiteral("%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString EventProgressRing::helpText(double progress, const QString &title)
{
    // Halves round away from zero.
    return QString::number(std::llround(progress * 100)) + QStringLiteral("% de ") + title;
}

double EventProgressRing::displayedProgress() const
{
    if (!m_arcStart)
        return m_progress;
    return m_arcFrom + (m_progress - m_arcFrom) * Easing::easeOut(arcElapsed() / arcDuration);
}

void EventProgressRing::read(Change change)
{
    const double progress = EventProgressRing::progress(m_event, m_scheduler.now());
    setToolTip(helpText(progress, m_event.title));
    if (progress == m_progress && !m_arcStart)
        return;
    if (change == Change::animated) {
        m_arcFrom = displayedProgress();
        m_arcStart = m_scheduler.monotonicNow();
        if (!m_frames.isActive()) {
            m_frames.start(frameInterval, [this] {
                if (arcElapsed() >= arcDuration) {
                    m_arcStart.reset();
                    m_frames.stop();
                }
                update();
            });
        }
    } else {
        m_arcStart.reset();
        m_frames.stop();
    }
    m_progress = progress;
    update();
}

void EventProgressRing::updateTicking()
{
    const bool shown = scene() && isVisible();
    if (shown && !m_ticks.isActive()) {
        read(Change::immediate);
        m_ticks.start(refreshInterval, [this] { read(Change::animated); });
    } else if (!shown) {
        m_ticks.stop();
    }
}

QVariant EventProgressRing::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateTicking();
    return QGraphicsObject::itemChange(change, value);
}

double EventProgressRing::arcElapsed() const
{
    return m_arcStart ? m_scheduler.secondsSince(*m_arcStart) : 0.0;
}

QRectF EventProgressRing::boundingRect() const
{
    return QRectF(0, 0, m_size, m_size);
}

void EventProgressRing::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const double line = m_size * lineWidthRatio;
    // The stroke is centred on the circle, which is inset by half a line so
    // that the ring fits its frame.
    const QRectF circle = boundingRect().adjusted(line / 2, line / 2, -line / 2, -line / 2);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QColor track = m_color;
    track.setAlphaF(float(track.alphaF() * trackOpacity));
    painter->setPen(QPen(track, line, Qt::SolidLine, Qt::FlatCap));
    painter->drawEllipse(circle);
    const double progress = displayedProgress();
    if (progress > 0) {
        painter->setPen(QPen(m_color, line, Qt::SolidLine, Qt::RoundCap));
        // From the top, clockwise (Qt's angles run counter-clockwise in
        // sixteenths of a degree).
        painter->drawArc(circle, 90 * 16, -int(std::lround(progress * 360 * 16)));
    }
    painter->restore();
}

EventTimeBadge::EventTimeBadge(Scheduler &scheduler, const DayEvent &event, const QColor &color, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_event(event)
    , m_ring(new EventProgressRing(scheduler, event, ringSize, color, this))
    , m_text(new TimelineText(
          scheduler, refreshInterval, [this](const QDateTime &now) { return EventProgressRing::timeLeft(m_event.end, now); }, this))
{
    setFlag(ItemHasNoContents);
    m_text->setStyle(Typography::withMonospacedDigits(Typography::systemFont(textSize, QFont::DemiBold)), color);
    connect(m_text, &TimelineText::textChanged, this, &EventTimeBadge::relayout);
    relayout();
}

EventTimeBadge::~EventTimeBadge() = default;

void EventTimeBadge::setEvent(const DayEvent &event)
{
    if (event == m_event)
        return;
    m_event = event;
    m_ring->setEvent(event);
    m_text->refresh();
}

void EventTimeBadge::setColor(const QColor &color)
{
    m_ring->setColor(color);
    m_text->setStyle(m_text->font(), color);
}

QSizeF EventTimeBadge::naturalSize() const
{
    const double lineHeight = QFontMetricsF(m_text->font()).height();
    return QSizeF(ringSize + spacing + std::ceil(m_text->naturalWidth()), std::max(ringSize, lineHeight));
}

void EventTimeBadge::relayout()
{
    const QSizeF size = naturalSize();
    const bool changed = size != m_laidOut;
    if (changed) {
        prepareGeometryChange();
        m_laidOut = size;
    }
    m_ring->setPos(0, (size.height() - ringSize) / 2);
    m_text->setPos(ringSize + spacing, 0);
    m_text->setSize(QSizeF(size.width() - ringSize - spacing, size.height()));
    if (changed)
        Q_EMIT naturalSizeChanged();
}

QRectF EventTimeBadge::boundingRect() const
{
    return QRectF(QPointF(), m_laidOut);
}
