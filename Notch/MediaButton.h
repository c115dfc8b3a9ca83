#pragma once

#include "Notch/ClickableItem.h"
#include "Support/FrameAnimation.h"
#include "Support/Spring.h"

#include <functional>
#include <optional>

// The press look of the media buttons: the label shrinks to 0.86 about its
// centre while pressed and springs back on release. The scale is a pure
// function of the time since the last change, played on a frame tick that
// runs only while it moves.
class PressScaleStyle {
public:
    static constexpr double pressedScale = 0.86;
    static constexpr double springResponse = 0.25;
    static constexpr double springDamping = 0.6;
    // The spring has come to rest (within a ten-thousandth) by then.
    static constexpr double settleDuration = 0.6;

    PressScaleStyle(Scheduler &scheduler, std::function<void()> frame);

    // The scale `elapsed` seconds after a change from `from` towards the
    // scale of `pressed`.
    static double scale(double from, bool pressed, double elapsed);

    void setPressed(bool pressed);
    bool isPressed() const { return m_pressed; }
    double scale() const;
    bool isMoving() const { return m_frames.isActive(); }

private:
    Scheduler &m_scheduler;
    std::function<void()> m_frame;
    bool m_pressed = false;
    double m_from = 1;
    MonotonicTime m_since;
    RepeatingTimer m_frames;
};

// The round symbol button of the players' transport rows: a symbol in
// white (in the accent colour while its mode is on) over a circle that
// shows while the pointer is on it. A new symbol cross-fades over the old.
class MediaButton : public ClickableItem {
    Q_OBJECT
public:
    static constexpr double width = 38;
    static constexpr double height = 34;
    static constexpr double circleSide = 34;
    static constexpr double hoverOpacity = 0.12;
    static constexpr double hoverDuration = 0.15;
    static constexpr double symbolChangeDuration = 0.25;

    MediaButton(Scheduler &scheduler, QString symbol, double size, bool active, std::function<void()> action,
                QGraphicsItem *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    double size() const { return m_size; }
    bool isActive() const { return m_active; }
    void setActive(bool active);
    // The symbol's colour: the accent while active, else white.
    QColor symbolColor() const;
    // Opacity of the hover circle as drawn now.
    double circleOpacity() const;
    double pressScale() const { return m_press.scale(); }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void interactionChanged() override;

private:
    QString m_symbol;
    std::optional<QString> m_previousSymbol;
    double m_size;
    bool m_active;
    double m_circleFrom = 0;
    double m_circleTarget = 0;
    FrameAnimation m_hoverAnimation;
    FrameAnimation m_symbolAnimation;
    PressScaleStyle m_press;
};
