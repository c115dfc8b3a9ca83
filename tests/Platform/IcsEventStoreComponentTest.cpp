#include "Platform/Linux/IcsEventStore.h"

#include "QtPrinters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
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

class IcsEventStoreTest : public ::testing::Test {
protected:
    IcsEventStoreTest() { copyFolder(QStringLiteral(QUIB_TEST_FIXTURES "/calendars"), folder()); }

    QString folder() const { return dir.path() + QStringLiteral("/calendars"); }
    QString calendar(const QString &name) const { return folder() + u'/' + name; }

    QMap<QString, EventStore::Event> eventsByTitle(IcsEventStore &store, const QStringList &calendars)
    {
        QMap<QString, EventStore::Event> found;
        for (const EventStore::Event &event : store.events(at(2, 0, 0), at(3, 0, 0), calendars))
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
    const QList<EventStore::Calendar> calendars = store.calendars();
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
    for (const auto &entry : store.calendars())
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
    EXPECT_EQ(store.calendars().size(), 4);
    QDir().mkpath(QFileInfo(extra).absolutePath());
    writeFile(extra, oneEvent("local@quib", "Dentista", "20260302T080000", "20260302T083000"));
    ASSERT_EQ(store.calendars().size(), 5);
    EXPECT_EQ(store.calendars().last().identifier, extra);
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
    EXPECT_EQ(store.calendars().size(), 4);
}
