#include "Notch/ClickableItem.h"

#include <QGraphicsSceneMouseEvent>

ClickableItem::ClickableItem(std::function<void()> action, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_action(std::move(action))
{
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
}

void ClickableItem::interactionChanged()
{
    update();
}

void ClickableItem::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    interactionChanged();
}

void ClickableItem::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    interactionChanged();
}

void ClickableItem::hoverEnterEvent(QGraphicsSceneHoverEvent *)
{
    setHovering(true);
}

void ClickableItem::hoverLeaveEvent(QGraphicsSceneHoverEvent *)
{
    setHovering(false);
}

void ClickableItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    // Taking the press keeps it from the items below.
    event->accept();
    setPressed(true);
}

void ClickableItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    // Pressed looks follow the pointer in and out, as a button's do.
    setPressed(boundingRect().contains(event->pos()));
}

void ClickableItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    setPressed(false);
    // The action may remove this item: nothing of it is used afterwards.
    if (boundingRect().contains(event->pos()) && m_action)
        m_action();
}
