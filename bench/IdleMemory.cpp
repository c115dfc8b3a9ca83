// Resident memory of the idle app (VmRSS of /proc/<pid>/status) once it has
// settled after launch, reported as a counter in kB.

#include "PrivateBus.h"
#include "QuibProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

std::optional<qint64> residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression line(QStringLiteral("^VmRSS:\\s+(\\d+) kB$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? std::optional<qint64>(match.captured(1).toLongLong()) : std::nullopt;
}

void idleResidentMemory(benchmark::State &state)
{
    PrivateBus bus;
    QuibProcess quib;
    RunningQuib app(quib);
    if (!bus.isRunning() || !app.waitUntilReady(bus.connect(QStringLiteral("bench")))) {
        state.SkipWithError("the app did not start on a private bus");
        return;
    }
    // Settled: two readings half a second apart agree (at most 15 s).
    std::optional<qint64> previous;
    std::optional<qint64> current = residentKilobytes(app.processId());
    const QDeadlineTimer deadline(15000);
    while (current && current != previous && !deadline.hasExpired()) {
        QTest::qWait(500);
        previous = current;
        current = residentKilobytes(app.processId());
    }
    for (auto _ : state) {
        current = residentKilobytes(app.processId());
        if (!current) {
            state.SkipWithError("could not read VmRSS of the app");
            return;
        }
    }
    state.counters["VmRSS_kB"] = benchmark::Counter(static_cast<double>(*current));
}
BENCHMARK(idleResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
