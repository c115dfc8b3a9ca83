// The cost of one frame of the open panel: the player and calendar columns
// (with the usage-limit card) rendered into an image, as the panel repaints
// while the time row ticks or a column changes.

#include "App/AppModel.h"
#include "Notch/OpenNotchContent.h"
#include "Platform/Fake/FakePlatform.h"

#include <QGraphicsScene>
#include <QImage>
#include <QJsonObject>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

constexpr double notchHeight = 32;

void openPanelFrame(benchmark::State &state)
{
    FakePlatform platform;
    AppModel app(platform.services());
    platform.workspace.addApplication(321, 1, QStringLiteral("org.example.Player"));
    app.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                      {QStringLiteral("playing"), 1},
                                      {QStringLiteral("pid"), 321},
                                      {QStringLiteral("title"), QStringLiteral("A song whose title is long enough to scroll")},
                                      {QStringLiteral("artist"), QStringLiteral("Artist")},
                                      {QStringLiteral("duration"), 240},
                                      {QStringLiteral("elapsed"), 30}});
    DayEvent meeting;
    meeting.id = QStringLiteral("meeting");
    meeting.title = QStringLiteral("Planejamento");
    meeting.start = platform.scheduler.now().addSecs(600);
    meeting.end = meeting.start.addSecs(1800);
    meeting.color = QColor(255, 159, 10);
    meeting.joinURL = QUrl(QStringLiteral("https://meet.example.org/x"));
    app.calendar.bindableEvents().setValue({meeting});
    app.claudeUsage.bindableFiveHour().setValue(ClaudeUsageWindow{42, platform.scheduler.now().addSecs(7200)});

    const QSizeF size(490, notchHeight + 150 + 60);
    QGraphicsScene scene(QRectF(QPointF(), size));
    auto *content = new OpenNotchContent(app, notchHeight);
    scene.addItem(content);
    content->setSize(size);

    QImage image(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        // Half a second of playback between frames, as the time row ticks.
        platform.scheduler.advance(0.5);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(openPanelFrame)->Unit(benchmark::kMicrosecond);

} // namespace
