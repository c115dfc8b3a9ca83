#include "Notch/NotchSlider.h"

#include "Settings/SettingsStyle.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

double limited(double value)
{
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

} // namespace

NotchSlider::NotchSlider(Scheduler &scheduler, std::function<void(double)> onChange, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_onChange(std::move(onChange))
    , m_thickness(scheduler, thicknessDuration, [this] { update(); })
{
    setAcceptedMouseButtons(Qt::LeftButton);
}

void NotchSlider::setValue(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void NotchSlider::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
}

double NotchSlider::currentTrackHeight() const
{
    const double target = m_dragging ? draggingTrackHeight : trackHeight;
    return m_thicknessFrom + (target - m_thicknessFrom) * m_thickness.progress();
}

double NotchSlider::fraction(double x, double width)
{
    return limited(x / (width <= 1 ? 1 : width));
}

double NotchSlider::fillWidth(double width, double value, double trackHeight)
{
    return std::max(width * limited(value), trackHeight);
}

QRectF NotchSlider::boundingRect() const
{
    return QRectF(0, 0, m_width, height);
}

void NotchSlider::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const double thickness = currentTrackHeight();
    const double top = (height - thickness) / 2;
    const double radius = thickness / 2;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor::fromRgbF(1, 1, 1, 0.16f));
    painter->drawRoundedRect(QRectF(0, top, m_width, thickness), radius, radius);
    painter->setBrush(SettingsStyle::accent());
    painter->drawRoundedRect(QRectF(0, top, fillWidth(m_width, m_value, thickness), thickness), radius, radius);
    painter->restore();
}

void NotchSlider::setDragging(bool dragging)
{
    if (dragging == m_dragging)
        return;
    // A change in the middle of the animation starts from what is drawn.
    m_thicknessFrom = currentTrackHeight();
    m_dragging = dragging;
    m_thickness.start();
    update();
}

void NotchSlider::pointerAt(double x)
{
    setDragging(true);
    // The handler may change the value drawn here, or remove this slider:
    // nothing of it is used afterwards.
    if (m_onChange)
        m_onChange(fraction(x, m_width));
}

void NotchSlider::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    // Taking the press makes this slider the grabber of the moves that
    // follow, also outside its band.
    event->accept();
    pointerAt(event->pos().x());
}

void NotchSlider::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    pointerAt(event->pos().x());
}

void NotchSlider::mouseReleaseEvent(QGraphicsSceneMouseEvent *)
{
    setDragging(false);
}
