// A slider dragged across its track while each step is stored: the cost of
// one pointer move on the main thread (the write of the setting included)
// with the settings file behind it, against a store in memory, and how many
// times the file is written.

#include "App/Preferences.h"
#include "FileWrites.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Settings/SettingsControls.h"
#include "Support/Scheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

// Drags back and forth, one point a move, for as long as the state runs.
void drag(benchmark::State &state, UserDefaults &defaults)
{
    Preferences preferences(defaults);
    // Continuous, so every move is a new value and a new write of the setting.
    SliderRow row(QStringLiteral("Atraso"), bindingOf(preferences.hoverDelay), 0, 1, 0, [](double v) { return QString::number(v, 'f', 3); });
    row.resize(420, row.sizeHint().height());
    row.show();
    AccentSlider *slider = row.slider();
    const int y = slider->height() / 2;

    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(8, y));
    int x = 8;
    int direction = 1;
    for (auto _ : state) {
        if (x + direction < 8 || x + direction > slider->width() - 8)
            direction = -direction;
        x += direction;
        QTest::mouseMove(slider, QPoint(x, y));
        // The events a window handles between two moves: repaints, timers.
        QCoreApplication::processEvents();
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, y));
    state.counters["moves"] = double(state.iterations());
}

void sliderDragWritingTheSettingsFile(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quib/defaults.json"));
    // The folder exists before the watch on it starts.
    QDir().mkpath(folder.filePath(QStringLiteral("quib")));
    FileWrites writes(path);
    if (!writes.isWatching()) {
        state.SkipWithError("cannot watch the settings folder");
        return;
    }
    QtScheduler scheduler;
    JsonUserDefaults defaults(scheduler, path);
    drag(state, defaults);
    defaults.synchronize();
    const int written = writes.count();
    state.counters["fileWrites"] = written;
    state.counters["movesPerFileWrite"] = written > 0 ? double(state.iterations()) / written : 0;
}
BENCHMARK(sliderDragWritingTheSettingsFile)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same drag over a store in memory: what the move costs without the file.
void sliderDragInMemory(benchmark::State &state)
{
    FakeUserDefaults defaults;
    drag(state, defaults);
}
BENCHMARK(sliderDragInMemory)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
