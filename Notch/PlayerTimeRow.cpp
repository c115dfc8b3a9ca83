#include "Notch/PlayerTimeRow.h"

#include "App/AppModel.h"
#include "Shared/Typography.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QFont timeFont() { return Typography::withMonospacedDigits(Typography::systemFont(11, QFont::Medium)); }
QFont liveFont() { return Typography::systemFont(10.5, QFont::Bold); }

QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }

void drawCapsule(QPainter &painter, const QRectF &rect, const QColor &color)
{
    painter.setBrush(color);
    const double radius = std::min(rect.width(), rect.height()) / 2;
    painter.drawRoundedRect(rect, radius, radius);
}

} // namespace

QString PlayerTimeRow::format(double seconds)
{
    // Negative positions do not come from a player; they read as the start
    // instead of "0:-1".
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("0:00");
    // Beyond 64 bits of whole seconds the largest count stands in.
    constexpr double limit = 9.2e18;
    const qint64 whole = seconds >= limit ? std::numeric_limits<qint64>::max() : qint64(std::floor(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

double PlayerTimeRow::length(double duration)
{
    return duration <= 1 ? 1 : duration;
}

double PlayerTimeRow::fraction(double x, double width)
{
    // A bar without width (or a position that is no number) gives no NaN
    // for the seek.
    if (!(width > 0) || std::isnan(x))
        return 0;
    return std::clamp(x / width, 0.0, 1.0);
}

PlayerTimeRow::Content PlayerTimeRow::content(bool hasMedia, double duration, double elapsed, std::optional<double> dragFraction)
{
    Content content;
    if (hasMedia && duration <= 0) {
        content.isLive = true;
        return content;
    }
    content.length = length(duration);
    content.position = dragFraction ? content.length * *dragFraction : elapsed;
    const double progress = content.position / content.length;
    content.progress = std::isnan(progress) ? 0 : std::clamp(progress, 0.0, 1.0);
    content.elapsedText = format(content.position);
    const double remaining = content.length - content.position;
    content.remainingText = QStringLiteral("-") + format(remaining > 0 ? remaining : 0);
    return content;
}

PlayerTimeRow::Layout PlayerTimeRow::layout(double width)
{
    Layout layout;
    layout.elapsed = QRectF(0, 0, elapsedWidth, height);
    const double barLeft = elapsedWidth + spacing;
    layout.bar = QRectF(barLeft, 0, std::max(0.0, width - barLeft - spacing - remainingWidth), height);
    layout.remaining = QRectF(width - remainingWidth, 0, remainingWidth, height);
    layout.liveDot = QRectF(0, (height - liveDotSide) / 2, liveDotSide, liveDotSide);
    const double textLeft = liveDotSide + liveSpacing;
    layout.liveText = QRectF(textLeft, 0, std::max(0.0, width - textLeft), height);
    return layout;
}

PlayerTimeRow::PlayerTimeRow(AppModel &app, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_ticks(app.services().scheduler)
    , m_capsuleAnimation(app.services().scheduler, capsuleDuration, [this] { update(); })
{
    setAcceptedMouseButtons(Qt::LeftButton);
    m_inputs.setBinding([this] {
        NowPlayingModel &nowPlaying = m_app.nowPlaying;
        // Every input hasMedia() may read, read on every evaluation.
        nowPlaying.bindableTitle().value();
        nowPlaying.bindableSourceFilter().value();
        nowPlaying.bindableBundleIdentifier().value();
        return Inputs{nowPlaying.hasMedia(), nowPlaying.bindableIsPlaying().value(), nowPlaying.bindableDuration().value(),
                      nowPlaying.elapsed(m_app.services().scheduler.monotonicNow())};
    });
    m_inputsNotifier = m_inputs.addNotifier([this] {
        updateTicking();
        update();
    });
    updateTicking();
}

PlayerTimeRow::~PlayerTimeRow() = default;

void PlayerTimeRow::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
    update();
}

PlayerTimeRow::Content PlayerTimeRow::content() const
{
    const Inputs inputs = m_inputs.value();
    return content(inputs.hasMedia, inputs.duration, m_app.nowPlaying.elapsed(m_app.services().scheduler.monotonicNow()), m_dragFraction);
}

double PlayerTimeRow::capsuleHeightNow() const
{
    const double from = m_dragFraction ? capsuleHeight : draggingCapsuleHeight;
    const double to = m_dragFraction ? draggingCapsuleHeight : capsuleHeight;
    return from + (to - from) * m_capsuleAnimation.progress();
}

QVariant PlayerTimeRow::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateTicking();
    return QGraphicsObject::itemChange(change, value);
}

void PlayerTimeRow::updateTicking()
{
    const Inputs inputs = m_inputs.value();
    const bool shown = scene() && isVisible();
    if (shown && inputs.isPlaying && !m_dragFraction) {
        if (!m_ticks.isActive())
            m_ticks.start(tickInterval, [this] { update(); });
    } else {
        m_ticks.stop();
    }
}

void PlayerTimeRow::setDragFraction(std::optional<double> fraction)
{
    const bool startsOrEnds = fraction.has_value() != m_dragFraction.has_value();
    m_dragFraction = fraction;
    if (startsOrEnds) {
        m_capsuleAnimation.start();
        updateTicking();
    }
    update();
}

void PlayerTimeRow::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const Layout bar = layout();
    if (content().isLive || !bar.bar.contains(event->pos())) {
        event->ignore();
        return;
    }
    event->accept();
    // A press counts as the drag's first change: a plain click seeks there.
    setDragFraction(fraction(event->pos().x() - bar.bar.left(), bar.bar.width()));
}

void PlayerTimeRow::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_dragFraction)
        return;
    const Layout bar = layout();
    setDragFraction(fraction(event->pos().x() - bar.bar.left(), bar.bar.width()));
}

void PlayerTimeRow::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_dragFraction)
        return;
    const Layout bar = layout();
    const double target = length(m_app.nowPlaying.duration()) * fraction(event->pos().x() - bar.bar.left(), bar.bar.width());
    setDragFraction(std::nullopt);
    m_app.nowPlaying.seek(target);
}

QRectF PlayerTimeRow::boundingRect() const
{
    return QRectF(0, 0, m_width, height);
}

void PlayerTimeRow::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const Content shown = content();
    const Layout parts = layout();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    if (shown.isLive) {
        painter->setBrush(QColor::fromRgbF(1.0f, 0.30f, 0.27f));
        painter->drawEllipse(parts.liveDot);
        Typography::drawLine(*painter, parts.liveText, QStringLiteral("AO VIVO"), liveFont(), white(0.6));
        painter->restore();
        return;
    }
    const QFont font = timeFont();
    Typography::drawLine(*painter, parts.elapsed, shown.elapsedText, font, white(0.5));
    Typography::drawLine(*painter, parts.remaining, shown.remainingText, font, white(0.5), Qt::AlignRight);
    const double capsule = capsuleHeightNow();
    const QRectF track(parts.bar.left(), parts.bar.center().y() - capsule / 2, parts.bar.width(), capsule);
    drawCapsule(*painter, track, white(0.2));
    if (shown.progress > 0)
        drawCapsule(*painter, QRectF(track.topLeft(), QSizeF(track.width() * shown.progress, capsule)), white(0.92));
    painter->restore();
}
