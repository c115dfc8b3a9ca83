#include "Shared/ArtworkView.h"

#include "Platform/Symbols.h"
#include "Support/Easing.h"
#include "Support/Spring.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double frameInterval = 1.0 / 60;

const Spring &changeSpring()
{
    static const Spring spring(ArtworkView::springResponse, ArtworkView::springDamping);
    return spring;
}

} // namespace

ArtworkView::ArtworkView(Scheduler &scheduler, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_scheduler(scheduler)
    , m_frames(scheduler)
{
}

ArtworkView::~ArtworkView() = default;

void ArtworkView::setArtwork(const QImage &image, int version)
{
    const bool isNewVersion = m_version && *m_version != version;
    if (!isNewVersion && m_version && image == m_current.image)
        return;
    if (isNewVersion) {
        // A change during a change replaces the one on screen: the artwork
        // shown now turns away, the new one turns in.
        m_previous = m_current;
        m_changeFlips = m_flips;
        m_changeStart = m_scheduler.monotonicNow();
    }
    m_version = version;
    m_current = Picture{image, {}, {}};
    prepare(m_current);
    if (isNewVersion)
        startFrames();
    update();
}

void ArtworkView::setCornerRadius(double radius)
{
    if (radius == m_cornerRadius)
        return;
    m_cornerRadius = radius;
    update();
}

void ArtworkView::setFlips(bool flips)
{
    m_flips = flips;
}

void ArtworkView::setDimmed(bool dimmed)
{
    if (m_hasDimmed && dimmed == m_dimmed)
        return;
    // A fade that interrupts another starts from the dimming on screen.
    m_dimFrom = m_hasDimmed ? dimAmount() : (dimmed ? 1.0 : 0.0);
    const bool animate = m_hasDimmed;
    m_hasDimmed = true;
    m_dimmed = dimmed;
    if (animate) {
        m_dimStart = m_scheduler.monotonicNow();
        startFrames();
    }
    update();
}

void ArtworkView::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    prepare(m_current);
    if (m_previous)
        prepare(*m_previous);
}

double ArtworkView::dimAmount() const
{
    const double target = m_dimmed ? 1.0 : 0.0;
    return m_dimStart ? dimAmount(m_dimFrom, target, m_scheduler.secondsSince(*m_dimStart)) : target;
}

std::optional<ArtworkView::Pose> ArtworkView::pose(Side side) const
{
    if (!m_previous)
        return std::nullopt;
    const double elapsed = m_scheduler.secondsSince(m_changeStart);
    return m_changeFlips ? flipPose(side, elapsed) : crossFadePose(side, elapsed);
}

ArtworkView::Pose ArtworkView::flipPose(Side side, double elapsed)
{
    // Old and new ride the same spring: the old turns away from 0° to 90°,
    // the new turns in from −90° to 0°.
    const double progress = changeSpring().factor(elapsed);
    const double opacity = std::clamp(progress, 0.0, 1.0);
    if (side == Side::incoming)
        return Pose{-90 * (1 - progress), opacity};
    return Pose{90 * progress, 1 - opacity};
}

ArtworkView::Pose ArtworkView::crossFadePose(Side side, double elapsed)
{
    const double opacity = std::clamp(changeSpring().factor(elapsed), 0.0, 1.0);
    return Pose{0, side == Side::incoming ? opacity : 1 - opacity};
}

QTransform ArtworkView::flipTransform(double angle, const QRectF &rect)
{
    // A turn about the vertical axis seen from a distance of the larger side
    // over the perspective: x' = x·cos / (1 − x·sin / distance), about the
    // centre.
    const double radians = angle * std::numbers::pi / 180;
    const double distance = std::max(rect.width(), rect.height()) / perspective;
    if (distance <= 0)
        return {};
    const QTransform turn(std::cos(radians), 0, -std::sin(radians) / distance, 0, 1, 0, 0, 0, 1);
    const QPointF centre = rect.center();
    return QTransform::fromTranslate(-centre.x(), -centre.y()) * turn * QTransform::fromTranslate(centre.x(), centre.y());
}

