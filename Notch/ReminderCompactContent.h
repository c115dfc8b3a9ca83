#pragma once

#include "Calendar/DayEvent.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class NotchViewModel;
class TimelineText;

// The meeting countdown inside the compact notch: the next event's symbol
// (a camera for a meeting link, else a calendar) and title in the left wing,
// the time until it starts in the right wing, read every 15 seconds while
// shown. Empty while the calendar has no countdown event.
class ReminderCompactContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 12;
    static constexpr double sideWidth = 90;
    static constexpr double symbolSize = 12;
    static constexpr double spacing = 6;
    static constexpr double titleSize = 11.5;
    static constexpr double refreshInterval = 15;

    // The warm red of both countdown texts.
    static QColor countdownColor();
    // The countdowns of the media strip ("13m") and of this strip
    // ("em 13 min"); "Agora" from the start on.
    static QString shortCountdown(const QDateTime &to, const QDateTime &now);
    static QString countdown(const QDateTime &to, const QDateTime &now);
    // The font of both countdowns.
    static QFont countdownFont();

    struct Layout {
        QString symbol;
        QColor symbolColor;
        QRectF symbolRect;
        QString title;
        QRectF titleRect;
        QRectF countdownRect;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(const DayEvent &event, bool useCalendarColor, const QSizeF &size);

    ReminderCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    ~ReminderCompactContent() override;

    // The rectangle the content fills, from (0, 0): the compact state's size.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    // What is drawn; none while there is no countdown event.
    std::optional<Layout> layout() const { return m_layout; }
    TimelineText *countdownText() const { return m_countdown; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    struct Reading {
        std::optional<DayEvent> event;
        bool useCalendarColor;

        bool operator==(const Reading &) const = default;
    };
    void relayout();

    QSizeF m_size;
    QProperty<Reading> m_reading;
    QPropertyNotifier m_readingNotifier;
    std::optional<Layout> m_layout;
    TimelineText *m_countdown;
};
