#include "LockScreen/VolumeRow.h"

#include "LockScreen/ScrubBar.h"
#include "LockScreen/SystemVolume.h"
#include "Platform/Symbols.h"

#include <QPainter>

#include <algorithm>

VolumeRow::VolumeRow(SystemVolume &volume, Scheduler &scheduler, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_volume(volume)
    , m_bar(new ScrubBar(scheduler, this))
{
    m_bar->setOnChanged([this](double position) {
        setDragValue(position);
        m_volume.set(float(position));
    });
    m_bar->setOnEnded([this](double position) {
        m_volume.set(float(position));
        setDragValue(std::nullopt);
    });
    m_shownVolume.setBinding([this] { return m_volume.bindableVolume().value(); });
    m_volumeNotifier = m_shownVolume.addNotifier([this] { refresh(); });
    refresh();
}

VolumeRow::~VolumeRow() = default;

VolumeRow::Layout VolumeRow::layout(double width)
{
    Layout layout;
    layout.lowSymbol = QRectF(0, (height - symbolSide) / 2, symbolSide, symbolSide);
    const double barLeft = symbolSide + spacing;
    const double barWidth = std::max(0.0, width - 2 * (symbolSide + spacing));
    layout.bar = QRectF(barLeft, (height - ScrubBar::height) / 2, barWidth, ScrubBar::height);
    layout.highSymbol = QRectF(width - symbolSide, (height - symbolSide) / 2, symbolSide, symbolSide);
    return layout;
}

void VolumeRow::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
    const Layout parts = layout(width);
    m_bar->setPos(parts.bar.topLeft());
    m_bar->setWidth(parts.bar.width());
}

void VolumeRow::setDragValue(std::optional<double> value)
{
    m_dragValue = value;
    refresh();
}

void VolumeRow::refresh()
{
    m_bar->setFraction(m_dragValue.value_or(m_volume.volume()));
    m_bar->setDragging(m_dragValue.has_value());
}

QVariant VolumeRow::itemChange(GraphicsItemChange change, const QVariant &value)
{
    // A row taken off the card forgets a drag it was in.
    if ((change == ItemVisibleHasChanged || change == ItemSceneHasChanged) && (!scene() || !isVisible()) && m_dragValue)
        setDragValue(std::nullopt);
    return QGraphicsObject::itemChange(change, value);
}

QRectF VolumeRow::boundingRect() const
{
    return QRectF(0, 0, m_width, height);
}

void VolumeRow::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const Layout parts = layout(m_width);
    const QColor color = QColor::fromRgbF(1, 1, 1, float(symbolOpacity));
    Symbols::draw(*painter, parts.lowSymbol, QStringLiteral("speaker.fill"), color);
    Symbols::draw(*painter, parts.highSymbol, QStringLiteral("speaker.wave.3.fill"), color);
}
