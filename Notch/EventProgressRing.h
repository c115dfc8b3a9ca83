#pragma once

#include "Calendar/DayEvent.h"
#include "Support/Scheduler.h"

#include <QGraphicsObject>

#include <optional>

class TimelineText;

// A small ring that fills clockwise from the top as an event runs, with a
// tooltip of the percentage and the title. It reads the time every 15
// seconds while shown, and its arc glides to each new reading.
class EventProgressRing : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double refreshInterval = 15;
    static constexpr double arcDuration = 0.6;
    static constexpr double lineWidthRatio = 0.17;
    static constexpr double trackOpacity = 0.25;

    EventProgressRing(Scheduler &scheduler, const DayEvent &event, double size, const QColor &color, QGraphicsItem *parent = nullptr);
    ~EventProgressRing() override;

    void setEvent(const DayEvent &event);
    void setColor(const QColor &color);

    DayEvent event() const { return m_event; }
    double size() const { return m_size; }
    QColor color() const { return m_color; }
    // The progress drawn now, and the last one read.
    double displayedProgress() const;
    double progress() const { return m_progress; }
    bool isTicking() const { return m_ticks.isActive(); }
    bool isAnimating() const { return m_frames.isActive(); }

    // How far `event` has run at `date`: 0 before its start, 1 from its
    // end. An event of a second or less is full one second after its start.
    static double progress(const DayEvent &event, const QDateTime &date);
    // The time left until `end`: "fim", "42m", "2h", "1h05".
    static QString timeLeft(const QDateTime &end, const QDateTime &now);
    // The tooltip: "45% de Reunião".
    static QString helpText(double progress, const QString &title);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    enum class Change { animated, immediate };
    void read(Change change);
    void updateTicking();
    double arcElapsed() const;

    Scheduler &m_scheduler;
    DayEvent m_event;
    double m_size;
    QColor m_color;
    double m_progress = 0;
    // The arc's glide: from which progress, since when.
    double m_arcFrom = 0;
    std::optional<MonotonicTime> m_arcStart;
    RepeatingTimer m_ticks;
    RepeatingTimer m_frames;
};

// The progress ring followed by the time left until the event ends, which
// it reads every 30 seconds while shown. It keeps its natural size.
class EventTimeBadge : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double ringSize = 13;
    static constexpr double spacing = 5;
    static constexpr double textSize = 11.5;
    static constexpr double refreshInterval = 30;

    EventTimeBadge(Scheduler &scheduler, const DayEvent &event, const QColor &color, QGraphicsItem *parent = nullptr);
    ~EventTimeBadge() override;

    void setEvent(const DayEvent &event);
    void setColor(const QColor &color);

    EventProgressRing *ring() const { return m_ring; }
    TimelineText *timeText() const { return m_text; }
    QSizeF naturalSize() const;

    QRectF boundingRect() const override;
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

Q_SIGNALS:
    // The time text changed its width.
    void naturalSizeChanged();

private:
    void relayout();

    DayEvent m_event;
    EventProgressRing *m_ring;
    TimelineText *m_text;
    QSizeF m_laidOut;
};
