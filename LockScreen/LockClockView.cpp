#include "LockScreen/LockClockView.h"

#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QLocale>
#include <QPainter>

namespace {

const QLocale &brazilian()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

double between(double from, double to, double progress)
{
    return from + (to - from) * progress;
}

} // namespace

LockClockView::LockClockView(Scheduler &scheduler, double width, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_width(width)
    , m_nextMinute(scheduler)
{
    auto *shadow = new QGraphicsDropShadowEffect;
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.18));
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 4);
    setGraphicsEffect(shadow);
    tick();
}

LockClockView::~LockClockView() = default;

QString LockClockView::dateText(const QDateTime &moment)
{
    return brazilian().toString(moment.date(), QStringLiteral("dddd, d 'de' MMMM"));
}

QString LockClockView::timeText(const QDateTime &moment)
{
    return brazilian().toString(moment.time(), QLocale::ShortFormat);
}

void LockClockView::tick()
{
    m_entry = m_scheduler.now();
    m_entry.setTime(QTime(m_entry.time().hour(), m_entry.time().minute()));
    update();
    // A wall deadline: never early, and re-armed when the clock is set.
    m_nextMinute.startAt(m_entry.addSecs(60), [this] { tick(); });
}

void LockClockView::setCompactness(double compactness)
{
    if (compactness == m_compactness)
        return;
    prepareGeometryChange();
    m_compactness = compactness;
    update();
}

QFont LockClockView::dateFont() const
{
    return Typography::systemFont(between(dateSize, compactDateSize, m_compactness), QFont::DemiBold);
}

QFont LockClockView::timeFont() const
{
    return Typography::systemFont(between(timeSize, compactTimeSize, m_compactness), QFont::Bold);
}

QRectF LockClockView::dateRect() const
{
    return QRectF(0, 0, m_width, QFontMetricsF(dateFont()).height());
}

QRectF LockClockView::timeRect() const
{
    return QRectF(0, dateRect().bottom() + spacing, m_width, QFontMetricsF(timeFont()).height());
}

QRectF LockClockView::boundingRect() const
{
    return dateRect().united(timeRect());
}

void LockClockView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setPen(QColor::fromRgbF(1, 1, 1, 0.85));
    painter->setFont(dateFont());
    painter->drawText(dateRect(), Qt::AlignCenter, shownDate());
    painter->setPen(Qt::white);
    painter->setFont(timeFont());
    painter->drawText(timeRect(), Qt::AlignCenter, shownTime());
}
