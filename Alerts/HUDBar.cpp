#include "Alerts/HUDBar.h"

#include "Settings/SettingsStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// A level to draw: clamped to 0...1, an unreadable one as 0.
double clamped(double level)
{
    return std::isfinite(level) ? std::clamp(level, 0.0, 1.0) : 0.0;
}

struct Rgb {
    double red;
    double green;
    double blue;
};

QColor color(Rgb rgb)
{
    return QColor::fromRgbF(float(rgb.red), float(rgb.green), float(rgb.blue), 1.0f);
}

// Every channel moves linearly with t, clamped to 0...1.
QColor mix(Rgb from, Rgb to, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(from.red + (to.red - from.red) * t), float(from.green + (to.green - from.green) * t),
                            float(from.blue + (to.blue - from.blue) * t), 1.0f);
}

void fillCapsule(QPainter &painter, const QRectF &rect, const QColor &color)
{
    const double radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, color);
}

// The halo of the glow style: widening capsules of falling strength, a cheap
// stand-in for a blurred shadow of radius glowRadius.
void drawGlow(QPainter &painter, const QRectF &fill, const QColor &glow)
{
    constexpr int rings = 4;
    for (int ring = rings; ring >= 1; --ring) {
        const double spread = HUDBar::glowRadius * ring / rings;
        QColor layer = glow;
        layer.setAlphaF(float(0.8 * 0.35 * (1.0 - double(ring - 1) / rings)));
        fillCapsule(painter, fill.adjusted(-spread, -spread, spread, spread), layer);
    }
}

} // namespace

HUDBar::HUDBar(QGraphicsItem *parent)
    : QGraphicsObject(parent)
{
}

void HUDBar::setAppearance(const Appearance &appearance)
{
    if (appearance == m_appearance)
        return;
    m_appearance = appearance;
    update();
}

void HUDBar::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
}

QRectF HUDBar::boundingRect() const
{
    return QRectF(QPointF(), m_size).adjusted(-glowRadius, -glowRadius, glowRadius, glowRadius);
}

void HUDBar::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    draw(*painter, QRectF(QPointF(), m_size), m_appearance);
}

QColor HUDBar::levelColor(double level, LevelBase base)
{
    level = std::isfinite(level) ? level : 0.0;
    constexpr Rgb yellow{1.0, 0.84, 0.25};
    constexpr Rgb red{1.0, 0.30, 0.26};
    switch (base) {
    case LevelBase::blue: {
        constexpr Rgb lightBlue{0.35, 0.68, 1.0};
        if (level <= 0.6)
            return color(lightBlue);
        if (level <= 0.72)
            return mix(lightBlue, yellow, (level - 0.6) / 0.12);
        return mix(yellow, red, (level - 0.72) / 0.28);
    }
    case LevelBase::white: {
        constexpr Rgb white{1.0, 1.0, 1.0};
        if (level <= 0.5)
            return color(white);
        if (level <= 0.75)
            return mix(white, yellow, (level - 0.5) / 0.25);
        return mix(yellow, red, (level - 0.75) / 0.25);
    }
    }
    return Qt::white;
}

QColor HUDBar::fillColor(const Appearance &appearance)
{
    if (appearance.levelColors)
        return levelColor(appearance.level, appearance.base);
    if (appearance.style == HUDStyle::accent)
        return SettingsStyle::accent();
    return Qt::white;
}

QRectF HUDBar::fillRect(const QRectF &track, double level)
{
    const double width = std::max(track.height(), track.width() * clamped(level));
    return QRectF(track.topLeft(), QSizeF(width, track.height()));
}

void HUDBar::draw(QPainter &painter, const QRectF &track, const Appearance &appearance)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    fillCapsule(painter, track, QColor::fromRgbF(1, 1, 1, 0.18f));
    if (clamped(appearance.level) > 0) {
        const QRectF fill = fillRect(track, appearance.level);
        if (appearance.style == HUDStyle::glow)
            drawGlow(painter, fill, appearance.levelColors ? levelColor(appearance.level, appearance.base) : QColor(Qt::white));
        fillCapsule(painter, fill, fillColor(appearance));
    }
    painter.restore();
}
