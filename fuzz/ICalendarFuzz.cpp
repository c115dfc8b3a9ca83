// Calendar files (iCalendar), read and their events expanded over a week.
#include "FuzzSupport.h"
#include "Platform/Linux/IcsEventStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString folder = Fuzz::scratchFolder() + QStringLiteral("/calendars");
    QDir().mkpath(folder);
    Fuzz::writeFile(folder + QStringLiteral("/fuzzed.ics"), Fuzz::bytes(data, size));
    IcsEventStore store(folder, {});
    bool done = false;
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1796000000, Qt::UTC);
    store.load(start, start.addDays(7), {}, [&done](const EventStore::Snapshot &) { done = true; });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}
