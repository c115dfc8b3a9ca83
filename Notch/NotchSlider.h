#pragma once

#include "Support/FrameAnimation.h"

#include <QGraphicsObject>

#include <functional>

class Scheduler;

// A thin capsule slider in the accent colour, for the volume mixer. The
// whole 18-point band takes the pointer: a press sets the value at the
// pressed point and every move while held reports a new value at once; the
// release reports nothing. While held, the track thickens from 5 to 7
// points. The slider keeps no value of its own beyond what it is told to
// draw.
class NotchSlider : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double height = 18;
    static constexpr double trackHeight = 5;
    static constexpr double draggingTrackHeight = 7;
    static constexpr double thicknessDuration = 0.12;

    // `onChange` receives every new value from the pointer, 0...1.
    NotchSlider(Scheduler &scheduler, std::function<void(double)> onChange, QGraphicsItem *parent = nullptr);

    // The value to draw; drawn limited to 0...1.
    void setValue(double value);
    double value() const { return m_value; }
    void setWidth(double width);
    double width() const { return m_width; }
    bool isDragging() const { return m_dragging; }

    // The track's thickness now, moving between 5 and 7 after a change of
    // dragging.
    double currentTrackHeight() const;
    // The value at `x` in a slider `width` wide, limited to 0...1.
    static double fraction(double x, double width);
    // The width of the filled part: at least a round dot of the track's
    // thickness.
    static double fillWidth(double width, double value, double trackHeight);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void setDragging(bool dragging);
    void pointerAt(double x);

    std::function<void(double)> m_onChange;
    double m_value = 0;
    double m_width = 0;
    bool m_dragging = false;
    // The thickness the running animation started from.
    double m_thicknessFrom = trackHeight;
    FrameAnimation m_thickness;
};
