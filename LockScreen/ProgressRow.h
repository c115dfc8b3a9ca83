#pragma once

#include "Support/Scheduler.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class AppModel;
class ScrubBar;

// The lock-screen player's progress: the scrub bar over the elapsed time
// and the time left. While the song plays and no drag is in progress the
// row reads the position again every half second; a drag moves the bar and
// both times with the pointer and seeks once, on release.
class ProgressRow : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double spacing = 6;
    static constexpr double tickInterval = 0.5;
    static constexpr double timeOpacity = 0.55;
    // The furthest position a seek asks for: the media bridge's players take
    // positions in 64-bit microseconds.
    static constexpr double longestSeek = 9.0e12;

    // "m:ss" of seconds, rounded down; minutes are not folded into hours;
    // "0:00" for a value that is not finite.
    static QString format(double seconds);
    // The length the bar stands for: the duration, or 1 s for a duration of
    // 1 s or less.
    static double length(double duration);

    struct Content {
        // The bar's fraction, 0 to 1.
        double fraction = 0;
        QString elapsedText;
        QString remainingText;

        bool operator==(const Content &) const = default;
    };
    // What the row shows for a song of `duration` at `elapsed`, or at the
    // drag's position while dragging.
    static Content content(double duration, double elapsed, std::optional<double> dragFraction);
    // The position to seek to for a release at `position` (0 to 1) on a song
    // of `duration`: within the song and within longestSeek.
    static double seekTarget(double position, double duration);

    // The row's height: the bar, the spacing and the time line.
    static double height();

    explicit ProgressRow(AppModel &app, QGraphicsItem *parent = nullptr);
    ~ProgressRow() override;

    void setWidth(double width);
    // What the row shows now.
    Content content() const { return m_shown; }
    std::optional<double> dragFraction() const { return m_dragFraction; }
    bool isTicking() const { return m_ticks.isActive(); }
    ScrubBar *bar() const { return m_bar; }
    // The two time texts' lines, in the row's coordinates.
    QRectF timesRect() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    struct Inputs {
        bool isPlaying;
        double duration;
        // The position when the inputs were read: changes with every report
        // or seek.
        double elapsed;

        bool operator==(const Inputs &) const = default;
    };
    void setDragFraction(std::optional<double> fraction);
    // Reads the position again and shows it.
    void refresh();
    // The half-second reading runs only while the song plays, no drag is in
    // progress and the row is on screen.
    void updateTicking();

    AppModel &m_app;
    double m_width = 0;
    std::optional<double> m_dragFraction;
    Content m_shown;
    ScrubBar *m_bar;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    RepeatingTimer m_ticks;
};
