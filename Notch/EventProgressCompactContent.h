#pragma once

#include "Calendar/DayEvent.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class EventTimeBadge;
class NotchViewModel;

// The ongoing event inside the compact notch: its title in the left wing,
// its progress ring and time left in the right wing. Empty while the
// calendar has no ongoing event.
class EventProgressCompactContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 12;
    static constexpr double sideWidth = 90;
    static constexpr double titleSize = 11.5;

    // The colour of event progress while calendar colours are off.
    static QColor defaultEventColor();
    // The colour an event's progress is drawn in.
    static QColor eventColor(const DayEvent &event, bool useCalendarColor);

    EventProgressCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    ~EventProgressCompactContent() override;

    // The rectangle the content fills, from (0, 0): the compact state's size.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    std::optional<DayEvent> event() const { return m_reading.value().event; }
    QRectF titleRect() const;
    // The badge while there is an ongoing event.
    EventTimeBadge *badge() const { return m_badge; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Reading {
        std::optional<DayEvent> event;
        bool useCalendarColor;

        bool operator==(const Reading &) const = default;
    };
    void relayout();
    void placeBadge();

    NotchViewModel &m_viewModel;
    QSizeF m_size;
    QProperty<Reading> m_reading;
    QPropertyNotifier m_readingNotifier;
    EventTimeBadge *m_badge = nullptr;
};
