#include "LockScreen/LyricsView.h"

#include "App/AppModel.h"
#include "NowPlaying/NowPlayingModel.h"
#include "Shared/Typography.h"
#include "Support/Easing.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QFont lineFont()
{
    return Typography::systemFont(LyricsLayerView::fontSize, QFont::Bold);
}

constexpr int textFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

// The column.

LyricsLayerView::Style LyricsLayerView::style(bool synced, bool isCurrent)
{
    if (!synced)
        return {0.85, 1.0};
    return isCurrent ? Style{1.0, 1.0} : Style{0.32, 0.97};
}

const Spring &LyricsLayerView::spring()
{
    static const Spring scrollSpring = Spring::withStiffness(stiffness, damping, mass);
    return scrollSpring;
}

LyricsLayerView::LyricsLayerView(Scheduler &scheduler, const QSizeF &size, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(size)
    , m_restyle(scheduler, styleDuration, [this] { QGraphicsItem::update(); })
    , m_scroll(scheduler, spring().settlingDuration(), [this] { QGraphicsItem::update(); })
{
    rebuild();
}

LyricsLayerView::~LyricsLayerView() = default;

void LyricsLayerView::update(const QList<LyricLine> &lines, bool synced, int current)
{
    const bool changed = lines != m_lines || synced != m_synced;
    const int previous = m_current;
    m_lines = lines;
    m_synced = synced;
    m_current = lines.isEmpty() ? 0 : std::clamp(current, 0, int(lines.size()) - 1);
    if (changed) {
        rebuild();
        scroll(false);
    } else if (m_current != previous) {
        restyle(true);
        scroll(true);
    }
}

void LyricsLayerView::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    if (m_size.width() != m_laidOutWidth)
        rebuild();
    scroll(false);
}

void LyricsLayerView::rebuild()
{
    m_laidOutWidth = m_size.width();
    if (m_laidOutWidth <= 0)
        return;
    m_lineFrames.clear();
    const QFontMetricsF metrics(lineFont());
    double y = 0;
    for (const LyricLine &line : m_lines) {
        const double height = std::ceil(metrics.boundingRect(QRectF(0, 0, m_laidOutWidth, 1e6), textFlags, line.text).height());
        m_lineFrames.append(QRectF(0, y, m_laidOutWidth, height));
        y += height + lineSpacing;
    }
    restyle(false);
}

void LyricsLayerView::restyle(bool animated)
{
    QList<Style> shown;
    for (int line = 0; line < m_lines.size(); ++line)
        shown.append(line < m_styles.size() ? shownStyle(line) : style(m_synced, line == m_current));
    m_stylesFrom = shown;
    m_styles.clear();
    for (int line = 0; line < m_lines.size(); ++line)
        m_styles.append(style(m_synced, line == m_current));
    if (animated) {
        m_restyle.start();
    } else {
        m_restyle.stop();
        m_stylesFrom = m_styles;
    }
    QGraphicsItem::update();
}

LyricsLayerView::Style LyricsLayerView::shownStyle(int line) const
{
    if (line < 0 || line >= m_styles.size())
        return {};
    const double progress = Easing::easeInOut(m_restyle.linearProgress());
    const Style to = m_styles[line];
    if (progress >= 1)
        return to;
    const Style from = m_stylesFrom.value(line, m_styles[line]);
    return {from.opacity + (to.opacity - from.opacity) * progress, from.scale + (to.scale - from.scale) * progress};
}

double LyricsLayerView::scrollOffset() const
{
    if (!m_scroll.isRunning())
        return m_scrollTarget;
    const double elapsed = m_scroll.linearProgress() * spring().settlingDuration();
    return m_scrollFrom + (m_scrollTarget - m_scrollFrom) * spring().factor(elapsed);
}

void LyricsLayerView::scroll(bool animated)
{
    if (m_current >= m_lineFrames.size())
        return;
    const double from = scrollOffset();
    m_scrollTarget = m_size.height() / 2 - m_lineFrames[m_current].center().y();
    if (animated) {
        // From where the column is on screen now, also in the middle of a
        // scroll.
        m_scrollFrom = from;
        m_scroll.start();
    } else {
        m_scroll.stop();
    }
    QGraphicsItem::update();
}

