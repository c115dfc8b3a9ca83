// Wall time of `quib notify` from process start to exit, against a running
// app on a private session bus: what a script or a hook waits for. Beside it,
// in pairs of runs, `dbus-send` posting the same signal: the least any
// command can cost, and the command's peak memory.

#include "PrivateBus.h"
#include "QuibProcess.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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
    long peakKilobytes = 0;
    bool succeeded = false;
};

// Runs `program` to its end in `environment`; its wall time and peak
// resident memory from the kernel's accounting of the child.
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
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
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
    long quibPeak = 0;
    long sendPeak = 0;
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
        quibPeak = std::max(quibPeak, command.peakKilobytes);
        sendPeak = std::max(sendPeak, baseline.peakKilobytes);
    }
    state.counters["quib_median_ms"] = median(quibTimes);
    state.counters["dbus_send_median_ms"] = median(sendTimes);
    state.counters["median_ratio"] = median(ratios);
    state.counters["quib_peak_MB"] = double(quibPeak) / 1024.0;
    state.counters["dbus_send_peak_MB"] = double(sendPeak) / 1024.0;
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
