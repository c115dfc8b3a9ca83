#pragma once

#include "Alerts/NotchBanner.h"

#include <QGraphicsObject>
#include <QPropertyNotifier>
#include <QStringList>

#include <functional>

class AppModel;
class BannerIcon;

// The small round close button of banners (the volume mixer uses it too): an
// "xmark" on a faint circle that brightens while the pointer is on it.
class CloseButton : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double side = 18;

    explicit CloseButton(std::function<void()> action, QGraphicsItem *parent = nullptr);

    bool isHovering() const { return m_hovering; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void setHovering(bool hovering);

    std::function<void()> m_action;
    bool m_hovering = false;
};

// The current banner of the banner centre in the notch opened to banner
// size: icon, title and body below the notch, a close button in the top
// right corner. A click anywhere activates the banner; the close button
// dismisses it. Draws nothing while no banner is current.
class BannerContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double spacing = 11;
    static constexpr double leadingPadding = 28;
    static constexpr double trailingPadding = 56;
    // Below the notch's height.
    static constexpr double topPadding = 4;
    static constexpr double closeTopPadding = 8;
    static constexpr double closeTrailingPadding = 26;
    static constexpr int maximumBodyLines = 2;

    // Where each part of a banner goes in a content of a given size.
    struct Layout {
        QRectF icon;
        QRectF title;
        // Empty for an empty body.
        QStringList bodyLines;
        QRectF body;
        QRectF closeButton;

        bool operator==(const Layout &) const = default;
    };

    // `notchHeight` is the height of the notch the banner opens below.
    BannerContent(AppModel &app, double notchHeight, QGraphicsItem *parent = nullptr);
    ~BannerContent() override;

    // The rectangle the content fills, from (0, 0).
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    // The layout of the banner on screen; none while no banner is current.
    std::optional<Layout> layout() const { return m_layout; }

    static Layout layout(const NotchBanner &banner, const QSizeF &iconSize, const QSizeF &size, double notchHeight);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void relayout();

    AppModel &m_app;
    double m_notchHeight;
    QSizeF m_size;
    std::optional<NotchBanner> m_banner;
    std::optional<Layout> m_layout;
    BannerIcon *m_icon;
    CloseButton *m_closeButton;
    QPropertyNotifier m_currentNotifier;
};
