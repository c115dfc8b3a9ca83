// Wall time of `quib notify` from process start to exit, against a running
// app on a private session bus: what a script or a hook waits for.

#include "PrivateBus.h"
#include "QuibProcess.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

QuibProcess *quib = nullptr;

void notifyRoundTrip(benchmark::State &state)
{
    const QStringList arguments{QStringLiteral("notify"), QStringLiteral("--silent"), QStringLiteral("--title"), QStringLiteral("Bench"),
                                QStringLiteral("corpo")};
    for (auto _ : state) {
        const QuibProcess::Result result = quib->run(arguments);
        if (!result.finished || result.exitCode != 0) {
            state.SkipWithError(qPrintable(QStringLiteral("quib notify failed: ") + result.err));
            break;
        }
    }
}
BENCHMARK(notifyRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    PrivateBus bus;
    if (!bus.isRunning()) {
        fprintf(stderr, "bench: could not start a private dbus-daemon\n");
        return 1;
    }
    QuibProcess process;
    quib = &process;
    RunningQuib app(process);
    if (!app.waitUntilReady(bus.connect(QStringLiteral("bench")))) {
        fprintf(stderr, "bench: the app did not start\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
