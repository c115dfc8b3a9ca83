#include "Platform/Linux/IcsEventStore.h"

#include "LocalTimeZone.h"
#include "LogCapture.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QDateTime at(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute));
}

void copyFolder(const QString &from, const QString &to)
{
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
    }
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    ASSERT_TRUE(file.commit());
}

QByteArray oneEvent(const QByteArray &uid, const QByteArray &summary, const QByteArray &start, const QByteArray &end)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quib tests//PT\r\nBEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + summary + "\r\nDTSTART:" + start
        + "\r\nDTEND:" + end + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// A calendar file of the given VEVENT lines.
QByteArray calendarOf(const QByteArray &events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quib tests//PT\r\n" + events + "END:VCALENDAR\r\n";
}

QByteArray repeating(const QByteArray &uid, const QByteArray &start, const QByteArray &duration, const QByteArray &rule)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + uid + "\r\nDTSTART:" + start + "\r\nDURATION:" + duration + "\r\nRRULE:" + rule + "\r\nEND:VEVENT\r\n";
}

// Waits for the answer of one load.
EventStore::Snapshot loadRange(IcsEventStore &store, const QDateTime &start, const QDateTime &end, const QSet<QString> &leftOut = {})
{
    std::optional<EventStore::Snapshot> answer;
    store.load(start, end, leftOut, [&answer](EventStore::Snapshot snapshot) { answer = std::move(snapshot); });
    EXPECT_TRUE(waitUntil([&] { return answer.has_value(); }));
    return answer.value_or(EventStore::Snapshot{});
}

// Waits for the answer of one load of 2 March.
EventStore::Snapshot loadDay(IcsEventStore &store, const QSet<QString> &leftOut = {})
{
    return loadRange(store, at(2, 0, 0), at(3, 0, 0), leftOut);
}

class IcsEventStoreTest : public ::testing::Test {
protected:
    IcsEventStoreTest() { copyFolder(QStringLiteral(QUIB_TEST_FIXTURES "/calendars"), folder()); }

    QString folder() const { return dir.path() + QStringLiteral("/calendars"); }
    QString calendar(const QString &name) const { return folder() + u'/' + name; }

