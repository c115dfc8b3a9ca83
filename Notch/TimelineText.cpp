#include "Notch/TimelineText.h"

#include "Shared/CrossFade.h"
#include "Shared/Typography.h"

#include <QPainter>

TimelineText::TimelineText(Scheduler &scheduler, double interval, std::function<QString(const QDateTime &)> text, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_interval(interval)
    , m_textAt(std::move(text))
    , m_ticks(scheduler)
    , m_transition(scheduler, transitionDuration, [this] { update(); })
{
    m_text = m_textAt(m_scheduler.now());
}

TimelineText::~TimelineText() = default;

void TimelineText::setStyle(const QFont &font, const QColor &color)
{
    m_font = font;
    m_color = color;
    update();
}

void TimelineText::setAlignment(Qt::Alignment horizontal)
{
    m_alignment = horizontal;
    update();
}

void TimelineText::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
}

void TimelineText::refresh()
{
    read(Change::immediate);
}

double TimelineText::naturalWidth() const
{
    return Typography::width(m_text, m_font);
}

void TimelineText::read(Change change)
{
    const QString text = m_textAt(m_scheduler.now());
    if (text == m_text)
        return;
    m_previousText = m_text;
    m_text = text;
    if (change == Change::animated)
        m_transition.start();
    else
        m_transition.stop();
    update();
    Q_EMIT textChanged();
}

void TimelineText::updateTicking()
{
    // Shown again: the text is read at once, and the period starts anew.
    const bool shown = scene() && isVisible();
    if (shown && !m_ticks.isActive()) {
        read(Change::immediate);
        m_ticks.start(m_interval, [this] { read(Change::animated); });
    } else if (!shown) {
        m_ticks.stop();
    }
}

QVariant TimelineText::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateTicking();
    return QGraphicsObject::itemChange(change, value);
}

QRectF TimelineText::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void TimelineText::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF rect = boundingRect();
    const auto previous = m_transition.isRunning() ? std::optional(m_previousText) : std::nullopt;
    CrossFade::draw(*painter, previous, std::optional(m_text), m_transition.progress(),
                    [&](const QString &text) { Typography::drawLine(*painter, rect, text, m_font, m_color, m_alignment); });
}
