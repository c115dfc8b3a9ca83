// The time from asking the calendar store for a day to its answer on the
// main thread, over a large generated calendar (about 4.5 MB: single
// meetings, weekly and daily ones that began years ago, and one that repeats
// every minute since 1900).

#include "Platform/Linux/IcsEventStore.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray largeCalendar()
{
    QByteArray data = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quib bench//PT\r\nX-WR-CALNAME:Grande\r\n";
    const QDateTime first(QDate(2020, 1, 6), QTime(9, 0));
    const QByteArray notes = "Pauta: revisar o andamento, os riscos e os próximos passos. Entrar: https://meet.google.com/abc-defg-hij\r\n";
    for (int index = 0; index < 20000; ++index) {
        const QDateTime start = first.addSecs(3600LL * 7 * index);
        data += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(index) + "@bench\r\nSUMMARY:Reunião " + QByteArray::number(index) + "\r\nDTSTART:"
            + start.toString(QStringLiteral("yyyyMMdd'T'HHmmss")).toLatin1() + "\r\nDURATION:PT45M\r\nDESCRIPTION:" + notes;
        if (index % 20 == 0)
            data += index % 40 == 0 ? "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\r\n" : "RRULE:FREQ=DAILY;INTERVAL=3\r\n";
        data += "END:VEVENT\r\n";
    }
    data += "BEGIN:VEVENT\r\nUID:minute@bench\r\nSUMMARY:Lembrete\r\nDTSTART:19000101T000000\r\nDURATION:PT1M\r\nRRULE:FREQ=MINUTELY;INTERVAL=15\r\nEND:VEVENT\r\n";
    return data + "END:VCALENDAR\r\n";
}

void calendarReload(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray data = largeCalendar();
    QFile file(dir.path() + QStringLiteral("/grande.ics"));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        state.SkipWithError("cannot write the calendar");
        return;
    }
    file.close();
    IcsEventStore store(dir.path(), {});
    const QDate today = QDate::currentDate();
    qsizetype events = 0;
    for (auto _ : state) {
        QEventLoop loop;
        store.load(today.startOfDay(), today.addDays(1).startOfDay(), {}, [&](EventStore::Snapshot snapshot) {
            events = snapshot.events.size();
            loop.quit();
        });
        loop.exec();
    }
    state.counters["file_MB"] = double(data.size()) / 1e6;
    state.counters["events"] = double(events);
    state.counters["parses_per_load"] = double(store.parsedFiles()) / double(state.iterations());
}

} // namespace

BENCHMARK(calendarReload)->Unit(benchmark::kMillisecond)->UseRealTime();