void LyricsLayerView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_size.isEmpty())
        return;
    // The lines are drawn into a layer of their own, which the fade then
    // masks.
    const double ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QImage layer((m_size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter lines(&layer);
        lines.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        lines.setFont(lineFont());
        lines.setPen(Qt::white);
        const double offset = scrollOffset();
        for (int line = 0; line < m_lineFrames.size(); ++line) {
            const QRectF frame = m_lineFrames[line].translated(0, offset);
            if (frame.bottom() < 0 || frame.top() > m_size.height())
                continue;
            const Style shown = shownStyle(line);
            lines.save();
            lines.setOpacity(shown.opacity);
            lines.translate(frame.center());
            lines.scale(shown.scale, shown.scale);
            lines.translate(-frame.center());
            lines.drawText(frame, textFlags, m_lines[line].text);
            lines.restore();
        }
        QLinearGradient fade(0, 0, 0, m_size.height());
        fade.setColorAt(0, Qt::transparent);
        fade.setColorAt(fadeFraction, Qt::black);
        fade.setColorAt(1 - fadeFraction, Qt::black);
        fade.setColorAt(1, Qt::transparent);
        lines.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        lines.fillRect(QRectF(QPointF(), m_size), fade);
    }
    painter->drawImage(QPointF(0, 0), layer);
}

// The current line.

int LyricsScroller::lineIndex(const QList<LyricLine> &lines, double seconds)
{
    int low = 0;
    int high = int(lines.size()) - 1;
    int result = 0;
    while (low <= high) {
        const int middle = (low + high) / 2;
        if (seconds >= lines[middle].time) {
            result = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return result;
}

LyricsScroller::LyricsScroller(Scheduler &scheduler, const NowPlayingModel &nowPlaying, QList<LyricLine> lines,
                               std::function<void(int current)> changed)
    : m_scheduler(scheduler)
    , m_nowPlaying(nowPlaying)
    , m_lines(std::move(lines))
    , m_changed(std::move(changed))
    , m_current(lineNow())
    , m_ticker(scheduler)
{
    m_changed(m_current);
    m_ticker.start(tickInterval, [this] {
        const int line = lineNow();
        if (line == m_current)
            return;
        m_current = line;
        m_changed(m_current);
    });
}

int LyricsScroller::lineNow() const
{
    return lineIndex(m_lines, m_nowPlaying.elapsed(m_scheduler.monotonicNow()) + lead);
}

// Content or message.

LyricsView::LyricsView(AppModel &model, const QSizeF &size, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_model(model)
    , m_size(size)
{
    m_content.setBinding([&model] { return model.lyrics.content(); });
    m_contentNotifier = m_content.addNotifier([this] { show(m_content.value()); });
    show(m_content.value());
}

LyricsView::~LyricsView()
{
    // The scroller calls into the column.
    m_scroller.reset();
}

void LyricsView::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    if (m_layer)
        m_layer->setSize(size);
}

void LyricsView::show(const LyricsContent &content)
{
    m_scroller.reset();
    delete m_layer;
    m_layer = nullptr;
    m_message.clear();
    switch (content.kind) {
    case LyricsContent::Kind::synced:
    case LyricsContent::Kind::plain: {
        const bool synced = content.kind == LyricsContent::Kind::synced;
        m_layer = new LyricsLayerView(m_model.services().scheduler, m_size, this);
        m_scroller = std::make_unique<LyricsScroller>(m_model.services().scheduler, m_model.nowPlaying, content.lines,
                                                      [this, lines = content.lines, synced](int current) {
                                                          m_layer->update(lines, synced, current);
                                                      });
        break;
    }
    case LyricsContent::Kind::none:
    case LyricsContent::Kind::loading:
        m_message = QStringLiteral("Buscando a letra…");
        break;
    case LyricsContent::Kind::notFound:
        m_message = QStringLiteral("Letra não encontrada para esta música");
        break;
    }
    update();
}

void LyricsView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_message.isEmpty())
        return;
    painter->setPen(QColor::fromRgbF(1, 1, 1, 0.6));
    painter->setFont(Typography::systemFont(messageSize, QFont::DemiBold));
    painter->drawText(boundingRect(), Qt::AlignCenter | Qt::TextWordWrap, m_message);
}
