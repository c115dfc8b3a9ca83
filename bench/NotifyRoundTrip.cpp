// Wall time of `quib notify` from process start to exit, against a running
// app on a private session bus: what a script or a hook waits for. Beside it,
// in pairs of runs, `dbus-send` posting the same signal: the least any
// command can cost. And the peak memory of both, measured by GNU time: a
// child spawned from this process would count this process's own memory,
// which the kernel charges to it until it runs the command.

#include "PrivateBus.h"
#include "QuibProcess.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

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

struct Run {
    double milliseconds = 0;
    bool succeeded = false;
};

// Runs `program` to its end in `environment`; its wall time.
Run spawn(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    std::vector<std::string> words{program.toStdString()};
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<std::string> variables;
    for (const QString &variable : environment.toStringList())
        variables.push_back(variable.toStdString());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The largest peak resident memory of `program` over a few runs, in
// megabytes, as GNU time reports it; 0 when it could not be measured.
double peakMegabytes(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    const QString time = QStandardPaths::findExecutable(QStringLiteral("time"), {QStringLiteral("/usr/bin")});
    QTemporaryFile report;
    if (time.isEmpty() || !report.open())
        return 0;
    long peak = 0;
    for (int run = 0; run < 10; ++run) {
        if (!spawn(time, QStringList{QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), report.fileName(), program} + arguments, environment)
                 .succeeded)
            return 0;
        report.seek(0);
        peak = std::max(peak, report.readAll().trimmed().toLong());
    }
    return double(peak) / 1024.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Pairs of runs, one of each in turn, so that both see the same load.
void notifyAgainstDbusSend(benchmark::State &state)
{
    const QStringList notify{QStringLiteral("notify"), QStringLiteral("--silent"), QStringLiteral("--title"), QStringLiteral("Bench"), QStringLiteral("corpo")};
    const QStringList send{QStringLiteral("--session"), QStringLiteral("--type=signal"), QStringLiteral("/com/brenvask/Quib"),
                           QStringLiteral("com.brenvask.Quib.notify"), QStringLiteral("string:"),
                           QStringLiteral("dict:string:string:title,Bench,body,corpo,silent,1")};
    const QString dbusSend = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    std::vector<double> quibTimes;
    std::vector<double> sendTimes;
    std::vector<double> ratios;
    for (auto _ : state) {
        const Run command = spawn(QuibProcess::executable(), notify, quib->environment());
        const Run baseline = spawn(dbusSend, send, quib->environment());
        if (!command.succeeded || !baseline.succeeded) {
            state.SkipWithError("a run failed");
            return;
        }
        quibTimes.push_back(command.milliseconds);
        sendTimes.push_back(baseline.milliseconds);
        ratios.push_back(command.milliseconds / baseline.milliseconds);
    }
    state.counters["quib_median_ms"] = median(quibTimes);
    state.counters["dbus_send_median_ms"] = median(sendTimes);
    state.counters["median_ratio"] = median(ratios);
    state.counters["quib_peak_MB"] = peakMegabytes(QuibProcess::executable(), notify, quib->environment());
    state.counters["dbus_send_peak_MB"] = peakMegabytes(dbusSend, send, quib->environment());
}
BENCHMARK(notifyAgainstDbusSend)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(60);

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
