#include "App/Preferences.h"
#include "Calendar/CalendarModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/IcsEventStore.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"

#include "QtPrinters.h"
#include "Wait.h"

#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The calendar model over the calendar files of a folder, on the manual
// clock (2 March 2026, 09:00 local time).
class CalendarModelWithFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/calendars");
    IcsEventStore store{folder, {}};
    FakePlatform platform;
    Services services = platform.services();
    Services withFiles{services.scheduler, services.defaults, services.notifications, services.workspace, services.soundPlayer, services.audio,
                       services.keyCapture, services.windowServer, services.screens, store, services.location, services.credentials, services.pointer, services.backlights, services.updates, services.powerSources, services.bluetooth, services.sessionLock, services.loginItems};
    Preferences preferences{platform.defaults};
    Sounds sounds{platform.soundPlayer};
    PermissionNotifications permissions;
    CalendarModel model{preferences, withFiles, sounds, permissions};
};

} // namespace

TEST_F(CalendarModelWithFiles, TodayFromTheFixtureCalendars)
{
    QDir().mkpath(folder + QStringLiteral("/equipe"));
    for (const QString &name : {QStringLiteral("work.ics"), QStringLiteral("pessoal.ics"), QStringLiteral("equipe/planning.ics")})
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUIB_TEST_FIXTURES "/calendars/") + name, folder + u'/' + name));
    preferences.disabledCalendarIDs.setValue({folder + QStringLiteral("/equipe")});
    model.start();
    ASSERT_TRUE(waitUntil([&] { return !model.events().isEmpty(); }));

    QStringList titles;
    for (const DayEvent &event : model.upcoming())
        titles.append(event.title);
    EXPECT_EQ(titles.first(), QStringLiteral("Daily"));
    EXPECT_EQ(titles.mid(titles.size() - 2), (QStringList{QStringLiteral("Viagem"), QStringLiteral("Feriado")}));
    EXPECT_TRUE(titles.contains(QStringLiteral("Sem título")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Sincronia adiada")));
    for (const QString &gone : {QStringLiteral("Plantão"), QStringLiteral("Revisão"), QStringLiteral("Planejamento"), QStringLiteral("Semanal cancelada")})
        EXPECT_FALSE(titles.contains(gone)) << gone.toStdString();
    // The night shift that crossed midnight is part of the day, even ended.
    EXPECT_EQ(model.events().size(), titles.size() + 1);

    platform.scheduler.advanceTo(QDateTime(QDate(2026, 3, 2), QTime(9, 15)));
    ASSERT_TRUE(model.countdownEvent());
    EXPECT_EQ(model.countdownEvent()->title, QStringLiteral("Daily"));
    EXPECT_EQ(model.countdownEvent()->joinProvider, QStringLiteral("Meet"));
    EXPECT_EQ(model.countdownEvent()->color, QColor(0xFF, 0x3B, 0x30));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Glass")});
    platform.scheduler.advanceTo(QDateTime(QDate(2026, 3, 2), QTime(9, 30, 0, 500)));
    ASSERT_TRUE(model.ongoingEvent());
    EXPECT_EQ(model.ongoingEvent()->title, QStringLiteral("Daily"));
}

TEST_F(CalendarModelWithFiles, ALargeCalendarLoadsWhileTheMainThreadGoesOn)
{
    // Twenty thousand meetings, one an hour, ending today at 09:30.
    QByteArray events;
    const QDateTime last(QDate(2026, 3, 2), QTime(9, 0));
    for (int hour = 19999; hour >= 0; --hour) {
        const QByteArray start = last.addSecs(-3600LL * hour).toString(QStringLiteral("yyyyMMdd'T'HHmmss")).toLatin1();
        events += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(hour) + "@quib\r\nSUMMARY:Reunião " + QByteArray::number(hour) + "\r\nDTSTART:" + start
            + "\r\nDURATION:PT30M\r\nDESCRIPTION:https://meet.google.com/abc-defg-hij\r\nEND:VEVENT\r\n";
    }
    QSaveFile file(folder + QStringLiteral("/grande.ics"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quib tests//PT\r\n" + events + "END:VCALENDAR\r\n");
    ASSERT_TRUE(file.commit());

    // Queued before the model starts: it runs before a load off the main
    // thread can answer, and after one that held the main thread.
    std::optional<qsizetype> eventsWhenQueuedCallRan;
    QTimer::singleShot(0, [&] { eventsWhenQueuedCallRan = model.events().size(); });
    model.start();
    ASSERT_TRUE(waitUntil([&] { return model.events().size() == 10; }));
    EXPECT_EQ(eventsWhenQueuedCallRan, 0);
    EXPECT_EQ(model.events().last().title, QStringLiteral("Reunião 0"));
    EXPECT_EQ(model.calendars().size(), 1);
}
