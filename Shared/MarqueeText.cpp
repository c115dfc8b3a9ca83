#include "Shared/MarqueeText.h"

#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double frameInterval = 1.0 / 60;

} // namespace

MarqueeText::MarqueeText(Scheduler &scheduler, Qt::Alignment alignment, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_alignment(alignment)
    , m_frames(scheduler)
    , m_pauseEnd(scheduler)
{
    setFlag(ItemClipsToShape);
}

MarqueeText::~MarqueeText() = default;

MarqueeText::StyledText MarqueeText::songLine(const QString &title, const QString &artist)
{
    StyledText line{Run{title, Typography::systemFont(12.5, QFont::DemiBold), QColor::fromRgbF(1, 1, 1, 0.72f)}};
    if (artist.isEmpty())
        return line;
    line.append(Run{QStringLiteral("  ·  "), Typography::systemFont(12.5, QFont::DemiBold), QColor::fromRgbF(1, 1, 1, 0.35f)});
    line.append(Run{artist, Typography::systemFont(12.5, QFont::Medium), QColor::fromRgbF(1, 1, 1, 0.5f)});
    return line;
}

void MarqueeText::setContent(const StyledText &content, const QString &identity)
{
    if (identity != m_identity) {
        m_identity = identity;
        m_scrollStart.reset();
        m_frames.stop();
        m_pauseEnd.cancel();
    }
    if (content != m_content) {
        m_content = content;
        measure();
    }
    updateScrolling();
    update();
}

void MarqueeText::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    updateScrolling();
}

bool MarqueeText::overflows(double textWidth, double fieldWidth)
{
    return textWidth > fieldWidth + overflowTolerance;
}

double MarqueeText::period(double textWidth)
{
    return (textWidth + gap) / speed;
}

double MarqueeText::scrollOffset(double textWidth, double elapsed)
{
    // Each cycle: the pause at rest, then one glide of a text and a gap.
    const double glide = period(textWidth);
    const double cycle = pauseDuration + glide;
    if (!(elapsed > 0) || !std::isfinite(elapsed) || !std::isfinite(cycle))
        return 0;
    const double phase = std::fmod(elapsed, cycle);
    if (phase <= pauseDuration)
        return 0;
    return -(phase - pauseDuration) * speed;
}

double MarqueeText::offset() const
{
    if (!m_scrollStart || !overflows())
        return 0;
    return scrollOffset(m_textWidth, elapsed());
}

QRectF MarqueeText::textRect() const
{
    double x = 0;
    if (!overflows()) {
        if (m_alignment & Qt::AlignHCenter)
            x = (m_size.width() - m_textWidth) / 2;
        else if (m_alignment & Qt::AlignRight)
            x = m_size.width() - m_textWidth;
    }
    const double height = m_label.isNull() ? 0 : m_label.height() / m_label.devicePixelRatio();
    return QRectF(x + offset(), (m_size.height() - height) / 2, m_textWidth, height);
}

void MarqueeText::measure()
{
    double width = 0;
    for (const Run &run : m_content)
        width += Typography::width(run.text, run.font);
    m_textWidth = width;
    m_label = {};
}

double MarqueeText::lineAscent() const
{
    double ascent = 0;
    for (const Run &run : m_content)
        ascent = std::max(ascent, QFontMetricsF(run.font).ascent());
    return ascent;
}

void MarqueeText::renderLabel(qreal devicePixelRatio)
{
    double descent = 0;
    for (const Run &run : m_content)
        descent = std::max(descent, QFontMetricsF(run.font).descent());
    const double ascent = lineAscent();
    const QSize pixels(int(std::ceil((m_textWidth + 2) * devicePixelRatio)), int(std::ceil((ascent + descent) * devicePixelRatio)));
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    double x = 0;
    for (const Run &run : m_content) {
        painter.setFont(run.font);
        painter.setPen(run.color);
        painter.drawText(QPointF(x, ascent), run.text);
        x += Typography::width(run.text, run.font);
    }
    painter.end();
    m_label = QPixmap::fromImage(image);
}

void MarqueeText::updateScrolling()
{
    const bool shown = scene() && isVisible();
    if (!m_scrollStart && overflows() && shown)
        m_scrollStart = m_scheduler.monotonicNow();
    if (!m_scrollStart || !overflows() || !shown) {
        m_frames.stop();
        m_pauseEnd.cancel();
        return;
    }
    const double cycle = pauseDuration + period(m_textWidth);
    const double phase = std::fmod(std::max(0.0, elapsed()), cycle);
    if (phase < pauseDuration) {
        // At rest: no frames until the glide begins.
        m_frames.stop();
        if (!m_pauseEnd.isPending())
            m_pauseEnd.start(pauseDuration - phase, [this] { updateScrolling(); });
        update();
        return;
    }
    if (!m_frames.isActive()) {
        m_frames.start(frameInterval, [this] {
            update();
            const double now = std::fmod(elapsed(), pauseDuration + period(m_textWidth));
            if (now < pauseDuration)
                updateScrolling();
        });
    }
}

QVariant MarqueeText::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateScrolling();
    return QGraphicsObject::itemChange(change, value);
}

double MarqueeText::elapsed() const
{
    return m_scrollStart ? m_scheduler.secondsSince(*m_scrollStart) : 0.0;
}

QRectF MarqueeText::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void MarqueeText::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_size.isEmpty() || m_content.isEmpty())
        return;
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    if (m_label.isNull() || !qFuzzyCompare(m_label.devicePixelRatio(), ratio))
        renderLabel(ratio);
    const QRectF text = textRect();
    if (!overflows()) {
        painter->drawPixmap(text.topLeft(), m_label);
        return;
    }
    // Both copies into a layer of the field, faded at the edges, then drawn.
    QImage layer((m_size * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    layerPainter.drawPixmap(text.topLeft(), m_label);
    layerPainter.drawPixmap(text.topLeft() + QPointF(m_textWidth + gap, 0), m_label);
    QLinearGradient fade(0, 0, m_size.width(), 0);
    fade.setColorAt(0, Qt::transparent);
    fade.setColorAt(leadingFadeEnd, Qt::black);
    fade.setColorAt(trailingFadeStart, Qt::black);
    fade.setColorAt(1, Qt::transparent);
    layerPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    layerPainter.fillRect(QRectF(QPointF(), m_size), fade);
    layerPainter.end();
    painter->drawImage(QPointF(), layer);
}
