#include "Notch/NotchShapeLayers.h"

#include "Notch/NotchShape.h"

#include <QBrush>
#include <QEasingCurve>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsObject>
#include <QGraphicsPathItem>
#include <QPen>

#include <algorithm>

namespace {

// One frame per refresh of a common display.
constexpr double frameInterval = 1.0 / 60;

// Holds the silhouette's children; draws nothing itself.
class Canvas final : public QGraphicsObject {
public:
    Canvas() { setFlag(ItemHasNoContents); }
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

// Clips its children to the silhouette.
class SilhouetteClip final : public QGraphicsObject {
public:
    explicit SilhouetteClip(const QSizeF &size)
        : m_bounds(QPointF(0, 0), size)
    {
        setFlag(ItemClipsChildrenToShape);
    }

    void setPath(const QPainterPath &path)
    {
        // Children are clipped to shape(), which Qt caches with the geometry.
        prepareGeometryChange();
        m_path = path;
        update();
    }

    QRectF boundingRect() const override { return m_bounds; }
    QPainterPath shape() const override { return m_path; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

private:
    QRectF m_bounds;
    QPainterPath m_path;
};

QGraphicsPathItem *makeShapeItem(QGraphicsItem *parent, const QBrush &brush, const QPen &pen)
{
    auto *item = new QGraphicsPathItem(parent);
    item->setBrush(brush);
    item->setPen(pen);
    return item;
}

const QEasingCurve &easeInEaseOut()
{
    static const QEasingCurve curve = [] {
        QEasingCurve bezier(QEasingCurve::BezierSpline);
        bezier.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return bezier;
    }();
    return curve;
}

} // namespace

NotchShapeLayers::NotchShapeLayers(const NotchMetrics &metrics, const QRectF &frame, Scheduler &scheduler)
    : m_scheduler(scheduler)
    , m_frame(frame)
    , m_pill(metrics.isPill)
    , m_topInset(metrics.topInset)
    , m_hardwareNotch(metrics.hasHardwareNotch ? std::optional<QSizeF>(metrics.notchSize) : std::nullopt)
    , m_frames(scheduler)
{
    m_canvas = new Canvas;
    m_canvas->setPos(frame.topLeft());
    m_shadow = makeShapeItem(m_canvas, Qt::black, Qt::NoPen);
    m_fill = makeShapeItem(m_canvas, Qt::black, Qt::NoPen);
    QPen outlinePen(QColor::fromRgbF(1, 1, 1, 0.16));
    outlinePen.setWidthF(1);
    m_outline = makeShapeItem(m_canvas, Qt::NoBrush, outlinePen);

    auto *shadow = new QGraphicsDropShadowEffect;
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.55));
    shadow->setBlurRadius(18);
    shadow->setOffset(0, 8);
    m_shadow->setGraphicsEffect(shadow);
    m_shadow->setOpacity(0);
    m_outline->setOpacity(0);

    m_content = new SilhouetteClip(frame.size());
    m_content->setPos(frame.topLeft());

    m_shadowFade.item = m_shadow;
    m_outlineFade.item = m_outline;
    m_canvasFade.item = m_canvas;
    m_contentFade.item = m_content;
    for (Fade *fade : {&m_shadowFade, &m_outlineFade, &m_canvasFade, &m_contentFade})
        fade->from = fade->target = fade->item->opacity();
}

NotchShapeLayers::~NotchShapeLayers()
{
    delete m_content.data();
    delete m_canvas.data();
}

QPainterPath NotchShapeLayers::pathFor(const NotchGeometry &geometry) const
{
    const QRectF rect((m_frame.width() - geometry.width) * 0.5, m_topInset, geometry.width, geometry.height);
    return NotchShape{.topRadius = geometry.top, .bottomRadius = geometry.bottom, .pill = m_pill}.path(rect);
}

void NotchShapeLayers::show(const QPainterPath &path)
{
    if (!hasItems())
        return;
    m_shadow->setPath(path);
    m_fill->setPath(path);
    m_outline->setPath(path);
    static_cast<SilhouetteClip *>(m_content.data())->setPath(path);
    Q_EMIT silhouetteChanged();
}

QPainterPath NotchShapeLayers::silhouette() const
{
    return hasItems() ? m_fill->path().translated(m_frame.topLeft()) : QPainterPath();
}

void NotchShapeLayers::set(const NotchGeometry &geometry)
{
    m_current = geometry;
    m_morph.reset();
    m_isMorphing = false;
    show(pathFor(geometry));
    if (!isMoving())
        m_frames.stop();
}

void NotchShapeLayers::animate(const NotchGeometry &target)
{
    if (!m_current) {
        set(target);
        return;
    }
    const MonotonicTime now = m_scheduler.monotonicNow();
    // An interrupted morph continues from what is on screen, so the outline
    // never jumps; a finished one yields its target.
    const NotchGeometry start = m_morph ? m_morph->value(now) : *m_current;
    if (start == target)
        return;

    m_morph = NotchMorph{start, target, now, m_hardwareNotch};
    m_current = target;
    m_isMorphing = true;
    show(pathFor(m_morph->value(now)));
    startFrames();
}

void NotchShapeLayers::setShadowVisible(bool visible)
{
    fade(m_shadowFade, visible ? 1 : 0, 0.3);
}

void NotchShapeLayers::setOutlineVisible(bool visible)
{
    fade(m_outlineFade, visible ? 1 : 0, 0.25);
}

void NotchShapeLayers::setVisible(bool visible)
{
    fade(m_canvasFade, visible ? 1 : 0, 0.25);
    fade(m_contentFade, visible ? 1 : 0, 0.25);
}

void NotchShapeLayers::fade(Fade &fade, qreal target, double duration)
{
    // Also while an earlier fade towards the same opacity still plays.
    if (fade.target == target || !hasItems())
        return;
    // A fade that interrupts another starts from the opacity on screen.
    fade.from = fade.item->opacity();
    fade.target = target;
    fade.start = m_scheduler.monotonicNow();
    fade.duration = duration;
    fade.isRunning = true;
    startFrames();
}

void NotchShapeLayers::startFrames()
{
    if (!m_frames.isActive())
        m_frames.start(frameInterval, [this] { frame(); });
}

void NotchShapeLayers::frame()
{
    if (!hasItems()) {
        m_frames.stop();
        return;
    }
    const MonotonicTime now = m_scheduler.monotonicNow();

    if (m_isMorphing) {
        show(pathFor(m_morph->value(now)));
        m_isMorphing = m_morph->start.secondsTo(now) < m_morph->duration();
    }

    for (Fade *fade : {&m_shadowFade, &m_outlineFade, &m_canvasFade, &m_contentFade}) {
        if (!fade->isRunning)
            continue;
        const double progress = std::clamp(fade->start.secondsTo(now) / fade->duration, 0.0, 1.0);
        fade->item->setOpacity(fade->from + (fade->target - fade->from) * easeInEaseOut().valueForProgress(progress));
        fade->isRunning = progress < 1;
    }

    if (!isMoving())
        m_frames.stop();
}

bool NotchShapeLayers::isMoving() const
{
    return m_isMorphing || m_shadowFade.isRunning || m_outlineFade.isRunning || m_canvasFade.isRunning || m_contentFade.isRunning;
}
