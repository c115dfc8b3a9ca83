#include "LockScreen/ScrubBar.h"

#include "Notch/PlayerTimeRow.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

ScrubBar::ScrubBar(Scheduler &scheduler, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_thickness(scheduler, springResponse, springDamping, [this] { update(); })
{
    setAcceptedMouseButtons(Qt::LeftButton);
}

double ScrubBar::position(double x, double width)
{
    return PlayerTimeRow::fraction(x, width);
}

double ScrubBar::drawnFraction(double fraction)
{
    return std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
}

void ScrubBar::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
}

void ScrubBar::setFraction(double fraction)
{
    if (fraction == m_fraction)
        return;
    m_fraction = fraction;
    update();
}

void ScrubBar::setDragging(bool dragging)
{
    if (dragging == m_dragging)
        return;
    // A change in mid-spring starts from the height on screen.
    m_heightFrom = capsuleHeightNow();
    m_dragging = dragging;
    m_thickness.start();
    update();
}

double ScrubBar::capsuleHeightNow() const
{
    const double to = m_dragging ? draggingCapsuleHeight : capsuleHeight;
    return m_heightFrom + (to - m_heightFrom) * m_thickness.factor();
}

QRectF ScrubBar::trackRect() const
{
    const double capsule = capsuleHeightNow();
    return QRectF(0, (height - capsule) / 2, m_width, capsule);
}

QRectF ScrubBar::fillRect() const
{
    const QRectF track = trackRect();
    return QRectF(track.topLeft(), QSizeF(track.width() * drawnFraction(m_fraction), track.height()));
}

QRectF ScrubBar::boundingRect() const
{
    return QRectF(0, 0, m_width, height);
}

void ScrubBar::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const auto capsule = [painter](const QRectF &rect, double opacity) {
        painter->setBrush(QColor::fromRgbF(1, 1, 1, float(opacity)));
        const double radius = std::min(rect.width(), rect.height()) / 2;
        painter->drawRoundedRect(rect, radius, radius);
    };
    capsule(trackRect(), trackOpacity);
    const QRectF fill = fillRect();
    if (fill.width() > 0)
        capsule(fill, fillOpacity);
    painter->restore();
}

void ScrubBar::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
    // A plain click counts as a drag: its press is the first change.
    if (m_onChanged)
        m_onChanged(position(event->pos().x(), m_width));
}

void ScrubBar::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_onChanged)
        m_onChanged(position(event->pos().x(), m_width));
}

void ScrubBar::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_onEnded)
        m_onEnded(position(event->pos().x(), m_width));
}
