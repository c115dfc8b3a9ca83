#include "LockScreen/BlurBackdrop.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>
#include <cmath>

// Qt's own Gaussian-like blur of an image (exported by Qt Widgets, used by
// its blur effect).
Q_DECL_IMPORT void qt_blurImage(QImage &blurImage, qreal radius, bool quality, int transposed = 0);

namespace {

constexpr int blurScaleDown = 4;

} // namespace

BlurBackdrop::BlurBackdrop(const QSizeF &size, BackgroundRunner runner, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(size)
    , m_runner(runnerOrGlobalThreadPool(std::move(runner)))
{
    updateMask(false);
}

BlurBackdrop::~BlurBackdrop() = default;

void BlurBackdrop::setCutouts(const QList<LoginUILocator::Item> &cutouts)
{
    if (cutouts == m_cutouts)
        return;
    m_cutouts = cutouts;
    updateMask(true);
}

void BlurBackdrop::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    updateMask(false);
}

void BlurBackdrop::setBeneath(const QImage &beneath)
{
    const quint64 generation = ++m_beneathGeneration;
    m_beneath = beneath;
    m_blurred = QImage();
    updateCover();
    if (beneath.isNull())
        return;
    const double radius = blurRadius * beneath.width() / std::max(1.0, m_size.width());
    m_runner([this, guard = QPointer<BlurBackdrop>(this), beneath, radius, generation] {
        QImage result = blurred(beneath, radius);
        QMetaObject::invokeMethod(
            guard.get(),
            [this, result = std::move(result), generation] {
                if (generation != m_beneathGeneration)
                    return;
                m_blurred = result;
                updateCover();
                Q_EMIT beneathBlurred();
            },
            Qt::QueuedConnection);
    });
}

QPainterPath BlurBackdrop::hole(const LoginUILocator::Item &item)
{
    QPainterPath path;
    switch (item.shape) {
    case LoginUILocator::Item::Shape::capsule: {
        const QRectF rect = item.frame.adjusted(-6, -3, 6, 3);
        const double radius = std::min(rect.height() / 2, 14.0);
        path.addRoundedRect(rect, radius, radius);
        break;
    }
    case LoginUILocator::Item::Shape::circle:
        path.addEllipse(item.frame.adjusted(-2, -2, 2, 2));
        break;
    }
    return path;
}

std::optional<QImage> BlurBackdrop::mask(const QSizeF &size, const QList<LoginUILocator::Item> &cutouts)
{
    const int width = int(size.width());
    const int height = int(size.height());
    if (width <= 0 || height <= 0)
        return std::nullopt;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::black);

    QPainterPath holes;
    holes.setFillRule(Qt::WindingFill);
    for (const LoginUILocator::Item &item : cutouts)
        holes.addPath(hole(item));

    // The soft edge: the holes' shadow, blurred, punched out first; then the
    // holes themselves.
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter painter(&shadow);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(holes, Qt::black);
    }
    qt_blurImage(shadow, holeEdge, true);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.drawImage(0, 0, shadow);
    painter.fillPath(holes, Qt::black);
    return image;
}

QImage BlurBackdrop::blurred(const QImage &image, double radius)
{
    QImage small = image.scaled(std::max(1, image.width() / blurScaleDown), std::max(1, image.height() / blurScaleDown),
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qt_blurImage(small, radius / blurScaleDown, true);
    return small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void BlurBackdrop::updateMask(bool force)
{
    if (m_size.width() <= 0)
        return;
    if (!force && m_size == m_maskSize)
        return;
    m_maskSize = m_size;
    if (m_cutouts.isEmpty()) {
        m_mask = QImage();
    } else if (std::optional<QImage> image = mask(m_size, m_cutouts)) {
        m_mask = std::move(*image);
    }
    updateCover();
}

void BlurBackdrop::updateCover()
{
    if (m_mask.isNull() && m_blurred.isNull()) {
        m_cover = QImage();
    } else {
        const QSize size = m_mask.isNull() ? m_size.toSize() : m_mask.size();
        m_cover = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_cover.fill(Qt::transparent);
        QPainter painter(&m_cover);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect rect(QPoint(), size);
        if (!m_blurred.isNull())
            painter.drawImage(rect, m_blurred);
        painter.fillRect(rect, QColor::fromRgbF(0, 0, 0, dimAlpha));
        if (!m_mask.isNull()) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.drawImage(rect, m_mask);
        }
    }
    update();
}

void BlurBackdrop::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF bounds = boundingRect();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_beneath.isNull())
        painter->drawImage(bounds, m_beneath);
    if (m_cover.isNull())
        painter->fillRect(bounds, QColor::fromRgbF(0, 0, 0, dimAlpha));
    else
        painter->drawImage(bounds, m_cover);
    painter->restore();
}
