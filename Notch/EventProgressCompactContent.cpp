#include "Notch/EventProgressCompactContent.h"

#include "App/AppModel.h"
#include "Notch/EventProgressRing.h"
#include "Notch/NotchViewModel.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>

namespace {

QFont titleFont()
{
    return Typography::systemFont(EventProgressCompactContent::titleSize, QFont::DemiBold);
}

} // namespace

QColor EventProgressCompactContent::defaultEventColor()
{
    return QColor::fromRgbF(0.3f, 0.85f, 0.5f);
}

QColor EventProgressCompactContent::eventColor(const DayEvent &event, bool useCalendarColor)
{
    return useCalendarColor ? event.color : defaultEventColor();
}

EventProgressCompactContent::EventProgressCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_viewModel(viewModel)
{
    AppModel &app = viewModel.app();
    m_reading.setBinding([&app] { return Reading{app.calendar.ongoingEvent(), app.preferences.useCalendarColor.value()}; });
    m_readingNotifier = m_reading.addNotifier([this] { relayout(); });
    relayout();
}

EventProgressCompactContent::~EventProgressCompactContent() = default;

void EventProgressCompactContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    placeBadge();
}

QRectF EventProgressCompactContent::titleRect() const
{
    const double lineHeight = QFontMetricsF(titleFont()).height();
    return QRectF(horizontalPadding, (m_size.height() - lineHeight) / 2, sideWidth, lineHeight);
}

void EventProgressCompactContent::relayout()
{
    const Reading reading = m_reading.value();
    if (!reading.event) {
        delete m_badge;
        m_badge = nullptr;
        update();
        return;
    }
    const QColor color = eventColor(*reading.event, reading.useCalendarColor);
    if (!m_badge) {
        m_badge = new EventTimeBadge(m_viewModel.app().services().scheduler, *reading.event, color, this);
        connect(m_badge, &EventTimeBadge::naturalSizeChanged, this, &EventProgressCompactContent::placeBadge);
    } else {
        m_badge->setEvent(*reading.event);
        m_badge->setColor(color);
    }
    placeBadge();
    update();
}

void EventProgressCompactContent::placeBadge()
{
    if (!m_badge)
        return;
    // Trailing edge of the right wing's 90 points, vertically centred.
    const QSizeF badge = m_badge->naturalSize();
    m_badge->setPos(m_size.width() - horizontalPadding - badge.width(), (m_size.height() - badge.height()) / 2);
}

QRectF EventProgressCompactContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void EventProgressCompactContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (const std::optional<DayEvent> shown = event())
        Typography::drawLine(*painter, titleRect(), shown->title, titleFont(), Qt::white);
}
