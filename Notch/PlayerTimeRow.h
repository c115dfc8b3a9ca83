#pragma once

#include "Support/FrameAnimation.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class AppModel;

// The player's time row: the elapsed time, a scrub bar and the remaining
// time, or a live badge for a stream without a length. While the song
// plays the row reads the position again every half second; a drag on the
// bar moves both times with the pointer and seeks once, on release.
class PlayerTimeRow : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double height = 12;
    static constexpr double spacing = 8;
    static constexpr double elapsedWidth = 34;
    static constexpr double remainingWidth = 38;
    static constexpr double capsuleHeight = 4;
    static constexpr double draggingCapsuleHeight = 6;
    static constexpr double capsuleDuration = 0.15;
    static constexpr double tickInterval = 0.5;
    static constexpr double liveDotSide = 6;
    static constexpr double liveSpacing = 6;

    // "m:ss" of a position in seconds (minutes are not folded into hours);
    // "0:00" for a value that is not finite or below zero.
    static QString format(double seconds);
    // The length the bar stands for: the duration, or 1 s for a duration of
    // 1 s or less.
    static double length(double duration);
    // Where `x` lies on a bar of `width`, 0 to 1; 0 on a bar without width.
    static double fraction(double x, double width);

    struct Content {
        // A stream without a length: the badge, no bar, no times.
        bool isLive = false;
        double position = 0;
        double length = 1;
        // 0 to 1.
        double progress = 0;
        QString elapsedText;
        QString remainingText;

        bool operator==(const Content &) const = default;
    };
    // What the row shows for a song of `duration` at `elapsed` (or at the
    // drag's fraction while dragging).
    static Content content(bool hasMedia, double duration, double elapsed, std::optional<double> dragFraction);

    struct Layout {
        QRectF elapsed;
        QRectF bar;
        QRectF remaining;
        QRectF liveDot;
        QRectF liveText;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(double width);

    explicit PlayerTimeRow(AppModel &app, QGraphicsItem *parent = nullptr);
    ~PlayerTimeRow() override;

    void setWidth(double width);
    Layout layout() const { return layout(m_width); }
    // What the row shows now.
    Content content() const;
    std::optional<double> dragFraction() const { return m_dragFraction; }
    bool isTicking() const { return m_ticks.isActive(); }
    // The progress capsule's height as drawn now.
    double capsuleHeightNow() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    struct Inputs {
        bool hasMedia;
        bool isPlaying;
        double duration;
        // The position when the inputs were read: changes with every report
        // or seek.
        double elapsed;

        bool operator==(const Inputs &) const = default;
    };
    void setDragFraction(std::optional<double> fraction);
    // The half-second reading runs only while the song plays, no drag is in
    // progress and the row is on screen.
    void updateTicking();

    AppModel &m_app;
    double m_width = 0;
    std::optional<double> m_dragFraction;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    RepeatingTimer m_ticks;
    FrameAnimation m_capsuleAnimation;
};
