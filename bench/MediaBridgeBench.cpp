// What users feel of the media bridge: how long a player's change takes to
// reach the app as a state line (the bridge waits 40 ms to coalesce bursts),
// and how much memory the bridge process holds. Runs the real bridge and a
// scripted MPRIS player on a private session bus.

#include "LineProcess.h"
#include "PrivateBus.h"
#include "ScriptedPlayer.h"
#include "Support/Resources.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

namespace {

// Resident memory of a process in kilobytes, from /proc.
double residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

void PlayerChangeToStateLine(benchmark::State &state)
{
    PrivateBus bus;
    ScriptedPlayer player;
    LineProcess bridge;
    if (!bus.isRunning() || !player.start(QStringLiteral("bench"))
        || !player.run(QStringLiteral(R"(metadata {"title": "Song", "length": 200000000, "trackid": "/t/1"})"))
        || !bridge.start(QStringLiteral("/usr/bin/perl"),
                         {Resources::sharePath(QStringLiteral("bridge.pl")), Resources::libraryPath(QStringLiteral("libQuibMediaBridge.so"))})
        || !bridge.nextLine()) {
        state.SkipWithError("could not start the player and the bridge");
        return;
    }
    int step = 0;
    for (auto _ : state) {
        // A new rate each time, so the awaited line is this change's.
        const double rate = 1.0 + (++step % 1000) / 1000.0;
        QElapsedTimer timer;
        timer.start();
        player.run(QStringLiteral("rate %1").arg(rate));
        const auto line = bridge.waitForLine(
            [rate](const QByteArray &line) { return QJsonDocument::fromJson(line).object().value(u"rate").toDouble() == rate; });
        if (!line) {
            state.SkipWithError("no state line for the change");
            return;
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["bridge_rss_kB"] = residentKilobytes(bridge.pid());
}
BENCHMARK(PlayerChangeToStateLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
