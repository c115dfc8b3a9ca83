#pragma once

#include <QGraphicsObject>

#include <functional>

// An item of the open panel that runs an action on a click (a press and a
// release inside it) and follows the pointer over it and the press, for
// the buttons to draw their hover and pressed looks. Disabled items take no
// clicks, as Qt's items do.
class ClickableItem : public QGraphicsObject {
    Q_OBJECT
public:
    explicit ClickableItem(std::function<void()> action, QGraphicsItem *parent = nullptr);

    bool isHovering() const { return m_hovering; }
    bool isPressed() const { return m_pressed; }

protected:
    // Called after the hover or pressed flag changed; repaints by default.
    virtual void interactionChanged();

    void hoverEnterEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void setHovering(bool hovering);
    void setPressed(bool pressed);

    std::function<void()> m_action;
    bool m_hovering = false;
    bool m_pressed = false;
};
