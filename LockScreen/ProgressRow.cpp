#include "LockScreen/ProgressRow.h"

#include "App/AppModel.h"
#include "LockScreen/ScrubBar.h"
#include "Notch/PlayerTimeRow.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QFont timeFont() { return Typography::withMonospacedDigits(Typography::systemFont(11, QFont::Medium)); }

double timeLineHeight() { return std::ceil(QFontMetricsF(timeFont()).height()); }

} // namespace

QString ProgressRow::format(double seconds)
{
    return PlayerTimeRow::format(seconds);
}

double ProgressRow::length(double duration)
{
    return PlayerTimeRow::length(duration);
}

ProgressRow::Content ProgressRow::content(double duration, double elapsed, std::optional<double> dragFraction)
{
    const double length = ProgressRow::length(duration);
    const double position = dragFraction ? length * *dragFraction : elapsed;
    Content content;
    content.fraction = ScrubBar::drawnFraction(position / length);
    content.elapsedText = format(position);
    content.remainingText = QStringLiteral("-") + format(std::max(length - position, 0.0));
    return content;
}

double ProgressRow::seekTarget(double position, double duration)
{
    const double target = ScrubBar::drawnFraction(position) * length(duration);
    return std::min(target, longestSeek);
}

double ProgressRow::height()
{
    return ScrubBar::height + spacing + timeLineHeight();
}

ProgressRow::ProgressRow(AppModel &app, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_bar(new ScrubBar(app.services().scheduler, this))
    , m_ticks(app.services().scheduler)
{
    m_bar->setOnChanged([this](double position) { setDragFraction(position); });
    m_bar->setOnEnded([this](double position) {
        const double target = seekTarget(position, m_app.nowPlaying.duration());
        setDragFraction(std::nullopt);
        m_app.nowPlaying.seek(target);
    });
    m_inputs.setBinding([this] {
        NowPlayingModel &nowPlaying = m_app.nowPlaying;
        return Inputs{nowPlaying.bindableIsPlaying().value(), nowPlaying.bindableDuration().value(),
                      nowPlaying.elapsed(m_app.services().scheduler.monotonicNow())};
    });
    m_inputsNotifier = m_inputs.addNotifier([this] {
        updateTicking();
        refresh();
    });
    refresh();
}

ProgressRow::~ProgressRow() = default;

void ProgressRow::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
    m_bar->setWidth(width);
}

void ProgressRow::refresh()
{
    NowPlayingModel &nowPlaying = m_app.nowPlaying;
    m_shown = content(nowPlaying.duration(), nowPlaying.elapsed(m_app.services().scheduler.monotonicNow()), m_dragFraction);
    m_bar->setFraction(m_shown.fraction);
    m_bar->setDragging(m_dragFraction.has_value());
    update();
}

QRectF ProgressRow::timesRect() const
{
    return QRectF(0, ScrubBar::height + spacing, m_width, timeLineHeight());
}

QVariant ProgressRow::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged) {
        // A row taken off the card forgets a drag it was in.
        if (!scene() || !isVisible())
            m_dragFraction.reset();
        updateTicking();
        refresh();
    }
    return QGraphicsObject::itemChange(change, value);
}

void ProgressRow::updateTicking()
{
    const bool shown = scene() && isVisible();
    if (shown && m_inputs.value().isPlaying && !m_dragFraction) {
        if (!m_ticks.isActive())
            m_ticks.start(tickInterval, [this] { refresh(); });
    } else {
        m_ticks.stop();
    }
}

void ProgressRow::setDragFraction(std::optional<double> fraction)
{
    const bool startsOrEnds = fraction.has_value() != m_dragFraction.has_value();
    m_dragFraction = fraction;
    if (startsOrEnds)
        updateTicking();
    refresh();
}

QRectF ProgressRow::boundingRect() const
{
    return QRectF(0, 0, m_width, height());
}

void ProgressRow::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const Content &shown = m_shown;
    const QRectF times = timesRect();
    const QFont font = timeFont();
    const QColor color = QColor::fromRgbF(1, 1, 1, float(timeOpacity));
    Typography::drawLine(*painter, times, shown.elapsedText, font, color);
    Typography::drawLine(*painter, times, shown.remainingText, font, color, Qt::AlignRight);
}
