#include "Notch/MediaButton.h"

#include "Platform/Symbols.h"
#include "Settings/SettingsStyle.h"
#include "Shared/CrossFade.h"

#include <QPainter>

namespace {

constexpr double frameInterval = 1.0 / 60;

const Spring &pressSpring()
{
    static const Spring spring(PressScaleStyle::springResponse, PressScaleStyle::springDamping);
    return spring;
}

} // namespace

PressScaleStyle::PressScaleStyle(Scheduler &scheduler, std::function<void()> frame)
    : m_scheduler(scheduler)
    , m_frame(std::move(frame))
    , m_frames(scheduler)
{
}

double PressScaleStyle::scale(double from, bool pressed, double elapsed)
{
    const double to = pressed ? pressedScale : 1;
    return from + (to - from) * pressSpring().factor(elapsed);
}

void PressScaleStyle::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    // A change in mid-spring starts from the scale on screen.
    m_from = scale();
    m_pressed = pressed;
    m_since = m_scheduler.monotonicNow();
    m_frames.start(frameInterval, [this] {
        if (m_scheduler.secondsSince(m_since) >= settleDuration)
            m_frames.stop();
        m_frame();
    });
    m_frame();
}

double PressScaleStyle::scale() const
{
    if (!m_frames.isActive())
        return m_pressed ? pressedScale : 1;
    return scale(m_from, m_pressed, m_scheduler.secondsSince(m_since));
}

MediaButton::MediaButton(Scheduler &scheduler, QString symbol, double size, bool active, std::function<void()> action,
                         QGraphicsItem *parent)
    : ClickableItem(std::move(action), parent)
    , m_symbol(std::move(symbol))
    , m_size(size)
    , m_active(active)
    , m_hoverAnimation(scheduler, hoverDuration, [this] { update(); })
    , m_symbolAnimation(scheduler, symbolChangeDuration, [this] { update(); })
    , m_press(scheduler, [this] { update(); })
{
}

void MediaButton::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_previousSymbol = m_symbol;
    m_symbol = symbol;
    m_symbolAnimation.start();
    update();
}

void MediaButton::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    update();
}

QColor MediaButton::symbolColor() const
{
    return m_active ? SettingsStyle::accent() : QColor(Qt::white);
}

double MediaButton::circleOpacity() const
{
    return m_circleFrom + (m_circleTarget - m_circleFrom) * m_hoverAnimation.progress();
}

void MediaButton::interactionChanged()
{
    const double target = isHovering() ? hoverOpacity : 0;
    if (target != m_circleTarget) {
        // The fade starts from the opacity on screen.
        m_circleFrom = circleOpacity();
        m_circleTarget = target;
        m_hoverAnimation.start();
    }
    m_press.setPressed(isPressed());
    update();
}

QRectF MediaButton::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void MediaButton::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF centre = boundingRect().center();
    const double scale = m_press.scale();
    painter->translate(centre);
    painter->scale(scale, scale);
    painter->translate(-centre);
    const double circle = circleOpacity();
    if (circle > 0) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor::fromRgbF(1, 1, 1, float(circle)));
        painter->drawEllipse(QRectF(centre.x() - circleSide / 2, centre.y() - circleSide / 2, circleSide, circleSide));
    }
    const QRectF box(centre.x() - m_size / 2, centre.y() - m_size / 2, m_size, m_size);
    const QColor color = symbolColor();
    const auto previous = m_symbolAnimation.isRunning() ? m_previousSymbol : std::optional(m_symbol);
    CrossFade::draw(*painter, previous, std::optional(m_symbol), m_symbolAnimation.progress(),
                    [&](const QString &symbol) { Symbols::draw(*painter, box, symbol, color); });
    painter->restore();
}