    // The events of 2 March in the calendars given, by title.
    QMap<QString, EventStore::Event> eventsByTitle(IcsEventStore &store, const QStringList &calendars)
    {
        QSet<QString> leftOut;
        for (const EventStore::Calendar &entry : loadDay(store).calendars) {
            if (!calendars.contains(entry.identifier))
                leftOut.insert(entry.identifier);
        }
        QMap<QString, EventStore::Event> found;
        for (const EventStore::Event &event : loadDay(store, leftOut).events)
            found.insert(event.title.value_or(QStringLiteral("(sem título)")), event);
        return found;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(IcsEventStoreTest, EachFileAndFolderIsOneCalendar)
{
    IcsEventStore store(folder(), {dir.path() + QStringLiteral("/missing.ics")});
    EXPECT_EQ(store.authorizationStatus(), EventStore::AuthorizationStatus::fullAccess);
    const QList<EventStore::Calendar> calendars = loadDay(store).calendars;
    ASSERT_EQ(calendars.size(), 4);
    EXPECT_EQ(calendars[0].identifier, calendar(QStringLiteral("equipe")));
    EXPECT_EQ(calendars[0].title, QStringLiteral("Equipe"));
    EXPECT_EQ(calendars[0].color, QColor(0x34, 0xC7, 0x59));
    EXPECT_EQ(calendars[1].title, QStringLiteral("pessoal"));
    EXPECT_EQ(calendars[1].color, std::nullopt);
    EXPECT_EQ(calendars[2].title, QStringLiteral("quebrado"));
    EXPECT_EQ(calendars[3].title, QStringLiteral("Trabalho"));
    EXPECT_EQ(calendars[3].color, QColor(0xFF, 0x3B, 0x30));
    for (const auto &entry : calendars)
        EXPECT_TRUE(entry.sourceTitle.isEmpty());
}

TEST_F(IcsEventStoreTest, ExpandsTheDayWithRecurrencesOverridesAndCancellations)
{
    IcsEventStore store(folder(), {});
    QStringList all;
    for (const auto &entry : loadDay(store).calendars)
        all.append(entry.identifier);
    const auto events = eventsByTitle(store, all);
    EXPECT_EQ(events.keys(), (QStringList{QStringLiteral("(sem título)"), QStringLiteral("Cliente"), QStringLiteral("Daily"), QStringLiteral("Feriado"),
                                          QStringLiteral("Planejamento"), QStringLiteral("Plantão"), QStringLiteral("Retrospectiva"),
                                          QStringLiteral("Sincronia adiada"), QStringLiteral("Viagem")}));

    const EventStore::Event daily = events.value(QStringLiteral("Daily"));
    EXPECT_EQ(daily.start, at(2, 9, 30));
    EXPECT_EQ(daily.end, at(2, 9, 45));
    EXPECT_EQ(daily.itemIdentifier, QStringLiteral("daily@quib"));
    EXPECT_EQ(daily.calendarIdentifier, calendar(QStringLiteral("work.ics")));
    EXPECT_EQ(daily.calendarColor, QColor(0xFF, 0x3B, 0x30));
    EXPECT_EQ(daily.notes, QStringLiteral("Entrar: https://meet.google.com/abc-defg-hij"));

    // The moved occurrence shows at its new time; the cancelled ones and the
    // excluded date are gone.
    EXPECT_EQ(events.value(QStringLiteral("Sincronia adiada")).start, at(2, 16, 0));
    EXPECT_EQ(events.value(QStringLiteral("Plantão")).start, at(1, 22, 0));
    EXPECT_EQ(events.value(QStringLiteral("Plantão")).end, at(2, 2, 0));

    const EventStore::Event client = events.value(QStringLiteral("Cliente"));
    EXPECT_EQ(client.start.toUTC(), QDateTime(QDate(2026, 3, 2), QTime(13, 0), Qt::UTC));
    EXPECT_EQ(client.url, QUrl(QStringLiteral("https://docs.example.com/pauta")));
    EXPECT_EQ(client.location, QStringLiteral("https://acme.zoom.us/j/555?pwd=x"));
    EXPECT_EQ(events.value(QStringLiteral("(sem título)")).start.toUTC(), QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC));

    const EventStore::Event trip = events.value(QStringLiteral("Viagem"));
    EXPECT_TRUE(trip.isAllDay);
    EXPECT_EQ(trip.start, at(1, 0, 0));
    EXPECT_EQ(trip.end, at(4, 0, 0));
    EXPECT_TRUE(events.value(QStringLiteral("Feriado")).isAllDay);
}

TEST_F(IcsEventStoreTest, ReadsOnlyTheCalendarsAsked)
{
    IcsEventStore store(folder(), {});
    EXPECT_EQ(eventsByTitle(store, {calendar(QStringLiteral("equipe"))}).keys(), (QStringList{QStringLiteral("Planejamento"), QStringLiteral("Retrospectiva")}));
    EXPECT_TRUE(eventsByTitle(store, {calendar(QStringLiteral("quebrado.ics"))}).isEmpty());
    EXPECT_TRUE(eventsByTitle(store, {}).isEmpty());
}

TEST_F(IcsEventStoreTest, AnExtraFileIsACalendarWhenItExists)
{
    const QString extra = dir.path() + QStringLiteral("/local/calendar.ics");
    IcsEventStore store(folder(), {extra});
    EXPECT_EQ(loadDay(store).calendars.size(), 4);
    QDir().mkpath(QFileInfo(extra).absolutePath());
    writeFile(extra, oneEvent("local@quib", "Dentista", "20260302T080000", "20260302T083000"));
    ASSERT_EQ(loadDay(store).calendars.size(), 5);
    EXPECT_EQ(loadDay(store).calendars.last().identifier, extra);
    EXPECT_EQ(eventsByTitle(store, {extra}).keys(), QStringList{QStringLiteral("Dentista")});
}

TEST_F(IcsEventStoreTest, ChangesToFilesAndFoldersReachTheObservers)
{
    IcsEventStore store(folder(), {});
    int changes = 0;
    store.observeChanges([&changes] { ++changes; });

    writeFile(calendar(QStringLiteral("nova.ics")), oneEvent("new@quib", "Nova", "20260302T190000", "20260302T193000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes >= 1; }, 5000));
    EXPECT_EQ(eventsByTitle(store, {calendar(QStringLiteral("nova.ics"))}).keys(), QStringList{QStringLiteral("Nova")});

    // A sync tool replaces an item of a vdir folder.
    const int before = changes;
    writeFile(calendar(QStringLiteral("equipe/retro.ics")), oneEvent("retro@quib", "Retro nova", "20260302T170000", "20260302T180000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > before; }, 5000));
    EXPECT_TRUE(eventsByTitle(store, {calendar(QStringLiteral("equipe"))}).contains(QStringLiteral("Retro nova")));

    const int afterReplace = changes;
    ASSERT_TRUE(QFile::remove(calendar(QStringLiteral("work.ics"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes > afterReplace; }, 5000));
    EXPECT_EQ(loadDay(store).calendars.size(), 4);
}

TEST_F(IcsEventStoreTest, ALoadParsesEachFileOnce)
{
    IcsEventStore store(folder(), {});
    // Three calendar files and a folder of two items.
    const EventStore::Snapshot snapshot = loadDay(store);
    EXPECT_EQ(snapshot.calendars.size(), 4);
    EXPECT_FALSE(snapshot.events.isEmpty());
    EXPECT_EQ(store.parsedFiles(), 5);
    // A left-out folder needs none of its items; a left-out file still names
    // its calendar.
    loadDay(store, {calendar(QStringLiteral("equipe")), calendar(QStringLiteral("work.ics"))});
    EXPECT_EQ(store.parsedFiles(), 8);
}

TEST_F(IcsEventStoreTest, RulesThatRepeatOftenOrBeganLongAgoGiveTheDaysOccurrences)
{
    // A start every `step` minutes from `first` to the end of 2 March.
    auto every = [](QTime first, int step) {
        QList<QDateTime> starts;
        for (QDateTime start(QDate(2026, 3, 2), first); start < at(3, 0, 0); start = start.addSecs(step * 60))
            starts.append(start);
        return starts;
    };
    struct Case {
        const char *name;
        QByteArray start;
        QByteArray duration;
        QByteArray rule;
        QList<QDateTime> starts;
    };
    const QList<Case> cases{
        {"every 30 minutes since 1900", "19000101T001500", "PT10M", "FREQ=MINUTELY;INTERVAL=30", every(QTime(0, 15), 30)},
        {"secondly, hourly since 1900", "19000101T000500", "PT1M", "FREQ=SECONDLY;INTERVAL=3600", every(QTime(0, 5), 60)},
        {"every 5 hours since 1900 keeps its phase", "19000101T010000", "PT30M", "FREQ=HOURLY;INTERVAL=5", {at(2, 2, 0), at(2, 7, 0), at(2, 12, 0), at(2, 17, 0), at(2, 22, 0)}},
        {"secondly at two hours since 1900", "19000101T000000", "PT1H", "FREQ=SECONDLY;BYHOUR=10,15;BYMINUTE=0;BYSECOND=0", {at(2, 10, 0), at(2, 15, 0)}},
        {"nightly since 1900, begun yesterday", "19000101T220000", "PT4H", "FREQ=DAILY", {at(1, 22, 0), at(2, 22, 0)}},
        {"every other Monday since 1900", "19000101T090000", "PT1H", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO", {}},
        {"every other Monday, this week", "19000108T090000", "PT1H", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO", {at(2, 9, 0)}},
        {"counted from 1900, still running", "19000101T090000", "PT1H", "FREQ=DAILY;COUNT=50000", {at(2, 9, 0)}},
        {"counted from 1900, long over", "19000101T090000", "PT1H", "FREQ=DAILY;COUNT=10", {}},
        {"secondly on a day that never comes", "20260301T000000", "PT1S", "FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30", {}},
    };
    const QString path = calendar(QStringLiteral("regra.ics"));
    IcsEventStore store(folder(), {});
    QSet<QString> leftOut;
    for (const EventStore::Calendar &entry : loadDay(store).calendars)
        leftOut.insert(entry.identifier);
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        writeFile(path, calendarOf(repeating("regra@quib", test.start, test.duration, test.rule)));
        QList<QDateTime> starts;
        for (const EventStore::Event &event : loadDay(store, leftOut).events)
            starts.append(event.start);
        EXPECT_EQ(starts, test.starts);
    }
}

TEST_F(IcsEventStoreTest, ACalendarOverItsBudgetIsLeftOutAndTheOthersShow)
{
    // Every second of the day is too many occurrences; a rule counted from
    // 1900 at one second a day takes too long to reach today.
    writeFile(calendar(QStringLiteral("denso.ics")), calendarOf(repeating("denso@quib", "20260302T000000", "PT1S", "FREQ=SECONDLY")));
    writeFile(calendar(QStringLiteral("lento.ics")),
              calendarOf(repeating("lento@quib", "19000101T000000", "PT1H", "FREQ=SECONDLY;BYHOUR=10;BYMINUTE=0;BYSECOND=0;COUNT=100000")));
    LogCapture log;
    IcsEventStore store(folder(), {});
    const EventStore::Snapshot snapshot = loadDay(store);
    EXPECT_EQ(snapshot.calendars.size(), 6);
    QSet<QString> calendars;
    QStringList titles;
    for (const EventStore::Event &event : snapshot.events) {
        calendars.insert(event.calendarIdentifier);
        titles.append(event.title.value_or(QString()));
    }
    EXPECT_FALSE(calendars.contains(calendar(QStringLiteral("denso.ics"))));
    EXPECT_FALSE(calendars.contains(calendar(QStringLiteral("lento.ics"))));
    EXPECT_TRUE(titles.contains(QStringLiteral("Daily")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Planejamento")));
    const QStringList lines = log.messages(QStringLiteral("Quib: calendar "));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(calendar(QStringLiteral("denso.ics"))));
    EXPECT_TRUE(lines[1].contains(calendar(QStringLiteral("lento.ics"))));
}

TEST_F(IcsEventStoreTest, ASupersededLoadNeverAnswers)
{
    IcsEventStore store(folder(), {});
    QStringList answers;
    store.load(at(2, 0, 0), at(3, 0, 0), {}, [&answers](EventStore::Snapshot) { answers.append(QStringLiteral("older")); });
    store.load(at(2, 0, 0), at(3, 0, 0), {}, [&answers](EventStore::Snapshot snapshot) {
        answers.append(QStringLiteral("newer"));
        EXPECT_EQ(snapshot.calendars.size(), 4);
    });
    ASSERT_TRUE(waitUntil([&] { return !answers.isEmpty(); }));
    // One load runs at a time, so anything the older one had sent would have
    // come first; a third load rules out a late one all the same.
    loadDay(store);
    EXPECT_EQ(answers, QStringList{QStringLiteral("newer")});
}

TEST_F(IcsEventStoreTest, AStoreThatGoesDuringALoadNeverAnswers)
{
    bool answered = false;
    {
        IcsEventStore store(folder(), {});
        store.load(at(2, 0, 0), at(3, 0, 0), {}, [&answered](EventStore::Snapshot) { answered = true; });
    }
    // A later store's answer comes after anything the first one had sent.
    IcsEventStore later(folder(), {});
    loadDay(later);
    EXPECT_FALSE(answered);
}

namespace {

class IcsEventStoreSkippedMidnight : public ::testing::TestWithParam<SkippedMidnight> {};

QByteArray dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace

TEST_P(IcsEventStoreSkippedMidnight, AllDayEventsFillTheDayFromItsFirstTime)
{
    const LocalTimeZone zone(GetParam().zone);
    const QDate day = GetParam().day;
    const QDate before = day.addDays(-1);
    const QDate after = day.addDays(1);
    const QDateTime firstTime(day, QTime(1, 0));
    ASSERT_FALSE(QDateTime(day, QTime(0, 0)).isValid()) << "the zone's data no longer skips this midnight";

    QTemporaryDir dir;
    writeFile(dir.path() + QStringLiteral("/dias.ics"),
              calendarOf("BEGIN:VEVENT\r\nUID:feriado@quib\r\nSUMMARY:Feriado\r\nDTSTART;VALUE=DATE:" + dateText(day) + "\r\nDTEND;VALUE=DATE:"
                         + dateText(after) + "\r\nEND:VEVENT\r\n"
                         // Weekly on the day's weekday, without an end: one day long.
                         + "BEGIN:VEVENT\r\nUID:plantao@quib\r\nSUMMARY:Plantão\r\nDTSTART;VALUE=DATE:" + dateText(day.addDays(-14))
                         + "\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
                         + "BEGIN:VEVENT\r\nUID:ponte@quib\r\nSUMMARY:Ponte\r\nDTSTART;VALUE=DATE:" + dateText(before) + "\r\nDTEND;VALUE=DATE:"
                         + dateText(after) + "\r\nEND:VEVENT\r\n"
                         + "BEGIN:VEVENT\r\nUID:vespera@quib\r\nSUMMARY:Véspera\r\nDTSTART:" + dateText(before) + "T220000\r\nDTEND:"
                         + dateText(before) + "T230000\r\nEND:VEVENT\r\n"));
    IcsEventStore store(dir.path(), {});
    auto byTitle = [&](const QDateTime &start, const QDateTime &end) {
        QMap<QString, EventStore::Event> found;
        for (const EventStore::Event &event : loadRange(store, start, end).events)
            found.insert(event.title.value_or(QString()), event);
        return found;
    };

    const auto ofTheDay = byTitle(firstTime, QDateTime(after, QTime(0, 0)));
    EXPECT_EQ(ofTheDay.keys(), (QStringList{QStringLiteral("Feriado"), QStringLiteral("Plantão"), QStringLiteral("Ponte")}));
    for (const QString &title : {QStringLiteral("Feriado"), QStringLiteral("Plantão")}) {
        SCOPED_TRACE(title.toStdString());
        EXPECT_EQ(ofTheDay.value(title).start, firstTime);
        EXPECT_EQ(ofTheDay.value(title).end, QDateTime(after, QTime(0, 0)));
    }
    EXPECT_EQ(ofTheDay.value(QStringLiteral("Ponte")).start, QDateTime(before, QTime(0, 0)));

    EXPECT_EQ(byTitle(QDateTime(before, QTime(0, 0)), firstTime).keys(), (QStringList{QStringLiteral("Ponte"), QStringLiteral("Véspera")}));
    EXPECT_TRUE(byTitle(QDateTime(after, QTime(0, 0)), QDateTime(after.addDays(1), QTime(0, 0))).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(IcsEventStore, IcsEventStoreSkippedMidnight,
                         ::testing::ValuesIn(skippedMidnights()),
                         [](const ::testing::TestParamInfo<SkippedMidnight> &info) { return zoneCity(info.param); });

TEST_F(IcsEventStoreTest, AccessIsAReadableCalendarAndAskingForItMakesTheFolder)
{
    const QString calendars = dir.path() + QStringLiteral("/access/calendars");
    const QString local = dir.path() + QStringLiteral("/access/local.ics");
    IcsEventStore store(calendars, {local});
    ASSERT_TRUE(QDir(calendars).removeRecursively()) << "the store made it at once";
    EXPECT_EQ(store.authorizationStatus(), EventStore::AuthorizationStatus::notDetermined) << "nothing to read";

    QFile localCalendar(local);
    ASSERT_TRUE(localCalendar.open(QIODevice::WriteOnly));
    localCalendar.close();
    EXPECT_EQ(store.authorizationStatus(), EventStore::AuthorizationStatus::fullAccess) << "the local calendar alone";
    ASSERT_TRUE(QFile::remove(local));

    bool answered = false;
    store.requestFullAccess([&] { answered = true; });
    EXPECT_FALSE(answered) << "never before the call returns";
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_TRUE(QFileInfo(calendars).isDir());
    EXPECT_EQ(store.authorizationStatus(), EventStore::AuthorizationStatus::fullAccess);
}
