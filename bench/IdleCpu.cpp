// CPU time and wake-ups of the running app over a minute in which nothing
// happens: the app on a private X server and a private session bus, no media,
// no alerts. Reported as counters: CPU time used (utime + stime of
// /proc/<pid>/stat, all threads), its share of the minute, and the voluntary
// and involuntary context switches of the app's threads (from
// /proc/<pid>/task/*/status, threads that end during the minute left out),
// each as a total and per second, and the voluntary ones by thread name
// ("voluntary_by_<name>"), which says whose wake-ups they are.

#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "QuibProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QThread>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr int settleSeconds = 5;
constexpr int idleSeconds = 60;

struct Switches {
    QString thread;
    qint64 voluntary = 0;
    qint64 involuntary = 0;
};

struct Usage {
    double cpuSeconds = 0;
    // By thread: a thread that ends during the minute takes its counts
    // along, so sums over the threads of each moment cannot be compared.
    QHash<QString, Switches> switches;
};

// The switches of the threads alive at the end since the start (all of
// theirs for a thread started in between), in total and the voluntary ones
// by thread name. Those of threads that ended are not counted.
std::pair<Switches, QHash<QString, qint64>> switchesBetween(const Usage &before, const Usage &after)
{
    Switches total;
    QHash<QString, qint64> byName;
    for (auto it = after.switches.constBegin(); it != after.switches.constEnd(); ++it) {
        const Switches start = before.switches.value(it.key());
        total.voluntary += it->voluntary - start.voluntary;
        total.involuntary += it->involuntary - start.involuntary;
        byName[it->thread] += it->voluntary - start.voluntary;
    }
    return {total, byName};
}

// utime and stime, fields 14 and 15 of /proc/<pid>/stat, counted after the
// command name's closing parenthesis (the name may hold spaces).
std::optional<double> cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = stat.readAll();
    const qsizetype end = text.lastIndexOf(')');
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> fields = text.mid(end + 2).split(' ');
    // fields[0] is field 3 (state).
    if (fields.size() < 13)
        return std::nullopt;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

std::optional<Usage> usage(qint64 pid)
{
    const auto cpu = cpuSeconds(pid);
    if (!cpu)
        return std::nullopt;
    Usage result;
    result.cpuSeconds = *cpu;
    static const QRegularExpression voluntary(QStringLiteral("^voluntary_ctxt_switches:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    static const QRegularExpression involuntary(QStringLiteral("^nonvoluntary_ctxt_switches:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        const QString thread = name.open(QIODevice::ReadOnly) ? QString::fromUtf8(name.readAll()).trimmed() : QString();
        const QString text = QString::fromLatin1(status.readAll());
        result.switches.insert(task, {thread, voluntary.match(text).captured(1).toLongLong(), involuntary.match(text).captured(1).toLongLong()});
    }
    return result;
}

void idleCpu(benchmark::State &state)
{
    PrivateDisplay display;
    PrivateBus bus;
    QuibProcess quib;
    quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
    if (!display.isRunning() || !bus.isRunning()) {
        state.SkipWithError("no private X server or session bus");
        return;
    }
    RunningQuib app(quib);
    if (!app.waitUntilReady(bus.connect(QStringLiteral("bench")))) {
        state.SkipWithError("the app did not start");
        return;
    }
    QThread::sleep(settleSeconds);

    std::optional<Usage> before;
    std::optional<Usage> after;
    double elapsed = 0;
    for (auto _ : state) {
        before = usage(app.processId());
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(idleSeconds);
        elapsed = double(clock.nsecsElapsed()) / 1e9;
        after = usage(app.processId());
    }
    if (!before || !after || !app.isRunning()) {
        state.SkipWithError("could not read the app's /proc entries");
        return;
    }
    const double cpu = after->cpuSeconds - before->cpuSeconds;
    const auto [switches, byName] = switchesBetween(*before, *after);
    const double voluntarySwitches = double(switches.voluntary);
    const double involuntarySwitches = double(switches.involuntary);
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000);
    state.counters["cpu_percent"] = benchmark::Counter(100 * cpu / elapsed);
    state.counters["voluntary_switches"] = benchmark::Counter(voluntarySwitches);
    state.counters["voluntary_switches_per_s"] = benchmark::Counter(voluntarySwitches / elapsed);
    state.counters["involuntary_switches"] = benchmark::Counter(involuntarySwitches);
    state.counters["involuntary_switches_per_s"] = benchmark::Counter(involuntarySwitches / elapsed);
    for (auto it = byName.constBegin(); it != byName.constEnd(); ++it) {
        if (it.value() > 0)
            state.counters["voluntary_by_" + it.key().toStdString()] = benchmark::Counter(double(it.value()));
    }
}
BENCHMARK(idleCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
