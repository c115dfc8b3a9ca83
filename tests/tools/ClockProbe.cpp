// Drives the app's QtScheduler from its input, one command a line, and prints
// "ran NAME" when scheduled work runs:
//   wall NAME SECONDS    work at the wall clock's now plus SECONDS
//   after NAME SECONDS   work after SECONDS (monotonic clock)
//   stepped              what the platform does after a step of the clock
// Prints "ready" at start and "ok" after each command. Ends when its input
// closes. Tests run it with a faked wall clock.

#include "InputLines.h"
#include "Support/Scheduler.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void print(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QtScheduler scheduler;

    auto run = [&](const QByteArray &line) {
        const QList<QByteArray> words = line.simplified().split(' ');
        auto report = [name = words.value(1)] { print("ran " + name); };
        if (words.size() == 3 && words[0] == "wall")
            scheduler.scheduleAt(scheduler.now().addMSecs(qRound64(words[2].toDouble() * 1000)), report);
        else if (words.size() == 3 && words[0] == "after")
            scheduler.scheduleAfter(words[2].toDouble(), report);
        else if (words.value(0) == "stepped")
            scheduler.wallClockStepped();
        print("ok");
    };

    const auto input = readInputLines(run);
    print("ready");
    return application.exec();
}
