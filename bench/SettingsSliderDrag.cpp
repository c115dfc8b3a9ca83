// A slider dragged across its track while each step is stored in the
// settings file: the cost of one pointer move on the main thread (the write
// of the setting included) and how many times the file is written.

#include "App/Preferences.h"
#include "FileWrites.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Settings/SettingsControls.h"
#include "Support/Scheduler.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void sliderDragWritingTheSettingsFile(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quib/defaults.json"));
    QtScheduler scheduler;
    JsonUserDefaults defaults(scheduler, path);
    Preferences preferences(defaults);
    // Continuous, so every move is a new value and a new write of the setting.
    SliderRow row(QStringLiteral("Atraso"), bindingOf(preferences.hoverDelay), 0, 1, 0, [](double v) { return QString::number(v, 'f', 3); });
    row.resize(420, row.sizeHint().height());
    row.show();
    AccentSlider *slider = row.slider();
    const int y = slider->height() / 2;
    FileWrites writes(path);

    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(8, y));
    int x = 8;
    int direction = 1;
    std::int64_t moves = 0;
    for (auto _ : state) {
        // Back and forth across the track, one point a move.
        if (x + direction < 8 || x + direction > slider->width() - 8)
            direction = -direction;
        x += direction;
        QTest::mouseMove(slider, QPoint(x, y));
        // The events a window handles between two moves, timers among them.
        QCoreApplication::processEvents();
        ++moves;
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, y));
    defaults.synchronize();
    const int written = writes.count();
    state.counters["moves"] = double(moves);
    state.counters["fileWrites"] = written;
    state.counters["movesPerFileWrite"] = written > 0 ? double(moves) / written : 0;
}
BENCHMARK(sliderDragWritingTheSettingsFile)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
