#pragma once

#include "App/Preferences.h"
#include "Calendar/DayEvent.h"
#include "Notch/ClickableItem.h"

#include <QColor>
#include <QDateTime>
#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <functional>
#include <optional>

class AppModel;
class ClaudeUsageEmpty;
class ClaudeUsageSection;
class EventProgressRing;
class EventRow;

// The calendar column of the open panel: the date, then the next two events
// of the day (or an empty-day block with the weather), and, by the
// `sideColumn` setting, the usage-limit card below or in place of the
// events. It only reads models; its buttons call the calendar model. It has
// no timer: it is laid out again whenever a value it reads changes.
class CalendarSection : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double headerHeight = 42;
    static constexpr double headerSpacing = 8;
    static constexpr double partTopPadding = 6;
    static constexpr double rowSpacing = 5;
    static constexpr double usageTopPadding = 12;
    static constexpr double emptyDaySpacing = 2;
    static constexpr double weatherSpacing = 5;
    static constexpr int listedEvents = 2;

    enum class EventsBlock { none, events, emptyDay };
    enum class UsageBlock { none, card, placeholder };
    struct Blocks {
        EventsBlock events;
        UsageBlock usage;
        // The "+N eventos" count in the header.
        bool showsMoreCount;

        bool operator==(const Blocks &) const = default;
    };
    // What the column holds below its header.
    static Blocks blocks(SideColumn sideColumn, qsizetype upcomingCount, bool hasUsageData);
    // "+1 evento", "+3 eventos"; empty with fewer than three events.
    static QString moreEventsText(qsizetype upcomingCount);
    // The time line of an event at `now`: "Dia inteiro", "Agora · até 10:30",
    // "Em 5 min" or "14:00 – 15:00".
    static QString timeText(const DayEvent &event, const QDateTime &now);
    // Names and clock times of the panel's locale (Brazilian Portuguese).
    static QString weekdayText(const QDate &date);
    static QString monthText(const QDate &date);
    static QString clockText(const QDateTime &time);
    // Not all-day and starting within the hour (or started).
    static bool isSoon(const DayEvent &event, const QDateTime &now);
    // Started, not ended and not all-day: the row shows a progress ring.
    static bool isInProgress(const DayEvent &event, const QDateTime &now);
    // The row colour: the calendar's, or white at 60 % without calendar
    // colours.
    static QColor rowColor(const DayEvent &event, bool useCalendarColor);

    struct Layout {
        QString dayText;
        QRectF day;
        QString weekdayText;
        QRectF weekday;
        QString monthText;
        QRectF month;
        QString moreText;
        std::optional<QRectF> more;
        QList<QRectF> rows;
        // The empty-day block: the weather line when there is one, and its
        // two texts.
        std::optional<QRectF> weatherSymbol;
        QRectF weatherLabel;
        QRectF weatherTemperature;
        std::optional<QRectF> emptyDayTitle;
        QRectF emptyDaySubtitle;
        std::optional<QRectF> usage;
        double height = 0;

        bool operator==(const Layout &) const = default;
    };

    CalendarSection(AppModel &app, QGraphicsItem *parent = nullptr);
    ~CalendarSection() override;

    void setWidth(double width);
    double height() const { return m_layout.height; }
    Layout layout() const { return m_layout; }
    Blocks currentBlocks() const { return m_blocks; }
    QList<EventRow *> rows() const { return m_rows; }
    ClaudeUsageSection *usageCard() const { return m_usageCard; }
    ClaudeUsageEmpty *usagePlaceholder() const { return m_usagePlaceholder; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    void heightChanged();

private:
    // Everything the column reads, gathered by one binding.
    struct Inputs {
        SideColumn sideColumn;
        bool useCalendarColor;
        bool showWeather;
        QDateTime today;
        QList<DayEvent> upcoming;
        std::optional<DayEvent> countdownEvent;
        std::optional<double> temperature;
        std::optional<int> weatherCode;
        bool isDay;
        QString temperatureText;
        bool hasUsageData;

        bool operator==(const Inputs &) const = default;
    };
    Inputs readInputs() const;
    void rebuild();
    void relayout();

    AppModel &m_app;
    double m_width = 0;
    QProperty<Inputs> m_inputs;
    QPropertyNotifier m_inputsNotifier;
    Blocks m_blocks{EventsBlock::none, UsageBlock::none, false};
    Layout m_layout;
    QList<EventRow *> m_rows;
    ClaudeUsageSection *m_usageCard = nullptr;
    ClaudeUsageEmpty *m_usagePlaceholder = nullptr;
};

// The meeting button of an event row: "Entrar" on a capsule, green when the
// meeting is soon.
class JoinButton : public ClickableItem {
    Q_OBJECT
public:
    static constexpr double height = 22;
    static constexpr double horizontalPadding = 9;
    static constexpr double spacing = 4;
    static constexpr double symbolSize = 9;
    static constexpr double hoverBrightening = 0.08;

    JoinButton(std::optional<QString> provider, bool prominent, std::function<void()> action, QGraphicsItem *parent = nullptr);

    static QString help(const std::optional<QString> &provider);
    bool isProminent() const { return m_prominent; }
    double width() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    bool m_prominent;
};

// A small round symbol button with a tooltip.
class SmallIconButton : public ClickableItem {
    Q_OBJECT
public:
    static constexpr double side = 22;
    static constexpr double symbolSize = 9.5;

    SmallIconButton(QString symbol, const QString &help, std::function<void()> action, QGraphicsItem *parent = nullptr);

    QString symbol() const { return m_symbol; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QString m_symbol;
};

// One event of the calendar column: a colour bar (or a progress ring while
// the event runs), title and time line, the join button for a meeting link
// and, on the event counting down, a button that stops the countdown.
class EventRow : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double spacing = 7;
    static constexpr double barWidth = 3;
    static constexpr double barHeight = 26;
    static constexpr double barRadius = 1.5;
    static constexpr double ringSize = 15;
    static constexpr double trailingMinimumSpacing = 4;

    struct Data {
        DayEvent event;
        QString timeText;
        QColor color;
        bool isSoon = false;
        bool isCountingDown = false;
        bool isInProgress = false;

        bool operator==(const Data &) const = default;
    };
    enum class Marker { bar, ring };

    EventRow(AppModel &app, const Data &data, double width, QGraphicsItem *parent = nullptr);

    // The green a ring takes when calendar colours are off.
    static QColor ringColor(const QColor &rowColor);

    const Data &data() const { return m_data; }
    Marker marker() const { return m_data.isInProgress ? Marker::ring : Marker::bar; }
    QRectF markerRect() const { return m_marker; }
    QRectF titleRect() const { return m_title; }
    QRectF timeRect() const { return m_time; }
    JoinButton *joinButton() const { return m_join; }
    SmallIconButton *dismissButton() const { return m_dismiss; }
    EventProgressRing *ring() const { return m_ring; }
    double height() const { return m_height; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    Data m_data;
    double m_width;
    double m_height = 0;
    QRectF m_marker;
    QRectF m_title;
    QRectF m_time;
    JoinButton *m_join = nullptr;
    SmallIconButton *m_dismiss = nullptr;
    EventProgressRing *m_ring = nullptr;
};
