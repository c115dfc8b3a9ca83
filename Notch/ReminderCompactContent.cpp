#include "Notch/ReminderCompactContent.h"

#include "App/AppModel.h"
#include "Notch/Countdown.h"
#include "Notch/NotchViewModel.h"
#include "Notch/TimelineText.h"
#include "Platform/Symbols.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>

namespace {

QFont titleFont()
{
    return Typography::systemFont(ReminderCompactContent::titleSize, QFont::DemiBold);
}

} // namespace

QColor ReminderCompactContent::countdownColor()
{
    return QColor::fromRgbF(1.0f, 0.4f, 0.35f);
}

QString ReminderCompactContent::shortCountdown(const QDateTime &to, const QDateTime &now)
{
    const qint64 minutes = Countdown::minutesUntil(to, now);
    return minutes < 1 ? QStringLiteral("Agora") : QString::number(minutes) + QLatin1Char('m');
}

QString ReminderCompactContent::countdown(const QDateTime &to, const QDateTime &now)
{
    const qint64 minutes = Countdown::minutesUntil(to, now);
    return minutes < 1 ? QStringLiteral("Agora") : QStringLiteral("em ") + QString::number(minutes) + QStringLiteral(" min");
}

QFont ReminderCompactContent::countdownFont()
{
    return Typography::withMonospacedDigits(Typography::systemFont(titleSize, QFont::DemiBold));
}

ReminderCompactContent::Layout ReminderCompactContent::layout(const DayEvent &event, bool useCalendarColor, const QSizeF &size)
{
    const double middle = size.height() / 2;
    const double lineHeight = QFontMetricsF(titleFont()).height();
    const double titleLeft = horizontalPadding + symbolSize + spacing;
    Layout layout;
    layout.symbol = event.joinURL ? QStringLiteral("video.fill") : QStringLiteral("calendar");
    layout.symbolColor = useCalendarColor ? event.color : QColor(Qt::white);
    layout.symbolRect = QRectF(horizontalPadding, middle - symbolSize / 2, symbolSize, symbolSize);
    layout.title = event.title;
    // The left group keeps to its 90 points; a long title is cut there.
    layout.titleRect = QRectF(titleLeft, middle - lineHeight / 2, horizontalPadding + sideWidth - titleLeft, lineHeight);
    layout.countdownRect = QRectF(size.width() - horizontalPadding - sideWidth, 0, sideWidth, size.height());
    return layout;
}

ReminderCompactContent::ReminderCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : QGraphicsObject(parent)
{
    AppModel &app = viewModel.app();
    m_countdown = new TimelineText(
        app.services().scheduler, refreshInterval,
        [this](const QDateTime &now) {
            const std::optional<DayEvent> &event = m_reading.value().event;
            return event ? countdown(event->start, now) : QString();
        },
        this);
    m_countdown->setStyle(countdownFont(), countdownColor());
    m_countdown->setAlignment(Qt::AlignRight);
    m_reading.setBinding([&app] { return Reading{app.calendar.countdownEvent(), app.preferences.useCalendarColor.value()}; });
    m_readingNotifier = m_reading.addNotifier([this] { relayout(); });
    relayout();
}

ReminderCompactContent::~ReminderCompactContent() = default;

void ReminderCompactContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout();
}

void ReminderCompactContent::relayout()
{
    const Reading reading = m_reading.value();
    m_layout = reading.event ? std::optional(layout(*reading.event, reading.useCalendarColor, m_size)) : std::nullopt;
    m_countdown->setVisible(m_layout.has_value());
    if (m_layout) {
        m_countdown->setPos(m_layout->countdownRect.topLeft());
        m_countdown->setSize(m_layout->countdownRect.size());
    }
    m_countdown->refresh();
    update();
}

QRectF ReminderCompactContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void ReminderCompactContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_layout)
        return;
    Symbols::draw(*painter, m_layout->symbolRect, m_layout->symbol, m_layout->symbolColor);
    Typography::drawLine(*painter, m_layout->titleRect, m_layout->title, titleFont(), Qt::white);
}
