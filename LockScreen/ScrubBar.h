#pragma once

#include "Support/SpringAnimation.h"

#include <QGraphicsObject>

#include <functional>

// The draggable bar of the lock-screen player's progress and volume rows: a
// thin white capsule track with a fill from the leading edge, 12 points tall
// for the pointer, that thickens from 5 to 8 points on a spring while a drag
// is in progress. A press, every move and the release report where the
// pointer is along the bar, 0 to 1; the row decides what that changes.
class ScrubBar : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double height = 12;
    static constexpr double capsuleHeight = 5;
    static constexpr double draggingCapsuleHeight = 8;
    static constexpr double trackOpacity = 0.2;
    static constexpr double fillOpacity = 0.9;
    static constexpr double springResponse = 0.25;
    static constexpr double springDamping = 0.8;

    ScrubBar(Scheduler &scheduler, QGraphicsItem *parent = nullptr);

    // Where `x` lies on a bar of `width`, 0 to 1; 0 on a bar without width
    // or for a position that is not a number.
    static double position(double x, double width);
    // The share of the track the fill covers for `fraction`: clamped to
    // 0...1, 0 for a value that is not a number.
    static double drawnFraction(double fraction);

    void setWidth(double width);
    double width() const { return m_width; }
    // The position drawn, any value (see drawnFraction).
    void setFraction(double fraction);
    double fraction() const { return m_fraction; }
    // A drag is in progress: the capsule thickens.
    void setDragging(bool dragging);
    bool isDragging() const { return m_dragging; }
    // Called with the pointer's position on the press and on every move.
    void setOnChanged(std::function<void(double)> onChanged) { m_onChanged = std::move(onChanged); }
    // Called with the pointer's position on the release.
    void setOnEnded(std::function<void(double)> onEnded) { m_onEnded = std::move(onEnded); }

    // The capsule's height as drawn now.
    double capsuleHeightNow() const;
    // The track and the fill as drawn now, in the bar's coordinates.
    QRectF trackRect() const;
    QRectF fillRect() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    double m_width = 0;
    double m_fraction = 0;
    bool m_dragging = false;
    // The capsule's height when the last change of `dragging` began.
    double m_heightFrom = capsuleHeight;
    SpringAnimation m_thickness;
    std::function<void(double)> m_onChanged;
    std::function<void(double)> m_onEnded;
};
