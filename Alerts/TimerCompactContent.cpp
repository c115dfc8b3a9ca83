#include "Alerts/TimerCompactContent.h"

#include "Alerts/TimerModel.h"
#include "App/AppModel.h"
#include "Platform/Symbols.h"
#include "Shared/CrossFade.h"
#include "Shared/SystemColors.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QFont timeFont()
{
    return Typography::withMonospacedDigits(Typography::systemFont(TimerCompactContent::textSize, QFont::DemiBold));
}

} // namespace

TimerCompactContent::TimerCompactContent(AppModel &app, double notchHeight, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_notchHeight(notchHeight)
    , m_ticks(app.services().scheduler)
    , m_transition(app.services().scheduler, transitionDuration, [this] { update(); })
{
    m_endDateNotifier = m_app.timers.bindableEndDate().addNotifier([this] { updateTicking(); });
    m_layout = layout(m_size, m_notchHeight);
    updateTicking();
}

TimerCompactContent::~TimerCompactContent() = default;

void TimerCompactContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    m_layout = layout(m_size, m_notchHeight);
}

TimerCompactContent::Layout TimerCompactContent::layout(const QSizeF &size, double notchHeight)
{
    const double middle = notchHeight / 2;
    const double lineHeight = QFontMetricsF(timeFont()).height();
    const double textLeft = horizontalPadding + symbolSize;
    return Layout{QRectF(horizontalPadding, middle - symbolSize / 2, symbolSize, symbolSize),
                  QRectF(textLeft, middle - lineHeight / 2, std::max(0.0, size.width() - horizontalPadding - textLeft), lineHeight)};
}

QVariant TimerCompactContent::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateTicking();
    return QGraphicsObject::itemChange(change, value);
}

void TimerCompactContent::updateTicking()
{
    // A strip that appears, or a countdown that starts or ends, shows its
    // time at once; only the ticks count visibly.
    const bool shown = scene() && isVisible();
    if (shown)
        readRemainingTime(Change::immediate);
    if (shown && m_app.timers.isRunning()) {
        if (!m_ticks.isActive())
            m_ticks.start(tickInterval, [this] { readRemainingTime(Change::animated); });
    } else {
        m_ticks.stop();
    }
}

void TimerCompactContent::readRemainingTime(Change change)
{
    const QString text = TimerModel::format(m_app.timers.remaining());
    if (text == m_text)
        return;
    m_previousText = m_text;
    m_text = text;
    if (change == Change::animated)
        m_transition.start();
    else
        m_transition.stop();
    update();
}

QRectF TimerCompactContent::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void TimerCompactContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QColor orange = SystemColors::orange();
    Symbols::draw(*painter, m_layout.symbol, QStringLiteral("timer"), orange);
    const QFont font = timeFont();
    const auto previous = m_transition.isRunning() ? std::optional(m_previousText) : std::nullopt;
    CrossFade::draw(*painter, previous, std::optional(m_text), m_transition.progress(), [&](const QString &text) {
        Typography::drawLine(*painter, m_layout.text, text, font, orange, Qt::AlignRight);
    });
}