double ArtworkView::dimAmount(double from, double to, double elapsed)
{
    return from + (to - from) * Easing::easeInOut(elapsed / dimDuration);
}

QRectF ArtworkView::boundingRect() const
{
    return QRectF(QPointF(), m_size);
}

void ArtworkView::prepare(Picture &picture) const
{
    picture.filled = {};
    picture.grey = {};
    if (picture.image.isNull() || m_size.isEmpty())
        return;
    // Scaled to fill the view's device pixels, so that nothing is scaled up
    // again when drawn; the excess cropped around the centre.
    const QSize target = (m_size * m_devicePixelRatio).toSize().expandedTo(QSize(1, 1));
    const QImage scaled = picture.image.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QRect crop((scaled.width() - target.width()) / 2, (scaled.height() - target.height()) / 2, target.width(), target.height());
    QImage filled = scaled.copy(crop);
    filled.setDevicePixelRatio(m_devicePixelRatio);
    QImage grey = filled.convertToFormat(QImage::Format_Grayscale8);
    grey.setDevicePixelRatio(m_devicePixelRatio);
    picture.filled = QPixmap::fromImage(filled);
    picture.grey = QPixmap::fromImage(grey);
}

void ArtworkView::setDevicePixelRatio(qreal ratio)
{
    if (qFuzzyCompare(ratio, m_devicePixelRatio))
        return;
    m_devicePixelRatio = ratio;
    prepare(m_current);
    if (m_previous)
        prepare(*m_previous);
}

void ArtworkView::drawPicture(QPainter &painter, const Picture &picture, double dim) const
{
    const QRectF rect = boundingRect();
    if (picture.filled.isNull()) {
        painter.fillRect(rect, QColor::fromRgbF(1, 1, 1, 0.1f));
        const double symbol = placeholderSymbolSize;
        const QRectF box(rect.center().x() - symbol / 2, rect.center().y() - symbol / 2, symbol, symbol);
        Symbols::draw(painter, box, QStringLiteral("music.note"), QColor::fromRgbF(1, 1, 1, 0.5f));
        return;
    }
    painter.drawPixmap(rect, picture.filled, QRectF(picture.filled.rect()));
    // Lower saturation: the grey twin mixed over the colour picture.
    const double greyMix = dim * (1 - dimmedSaturation);
    if (greyMix > 0) {
        const double opacity = painter.opacity();
        painter.setOpacity(opacity * greyMix);
        painter.drawPixmap(rect, picture.grey, QRectF(picture.grey.rect()));
        painter.setOpacity(opacity);
    }
}

void ArtworkView::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_size.isEmpty())
        return;
    setDevicePixelRatio(painter->device() ? painter->device()->devicePixelRatioF() : 1.0);
    const QRectF rect = boundingRect();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(rect, m_cornerRadius, m_cornerRadius);
    painter->setClipPath(clip);

    const double dim = dimAmount();
    const auto drawSide = [&](const Picture &picture, Side side) {
        const std::optional<Pose> now = pose(side);
        const double opacity = painter->opacity();
        painter->save();
        if (now) {
            painter->setOpacity(opacity * now->opacity);
            if (now->angle != 0)
                painter->setTransform(flipTransform(now->angle, rect), true);
        }
        drawPicture(*painter, picture, dim);
        painter->restore();
    };
    if (m_previous)
        drawSide(*m_previous, Side::outgoing);
    drawSide(m_current, Side::incoming);

    if (dim > 0)
        painter->fillRect(rect, QColor::fromRgbF(0, 0, 0, float(dimOverlayOpacity * dim)));
    painter->restore();
}

void ArtworkView::startFrames()
{
    if (!m_frames.isActive())
        m_frames.start(frameInterval, [this] { frame(); });
}

void ArtworkView::frame()
{
    if (m_previous && m_scheduler.secondsSince(m_changeStart) >= springSettleDuration)
        m_previous.reset();
    if (m_dimStart && m_scheduler.secondsSince(*m_dimStart) >= dimDuration)
        m_dimStart.reset();
    if (!m_previous && !m_dimStart)
        m_frames.stop();
    update();
}
