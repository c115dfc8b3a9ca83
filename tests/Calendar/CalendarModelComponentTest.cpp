#include "App/Preferences.h"
#include "Calendar/CalendarModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/IcsEventStore.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"

#include "QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// The calendar model over the fixture calendars, on the manual clock
// (2 March 2026, 09:00 local time).
TEST(CalendarModelWithFiles, TodayFromTheFixtureCalendars)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/calendars");
    QDir().mkpath(folder + QStringLiteral("/equipe"));
    for (const QString &name : {QStringLiteral("work.ics"), QStringLiteral("pessoal.ics"), QStringLiteral("equipe/planning.ics")})
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUIB_TEST_FIXTURES "/calendars/") + name, folder + u'/' + name));
    IcsEventStore store(folder, {});
    FakePlatform platform;
    Services services = platform.services();
    Services withFiles{services.scheduler, services.defaults, services.notifications, services.workspace, services.soundPlayer, services.audio,
                       services.keyCapture, services.windowServer, services.screens, store, services.location, services.credentials, services.pointer, services.backlights};
    Preferences preferences(platform.defaults);
    preferences.disabledCalendarIDs.setValue({folder + QStringLiteral("/equipe")});
    Sounds sounds(platform.soundPlayer);
    PermissionNotifications permissions;
    CalendarModel model(preferences, withFiles, sounds, permissions);
    model.start();

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
