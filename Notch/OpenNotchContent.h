#pragma once

#include "App/Preferences.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class AppModel;
class CalendarSection;
class PlayerSection;

// The content of the fully open notch: the player column on the left and
// the calendar column on the right, below the notch, with a thin divider
// between them when both are shown. Which columns exist follows the
// settings. With both, the calendar column takes 170 to 214 points and the
// player the rest.
class OpenNotchContent : public QGraphicsObject {
    Q_OBJECT
public:
    // The columns begin this far below the notch.
    static constexpr double topSpacing = 8;
    static constexpr double horizontalPadding = 30;
    static constexpr double bottomPadding = 14;
    static constexpr double dividerWidth = 1;
    static constexpr double dividerVerticalPadding = 4;
    static constexpr double dividerHorizontalPadding = 18;
    static constexpr double dividerOpacity = 0.08;
    static constexpr double calendarMinimumWidth = 170;
    static constexpr double calendarMaximumWidth = 214;

    struct Columns {
        bool player;
        bool calendar;
        // The columns are centred against each other (else top-aligned).
        bool centred;

        bool operator==(const Columns &) const = default;
    };
    struct Layout {
        std::optional<QRectF> player;
        std::optional<QRectF> divider;
        std::optional<QRectF> calendar;

        bool operator==(const Layout &) const = default;
    };
    // Where the columns go in a content of `size` below a notch of
    // `notchHeight`, given the heights the columns need.
    static Layout layout(const QSizeF &size, double notchHeight, const Columns &columns, double playerHeight, double calendarHeight);

    OpenNotchContent(AppModel &app, double notchHeight, QGraphicsItem *parent = nullptr);
    ~OpenNotchContent() override;

    // The rectangle the content fills, from (0, 0).
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    Layout layout() const { return m_layout; }
    PlayerSection *player() const { return m_player; }
    CalendarSection *calendar() const { return m_calendar; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void updateColumns();
    void relayout();

    AppModel &m_app;
    double m_notchHeight;
    QSizeF m_size;
    QProperty<Columns> m_columns;
    QPropertyNotifier m_columnsNotifier;
    Layout m_layout;
    bool m_relayingOut = false;
    PlayerSection *m_player = nullptr;
    CalendarSection *m_calendar = nullptr;
};
