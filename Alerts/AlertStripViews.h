#pragma once

#include "Alerts/HUDBar.h"
#include "Alerts/NotchAlert.h"
#include "Support/FrameAnimation.h"

#include <QFont>
#include <QGraphicsObject>
#include <QPropertyNotifier>

class AppModel;

// The current alert strip of the alert centre inside the compact notch: the
// symbol and title left of the camera housing, the level bar and the
// trailing text right of it. A change of alert cross-fades what changed and
// slides the bar to its new level. Draws nothing while no alert is current.
class AlertCompactContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 12;
    static constexpr double groupSpacing = 6;
    // Each side group is this much narrower than the alert's side width.
    static constexpr double groupInset = 4;
    static constexpr double symbolColumnWidth = 18;
    static constexpr double symbolSize = 13;
    static constexpr double textSize = 11.5;
    static constexpr double barHeight = 5;
    // The bar is this much narrower than the side width, with and without
    // a trailing text.
    static constexpr double barInsetWithTrailing = 46;
    static constexpr double barInset = 14;
    static constexpr double trailingMinimumWidth = 24;
    static constexpr double transitionDuration = 0.25;

    struct Symbol {
        QString name;
        QColor color;
        QRectF rect;

        bool operator==(const Symbol &) const = default;
    };
    // A text as shown: fitted to its rectangle, in the font it is drawn in.
    struct Label {
        QString text;
        QColor color;
        QRectF rect;
        QFont font;

        bool operator==(const Label &) const = default;
    };
    // Where each part of an alert goes in a content of a given size.
    struct Layout {
        NotchAlert alert;
        Symbol symbol;
        std::optional<Label> title;
        std::optional<QRectF> bar;
        HUDBar::Appearance barAppearance;
        std::optional<Label> trailing;

        bool operator==(const Layout &) const = default;
    };

    // `notchHeight` is the height of the compact notch the strip sits in.
    AlertCompactContent(AppModel &app, double notchHeight, QGraphicsItem *parent = nullptr);
    ~AlertCompactContent() override;

    // The rectangle the content fills, from (0, 0).
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    // The layout of the alert on screen; none while no alert is current.
    std::optional<Layout> layout() const { return m_layout; }
    bool isAnimating() const { return m_transition.isRunning(); }

    static Layout layout(const NotchAlert &alert, const QSizeF &size, double notchHeight);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    enum class Change { animated, immediate };

    void relayout(Change change);
    void placeBar();

    AppModel &m_app;
    double m_notchHeight;
    QSizeF m_size;
    // The layout being left while a change animates.
    std::optional<Layout> m_from;
    std::optional<Layout> m_layout;
    HUDBar *m_bar;
    FrameAnimation m_transition;
    QPropertyNotifier m_currentNotifier;
};
