// The cost of one frame of the notch's morph: the spring geometry, the
// silhouette path for every layer, and rendering the panel's scene into an
// image, as a panel does at each frame while the notch moves.

#include "Notch/NotchShapeLayers.h"
#include "Notch/NotchSizes.h"
#include "Platform/Fake/FakeScreens.h"

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Morphs between the closed and the open notch over and over, one frame per
// iteration. Argument: whether the drop shadow shows (as in the expanded
// states), which blurs the silhouette on every frame.
void morphFrame(benchmark::State &state)
{
    const NotchMetrics metrics(FakeScreens::screen(QStringLiteral("a"), QRect(0, 0, 1920, 1080), 24), SimulatedStyle::notch);
    const NotchSizes sizes(metrics, {});
    const QSizeF window = sizes.windowSize();
    const QRectF panel(QPointF(0, 0), window);
    const auto geometry = [&sizes](NotchState notchState) {
        const QSizeF size = sizes.shapeSize(notchState);
        const NotchSizes::Radii radii = sizes.radii(notchState);
        return NotchGeometry{size.width(), size.height(), radii.top, radii.bottom};
    };
    const NotchGeometry closed = geometry(NotchState::closed());
    const NotchGeometry open = geometry(NotchState::open());

    ManualScheduler scheduler;
    NotchShapeLayers layers(metrics, panel, scheduler);
    QGraphicsScene scene(panel);
    scene.addItem(layers.backgroundView());
    scene.addItem(layers.contentView());
    layers.set(closed);
    if (state.range(0) != 0) {
        layers.setShadowVisible(true);
        scheduler.advance(1);
    }

    QImage image(window.toSize(), QImage::Format_ARGB32_Premultiplied);
    bool opening = true;
    for (auto _ : state) {
        if (!layers.isAnimating()) {
            layers.animate(opening ? open : closed);
            opening = !opening;
        }
        scheduler.advance(1.0 / 60);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, panel, panel);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(morphFrame)->ArgName("shadow")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
