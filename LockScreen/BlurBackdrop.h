#pragma once

#include "LockScreen/LoginUILocator.h"
#include "Support/BackgroundRunner.h"

#include <QGraphicsObject>
#include <QImage>
#include <QList>

#include <optional>

// The darkened, blurred cover of one screen, with soft holes where the login
// window's own controls are. With a compositor it is a translucent dim over
// whatever lies behind the window. Without one the window cannot show what is
// behind it, so the backdrop paints a grab of the screen taken before the
// window appeared: blurred and dimmed, and sharp inside the holes.
class BlurBackdrop : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double dimAlpha = 0.18;
    // The soft edge of every hole.
    static constexpr double holeEdge = 10;
    // The blur of the grab, in points.
    static constexpr double blurRadius = 40;

    explicit BlurBackdrop(const QSizeF &size, BackgroundRunner runner = {}, QGraphicsItem *parent = nullptr);
    ~BlurBackdrop() override;

    // The holes, in this item's coordinates. A change rebuilds the mask at
    // once.
    void setCutouts(const QList<LoginUILocator::Item> &cutouts);
    QList<LoginUILocator::Item> cutouts() const { return m_cutouts; }
    // The size changes the mask only when it really changes.
    void setSize(const QSizeF &size);

    // What the screen showed beneath the window; it is blurred off the main
    // thread and shown once ready. A null image shows the dim alone.
    void setBeneath(const QImage &beneath);
    bool hasBlurredBeneath() const { return !m_blurred.isNull(); }

    // Where the cover shows: opaque where the blur and dim show, clear in the
    // holes, with a soft edge; none when there are no holes (the cover is
    // whole). The image has one pixel per point, whatever the screen's
    // scale; none for an empty size.
    static std::optional<QImage> mask(const QSizeF &size, const QList<LoginUILocator::Item> &cutouts);
    // The hole of one item: a capsule grown by 6 points left and right and 3
    // top and bottom, or an ellipse grown by 2 points on every side.
    static QPainterPath hole(const LoginUILocator::Item &item);
    // `image` blurred by `radius` pixels (worked on a quarter-size copy,
    // which a heavy blur cannot tell apart), at the same size.
    static QImage blurred(const QImage &image, double radius);

    // The mask in use; null when the cover is whole.
    QImage currentMask() const { return m_mask; }

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    // The blurred grab is ready and shown.
    void beneathBlurred();

private:
    void updateMask(bool force);
    // The blur and dim, cut by the mask, at one pixel per point; null when
    // the dim alone covers everything.
    void updateCover();

    QSizeF m_size;
    BackgroundRunner m_runner;
    QList<LoginUILocator::Item> m_cutouts;
    QSizeF m_maskSize;
    QImage m_mask;
    QImage m_beneath;
    QImage m_blurred;
    QImage m_cover;
    // Only the newest grab's blur is taken.
    quint64 m_beneathGeneration = 0;
};
