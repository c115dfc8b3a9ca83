#pragma once

#include "Notch/NotchGeometry.h"
#include "Notch/NotchMetrics.h"
#include "Notch/NotchMorph.h"
#include "Support/Scheduler.h"

#include <QGraphicsObject>
#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRectF>

#include <optional>

class QGraphicsPathItem;

// The silhouette of one notch panel as scene items, morphing between the
// geometries of the notch states.
//
// backgroundView() carries the silhouette: a black shape casting the drop
// shadow (hidden at first), the black fill, and a faint 1-point outline
// (hidden at first), in that order. contentView() clips its children to the
// same silhouette. A host adds both to its scene, background first, and
// parents its content to contentView().
//
// Morphs and fades are played by a frame tick on the scheduler that runs only
// while something moves; a notch at rest costs no frames.
class NotchShapeLayers : public QObject {
    Q_OBJECT

public:
    // `frame`: the rectangle of the panel's content, in scene coordinates;
    // the silhouette hangs from its top edge, centred.
    NotchShapeLayers(const NotchMetrics &metrics, const QRectF &frame, Scheduler &scheduler);
    ~NotchShapeLayers() override;

    QGraphicsObject *backgroundView() const { return m_canvas; }
    QGraphicsObject *contentView() const { return m_content; }

    // Shows `geometry` at once and stops a morph in flight.
    void set(const NotchGeometry &geometry);
    // Morphs from the geometry on screen to `target`. The first geometry is
    // shown at once.
    void animate(const NotchGeometry &target);

    // Fade the drop shadow (0.3 s), the outline (0.25 s), and the silhouette
    // together with the content (0.25 s) in or out.
    void setShadowVisible(bool visible);
    void setOutlineVisible(bool visible);
    void setVisible(bool visible);

    // The silhouette on screen now, in scene coordinates; empty before the
    // first geometry.
    QPainterPath silhouette() const;
    // Frames are being played.
    bool isAnimating() const { return m_frames.isActive(); }

Q_SIGNALS:
    // The silhouette on screen moved (each frame of a morph, and set()).
    void silhouetteChanged();

private:
    // An opacity animation of one item. `target` is the opacity the item
    // rests on once the fade has played.
    struct Fade {
        QGraphicsItem *item = nullptr;
        qreal from = 1;
        qreal target = 1;
        MonotonicTime start;
        double duration = 0;
        bool isRunning = false;
    };

    QPainterPath pathFor(const NotchGeometry &geometry) const;
    void show(const QPainterPath &path);
    void fade(Fade &fade, qreal target, double duration);
    void startFrames();
    void frame();
    bool isMoving() const;
    bool hasItems() const { return m_canvas && m_content; }

    Scheduler &m_scheduler;
    const QRectF m_frame;
    const bool m_pill;
    const qreal m_topInset;
    const std::optional<QSizeF> m_hardwareNotch;

    // The scene owns the items once they are added; a scene destroyed first
    // takes them with it.
    QPointer<QGraphicsObject> m_canvas;
    QPointer<QGraphicsObject> m_content;
    QGraphicsPathItem *m_shadow = nullptr;
    QGraphicsPathItem *m_fill = nullptr;
    QGraphicsPathItem *m_outline = nullptr;

    // The geometry last applied or targeted.
    std::optional<NotchGeometry> m_current;
    // The last morph started; kept after it ends, so the next one can start
    // from the geometry it shows.
    std::optional<NotchMorph> m_morph;
    bool m_isMorphing = false;

    Fade m_shadowFade;
    Fade m_outlineFade;
    Fade m_canvasFade;
    Fade m_contentFade;
    RepeatingTimer m_frames;
};
