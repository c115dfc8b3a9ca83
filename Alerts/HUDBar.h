#pragma once

#include "Alerts/NotchAlert.h"

#include <QGraphicsObject>

// The level bar of alert strips: a faint track and a capsule filled to the
// level, in white, the accent colour or a colour ramp that warns at high
// levels; the glow style adds a halo. The drawing is also a plain function
// on a QPainter, so widget code (the settings' style picker) draws the same
// bar.
class HUDBar : public QGraphicsObject {
    Q_OBJECT
public:
    struct Appearance {
        // 0...1; values outside are clamped for drawing.
        double level = 0;
        HUDStyle style = HUDStyle::white;
        // Fill (and glow) take the colour ramp instead of their own colour.
        bool levelColors = false;
        LevelBase base = LevelBase::white;

        bool operator==(const Appearance &) const = default;
    };

    // Radius of the glow around the fill.
    static constexpr double glowRadius = 4;

    explicit HUDBar(QGraphicsItem *parent = nullptr);

    Appearance appearance() const { return m_appearance; }
    void setAppearance(const Appearance &appearance);
    QSizeF size() const { return m_size; }
    void setSize(const QSizeF &size);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // The warning ramp: the base colour up to a threshold, then towards
    // yellow, then towards red.
    static QColor levelColor(double level, LevelBase base);
    // The colour of the fill of a bar with that appearance.
    static QColor fillColor(const Appearance &appearance);
    // The fill's rectangle inside `track`: never narrower than a circle.
    static QRectF fillRect(const QRectF &track, double level);
    // Draws a bar into `track`; the glow spills up to glowRadius outside it.
    static void draw(QPainter &painter, const QRectF &track, const Appearance &appearance);

private:
    Appearance m_appearance;
    QSizeF m_size;
};
