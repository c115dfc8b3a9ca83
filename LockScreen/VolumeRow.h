#pragma once

#include "Support/Scheduler.h"

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <optional>

class ScrubBar;
class SystemVolume;

// The lock-screen player's output volume: a scrub bar between a small and a
// large speaker. A drag sets the volume at every move and shows the
// pointer's position meanwhile; otherwise the bar shows the device's volume.
class VolumeRow : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double spacing = 10;
    static constexpr double symbolSide = 13;
    // The speakers' opacity; the bar draws its own.
    static constexpr double symbolOpacity = 0.6;
    static constexpr double height = 13;

    VolumeRow(SystemVolume &volume, Scheduler &scheduler, QGraphicsItem *parent = nullptr);
    ~VolumeRow() override;

    void setWidth(double width);
    std::optional<double> dragValue() const { return m_dragValue; }
    ScrubBar *bar() const { return m_bar; }

    struct Layout {
        QRectF lowSymbol;
        QRectF bar;
        QRectF highSymbol;

        bool operator==(const Layout &) const = default;
    };
    static Layout layout(double width);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void setDragValue(std::optional<double> value);
    void refresh();

    SystemVolume &m_volume;
    double m_width = 0;
    std::optional<double> m_dragValue;
    ScrubBar *m_bar;
    QProperty<float> m_shownVolume;
    QPropertyNotifier m_volumeNotifier;
};
