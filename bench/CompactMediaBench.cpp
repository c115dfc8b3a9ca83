// What the compact media strip costs: one frame of a scrolling song line
// (the offset, the faded layer, the render), and the work a strip with a
// paused song leaves for the clock (it should be none: no frame tick runs
// while nothing moves).

#include "App/AppModel.h"
#include "Notch/CompactNotchContent.h"
#include "Notch/NotchViewModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Shared/ArtworkView.h"
#include "Shared/MarqueeText.h"
#include "Shared/WaveformView.h"

#include <QGraphicsScene>
#include <QImage>
#include <QJsonObject>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

void marqueeFrame(benchmark::State &state)
{
    ManualScheduler scheduler;
    QGraphicsScene scene;
    auto *marquee = new MarqueeText(scheduler, Qt::AlignCenter);
    const QSizeF field(300, 16);
    marquee->setSize(field);
    scene.addItem(marquee);
    const QString title = QStringLiteral("Uma canção de título longo o bastante para rolar pelo campo inteiro");
    marquee->setContent(MarqueeText::songLine(title, QStringLiteral("Artista Convidado")), title);
    scheduler.advance(MarqueeText::pauseDuration);

    QImage image(field.toSize(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        scheduler.advance(1.0 / 60);
        image.fill(Qt::black);
        QPainter painter(&image);
        scene.render(&painter, QRectF(QPointF(), field), QRectF(QPointF(), field));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["ticking"] = marquee->isTicking() ? 1 : 0;
}
BENCHMARK(marqueeFrame);

// Five seconds of the clock per iteration with a paused song in the strip;
// the counters report the frames the waveform drew and whether any of the
// strip's animations still runs (both 0 when idle costs nothing).
void pausedSongIdle(benchmark::State &state)
{
    FakePlatform platform;
    platform.screens.setScreens({FakeScreens::screen(QStringLiteral("DP-1"), QRect(0, 0, 1920, 1080), 24)});
    AppModel app(platform.services());
    platform.workspace.addApplication(321, 1, QStringLiteral("org.example.Player"));
    app.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), 1},
                                      {QStringLiteral("pid"), 321}, {QStringLiteral("title"), QStringLiteral("Canção")}});
    NotchViewModel model(NotchMetrics(platform.screens.screens().first(), SimulatedStyle::notch), app);
    QGraphicsScene scene;
    auto *strip = new CompactNotchContent(model);
    strip->setSize(model.shapeSize(NotchState::compact(CompactKind::media)));
    scene.addItem(strip);
    app.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), 0},
                                      {QStringLiteral("pid"), 321}, {QStringLiteral("title"), QStringLiteral("Canção")}});
    // Let the stop animations and the optimistic hold run out.
    platform.scheduler.advance(5);
    const quint64 framesBefore = strip->waveform()->frameCount();
    for (auto _ : state)
        platform.scheduler.advance(5);
    state.counters["waveformFrames"] = double(strip->waveform()->frameCount() - framesBefore);
    state.counters["animating"] = strip->waveform()->isAnimating() || strip->artwork()->isAnimating() ? 1 : 0;
}
BENCHMARK(pausedSongIdle);

} // namespace
