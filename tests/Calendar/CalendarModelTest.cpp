#include "App/Preferences.h"
#include "Calendar/CalendarModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"
#include "Shared/SystemColors.h"

#include "LocalTimeZone.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The manual clock starts on 2 March 2026 at 09:00, local time.
QDateTime at(int hour, int minute, int second = 0, int milliseconds = 0)
{
    return QDateTime(QDate(2026, 3, 2), QTime(hour, minute, second, milliseconds));
}

class CalendarModelTest : public ::testing::Test {
protected:
    CalendarModelTest()
    {
        addCalendar(QStringLiteral("work"), QStringLiteral("Trabalho"), QStringLiteral("Empresa"), QColor(Qt::red));
    }

    void addCalendar(const QString &id, const QString &title, const QString &source, std::optional<QColor> color)
    {
        platform.eventStore.calendarList.append({id, title, source, color});
    }

    EventStore::Event &addEvent(const QString &uid, const QDateTime &start, const QDateTime &end, const QString &calendar = QStringLiteral("work"))
    {
        EventStore::Event event;
        event.itemIdentifier = uid;
        event.title = uid;
        event.start = start;
        event.end = end;
        event.calendarIdentifier = calendar;
        const auto found = std::find_if(platform.eventStore.calendarList.cbegin(), platform.eventStore.calendarList.cend(),
                                        [&](const auto &candidate) { return candidate.identifier == calendar; });
        event.calendarColor = found->color;
        platform.eventStore.eventList.append(event);
        return platform.eventStore.eventList.last();
    }

    EventStore::Event &addAllDay(const QString &uid)
    {
        EventStore::Event &event = addEvent(uid, QDateTime(QDate(2026, 3, 2), QTime(0, 0)), QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
        event.isAllDay = true;
        return event;
    }

    QStringList titles(const QList<DayEvent> &events) const
    {
        QStringList list;
        for (const DayEvent &event : events)
            list.append(event.title);
        return list;
    }

    std::optional<QString> countdownTitle() const
    {
        const auto event = model.countdownEvent();
        return event ? std::optional<QString>(event->title) : std::nullopt;
    }

    std::optional<QString> ongoingTitle() const
    {
        const auto event = model.ongoingEvent();
        return event ? std::optional<QString>(event->title) : std::nullopt;
    }

    FakePlatform platform;
    Preferences preferences{platform.defaults};
    Sounds sounds{platform.soundPlayer};
    PermissionNotifications permissions;
    CalendarModel model{preferences, platform.services(), sounds, permissions};
};

} // namespace

TEST_F(CalendarModelTest, NothingIsReadBeforeStart)
{
    addEvent(QStringLiteral("Daily"), at(10, 0), at(10, 15));
    EXPECT_TRUE(model.events().isEmpty());
    EXPECT_FALSE(model.authorized());
    EXPECT_TRUE(platform.eventStore.queries.isEmpty());
}

TEST_F(CalendarModelTest, MapsTodaysEventsWithIdsTitlesColoursAndLinks)
{
    addCalendar(QStringLiteral("plain"), QStringLiteral("Sem cor"), QString(), std::nullopt);
    EventStore::Event &untitled = addEvent(QStringLiteral("ABC"), at(11, 0), at(11, 30), QStringLiteral("plain"));
    untitled.title = std::nullopt;
    untitled.url = QUrl(QStringLiteral("https://docs.example.com/x"));
    untitled.notes = QStringLiteral("Link: https://meet.google.com/abc-defg-hij");
    // Two occurrences of one repeating meeting.
    addEvent(QStringLiteral("Daily"), at(9, 30), at(9, 45));
    addEvent(QStringLiteral("Daily"), at(16, 30, 0, 500), at(16, 45));
    // Began yesterday evening, ends today at 02:00.
    addEvent(QStringLiteral("Plantão"), QDateTime(QDate(2026, 3, 1), QTime(22, 0)), at(2, 0));
    addEvent(QStringLiteral("Amanhã"), QDateTime(QDate(2026, 3, 3), QTime(9, 0)), QDateTime(QDate(2026, 3, 3), QTime(10, 0)));

    model.start();
    const QList<DayEvent> events = model.events();
    ASSERT_EQ(events.size(), 4);
    EXPECT_EQ(events[0].id, QStringLiteral("ABC") + QString::number(at(11, 0).toSecsSinceEpoch()) + QStringLiteral(".0"));
    EXPECT_EQ(events[0].title, QStringLiteral("Sem título"));
    EXPECT_EQ(events[0].color, SystemColors::blue());
    EXPECT_EQ(events[0].joinURL, QUrl(QStringLiteral("https://meet.google.com/abc-defg-hij")));
    EXPECT_EQ(events[0].joinProvider, QStringLiteral("Meet"));
    EXPECT_EQ(events[1].color, QColor(Qt::red));
    EXPECT_EQ(events[1].joinURL, std::nullopt);
    EXPECT_NE(events[1].id, events[2].id);
    EXPECT_TRUE(events[2].id.endsWith(QStringLiteral(".5")));
    EXPECT_EQ(events[3].title, QStringLiteral("Plantão"));

    const auto query = platform.eventStore.queries.last();
    EXPECT_EQ(query.start, at(0, 0));
    EXPECT_EQ(query.end, QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
}

TEST_F(CalendarModelTest, NoEnabledCalendarMeansNoEventsNeverAllCalendars)
{
    addCalendar(QStringLiteral("home"), QStringLiteral("Casa"), QString(), std::nullopt);
    addEvent(QStringLiteral("Daily"), at(10, 0), at(10, 15));
    preferences.disabledCalendarIDs.setValue({QStringLiteral("work"), QStringLiteral("home")});
    model.start();
    EXPECT_TRUE(model.events().isEmpty());
    EXPECT_EQ(model.calendars().size(), 2);
    EXPECT_TRUE(platform.eventStore.queries.isEmpty());

    preferences.disabledCalendarIDs.setValue({QStringLiteral("home")});
    model.reload();
    EXPECT_EQ(titles(model.events()), QStringList{QStringLiteral("Daily")});
    EXPECT_EQ(platform.eventStore.queries.last().calendarIdentifiers, QStringList{QStringLiteral("work")});
}

TEST_F(CalendarModelTest, CalendarsSortBySourceThenTitle)
{
    platform.eventStore.calendarList.clear();
    addCalendar(QStringLiteral("1"), QStringLiteral("b"), QStringLiteral("Google"), std::nullopt);
    addCalendar(QStringLiteral("2"), QStringLiteral("a"), QStringLiteral("Google"), std::nullopt);
    addCalendar(QStringLiteral("3"), QStringLiteral("z"), QString(), QColor(Qt::green));
    addCalendar(QStringLiteral("4"), QStringLiteral("B"), QStringLiteral("Google"), std::nullopt);
    model.start();
    QStringList order;
    for (const CalendarInfo &calendar : model.calendars())
        order.append(calendar.id);
    EXPECT_EQ(order, (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(model.calendars().at(1).color, SystemColors::blue());
}

TEST_F(CalendarModelTest, UpcomingPutsTimedEventsFirstAndDropsEndedOnes)
{
    addAllDay(QStringLiteral("Feriado"));
    addEvent(QStringLiteral("Reunião"), at(9, 0), at(10, 0));
    addEvent(QStringLiteral("Acabou"), at(8, 0), at(8, 59));
    addEvent(QStringLiteral("Cedo"), at(8, 30), at(9, 30));
    model.start();
    EXPECT_EQ(titles(model.upcoming()), (QStringList{QStringLiteral("Cedo"), QStringLiteral("Reunião"), QStringLiteral("Feriado")}));
    platform.scheduler.advanceTo(at(23, 0));
    EXPECT_EQ(titles(model.upcoming()), QStringList{QStringLiteral("Feriado")});
}

TEST_F(CalendarModelTest, CountdownOpensAnnouncesAndClosesOnTime)
{
    addEvent(QStringLiteral("Daily"), at(10, 0), at(11, 0));
    model.start();
    EXPECT_EQ(countdownTitle(), std::nullopt);

    platform.scheduler.advanceTo(at(9, 44, 59, 999));
    EXPECT_EQ(countdownTitle(), std::nullopt);
    platform.scheduler.advanceTo(at(9, 45));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    EXPECT_TRUE(model.isAnnouncing());
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Glass")});
    platform.scheduler.advanceTo(at(9, 45, 12));
    EXPECT_FALSE(model.isAnnouncing());
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));

    platform.scheduler.advanceTo(at(10, 0));
    EXPECT_TRUE(model.isAnnouncing());
    EXPECT_EQ(platform.soundPlayer.played().size(), 2);
    platform.scheduler.advanceTo(at(10, 4, 59, 999));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    platform.scheduler.advanceTo(at(10, 5));
    EXPECT_EQ(countdownTitle(), std::nullopt);
    // A reload does not announce the same phases again.
    platform.scheduler.setNow(at(9, 50));
    model.reload();
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    EXPECT_FALSE(model.isAnnouncing());
}

TEST_F(CalendarModelTest, ShortMeetingEndsItsCountdownAtItsEnd)
{
    addEvent(QStringLiteral("Rápida"), at(10, 0), at(10, 3));
    model.start();
    platform.scheduler.advanceTo(at(10, 2, 59));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Rápida"));
    platform.scheduler.advanceTo(at(10, 3));
    EXPECT_EQ(countdownTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, LaunchingDuringAMeetingAnnouncesOnlyItsStart)
{
    addEvent(QStringLiteral("Daily"), at(10, 0), at(11, 0));
    platform.scheduler.setNow(at(10, 2));
    preferences.soundOnEvent.setValue(false);
    model.start();
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    EXPECT_TRUE(model.isAnnouncing());
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
    platform.scheduler.advanceTo(at(10, 2, 12));
    EXPECT_FALSE(model.isAnnouncing());
}

TEST_F(CalendarModelTest, LeadsThatAreNoneOrAbsurdNeverBreakThePlanning)
{
    struct Case {
        const char *name;
        double minutes;
        bool counting;
    };
    const QList<Case> cases{
        {"zero", 0, false},
        {"negative", -5, false},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), false},
        {"huge", 1e300, true},
        {"infinite", std::numeric_limits<double>::infinity(), true},
    };
    addEvent(QStringLiteral("Daily"), at(15, 0), at(15, 30));
    model.start();
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        preferences.reminderMinutes.setValue(test.minutes);
        model.reload();
        EXPECT_EQ(model.countdownEvent().has_value(), test.counting);
    }
    // An existing countdown is cleared at the next pass once the lead is 0.
    preferences.reminderMinutes.setValue(0);
    model.scheduleReminder();
    EXPECT_EQ(countdownTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, AllDayEventsNeverCountDownNorRun)
{
    addAllDay(QStringLiteral("Feriado"));
    model.start();
    platform.scheduler.advanceTo(at(12, 0));
    EXPECT_EQ(countdownTitle(), std::nullopt);
    EXPECT_EQ(ongoingTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, WithoutKeepingTheCountdownItReturnsAtTheStart)
{
    preferences.keepEventCountdown.setValue(false);
    addEvent(QStringLiteral("Daily"), at(10, 0), at(11, 0));
    model.start();
    platform.scheduler.advanceTo(at(9, 45));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    platform.scheduler.advanceTo(at(9, 45, 12));
    EXPECT_EQ(countdownTitle(), std::nullopt);
    platform.scheduler.advanceTo(at(10, 0));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily"));
    EXPECT_EQ(platform.soundPlayer.played().size(), 2);
}

TEST_F(CalendarModelTest, DismissingHandsTheCountdownToTheNextMeeting)
{
    addEvent(QStringLiteral("Primeira"), at(9, 50), at(10, 20));
    addEvent(QStringLiteral("Segunda"), at(10, 0), at(10, 30));
    platform.scheduler.setNow(at(9, 48));
    model.start();
    EXPECT_EQ(countdownTitle(), QStringLiteral("Primeira"));
    model.dismissCountdown();
    EXPECT_EQ(countdownTitle(), QStringLiteral("Segunda"));
    model.dismissCountdown();
    EXPECT_EQ(countdownTitle(), std::nullopt);
    EXPECT_FALSE(model.isAnnouncing());
    model.reload();
    EXPECT_EQ(countdownTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, JoinOpensTheAppsLinkAndStopsOnlyItsOwnCountdown)
{
    EventStore::Event &zoom = addEvent(QStringLiteral("Zoom"), at(9, 55), at(10, 30));
    zoom.location = QStringLiteral("https://zoom.us/j/123?pwd=abc");
    EventStore::Event &meet = addEvent(QStringLiteral("Meet"), at(11, 0), at(11, 30));
    meet.url = QUrl(QStringLiteral("https://meet.google.com/xyz"));
    addEvent(QStringLiteral("Sem link"), at(12, 0), at(12, 30));
    platform.workspace.openableSchemes = {QStringLiteral("zoommtg")};
    platform.scheduler.setNow(at(9, 50));
    model.start();
    ASSERT_EQ(countdownTitle(), QStringLiteral("Zoom"));

    model.join(model.events().at(2));
    EXPECT_TRUE(platform.workspace.openedLinks.isEmpty());
    model.join(model.events().at(1));
    EXPECT_EQ(platform.workspace.openedLinks.last(), QUrl(QStringLiteral("https://meet.google.com/xyz")));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Zoom"));
    model.join(model.events().at(0));
    EXPECT_EQ(platform.workspace.openedLinks.last(), QUrl(QStringLiteral("zoommtg://zoom.us/join?action=join&confno=123&pwd=abc")));
    EXPECT_EQ(countdownTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, OngoingEventFollowsStartsAndEndsHalfASecondLate)
{
    addEvent(QStringLiteral("Longa"), at(9, 30), at(11, 0));
    addEvent(QStringLiteral("Curta"), at(10, 0), at(10, 30));
    addEvent(QStringLiteral("Marco"), at(10, 15), at(10, 15));
    model.start();
    EXPECT_EQ(ongoingTitle(), std::nullopt);
    platform.scheduler.advanceTo(at(9, 30, 0, 499));
    EXPECT_EQ(ongoingTitle(), std::nullopt);
    platform.scheduler.advanceTo(at(9, 30, 0, 500));
    EXPECT_EQ(ongoingTitle(), QStringLiteral("Longa"));
    platform.scheduler.advanceTo(at(10, 10));
    EXPECT_EQ(ongoingTitle(), QStringLiteral("Curta"));
    platform.scheduler.advanceTo(at(10, 30, 0, 499));
    EXPECT_EQ(ongoingTitle(), QStringLiteral("Curta"));
    platform.scheduler.advanceTo(at(10, 30, 0, 500));
    EXPECT_EQ(ongoingTitle(), QStringLiteral("Longa"));
    platform.scheduler.advanceTo(at(11, 0, 1));
    EXPECT_EQ(ongoingTitle(), std::nullopt);
}

TEST_F(CalendarModelTest, HourlyChimeSoundsOnTheFullHourAndNeverEarly)
{
    model.start();
    platform.scheduler.advanceTo(at(11, 0));
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());

    platform.scheduler.setNow(at(11, 20));
    preferences.hourlyChime.setValue(true);
    model.scheduleChime();
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
    platform.scheduler.advanceTo(at(11, 59, 59, 999));
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
    platform.scheduler.advanceTo(at(12, 0));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Hero")});
    platform.scheduler.advanceTo(at(14, 0));
    EXPECT_EQ(platform.soundPlayer.played().size(), 3);

    preferences.hourlyChime.setValue(false);
    model.scheduleChime();
    platform.scheduler.advanceTo(at(16, 0));
    EXPECT_EQ(platform.soundPlayer.played().size(), 3);
}

TEST_F(CalendarModelTest, WakingReplansTheChimeFromTheNewTime)
{
    preferences.hourlyChime.setValue(true);
    model.start();
    // Asleep from 09:00 to 14:10: the 10:00 chime is stale.
    platform.scheduler.setNow(at(14, 10));
    platform.workspace.wake();
    platform.scheduler.advanceTo(at(14, 59));
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
    platform.scheduler.advanceTo(at(15, 0));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Hero")});
}

TEST_F(CalendarModelTest, StepsOfTheWallClockReplanTheDayTheCountdownAndTheChime)
{
    preferences.hourlyChime.setValue(true);
    preferences.soundOnEvent.setValue(false);
    addEvent(QStringLiteral("Hoje"), at(13, 0), at(14, 0));
    addEvent(QStringLiteral("Amanhã"), QDateTime(QDate(2026, 3, 3), QTime(10, 0)), QDateTime(QDate(2026, 3, 3), QTime(11, 0)));
    model.start();
    ASSERT_EQ(titles(model.events()), QStringList{QStringLiteral("Hoje")});

    // Set forward into tomorrow: tomorrow's events and countdown at once.
    platform.scheduler.setNow(QDateTime(QDate(2026, 3, 3), QTime(9, 50)));
    EXPECT_EQ(model.today().date(), QDate(2026, 3, 3));
    EXPECT_EQ(titles(model.events()), QStringList{QStringLiteral("Amanhã")});
    EXPECT_EQ(countdownTitle(), QStringLiteral("Amanhã"));

    // Set back to the evening before: that day, then the change of day and
    // the chime at its midnight, not at tomorrow's hours.
    platform.scheduler.setNow(QDateTime(QDate(2026, 3, 1), QTime(23, 59, 30)));
    EXPECT_EQ(model.today().date(), QDate(2026, 3, 1));
    EXPECT_TRUE(model.events().isEmpty());
    EXPECT_EQ(countdownTitle(), std::nullopt);
    platform.scheduler.advance(29.999);
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());
    platform.scheduler.advance(0.001);
    EXPECT_EQ(model.today().date(), QDate(2026, 3, 2));
    EXPECT_EQ(titles(model.events()), QStringList{QStringLiteral("Hoje")});
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Hero")});

    // A step within the day moves the boundaries of the countdown with it.
    platform.scheduler.setNow(at(12, 50));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Hoje"));
}

TEST_F(CalendarModelTest, ReloadsOnStoreChangesTheNewDayAndPermissionChanges)
{
    model.start();
    EXPECT_TRUE(model.authorized());
    addEvent(QStringLiteral("Nova"), at(13, 0), at(14, 0));
    platform.eventStore.change();
    EXPECT_EQ(titles(model.events()), QStringList{QStringLiteral("Nova")});

    platform.scheduler.advanceTo(QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
    EXPECT_EQ(model.today(), QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
    EXPECT_TRUE(model.events().isEmpty());

    platform.scheduler.setNow(at(12, 0));
    model.reload();
    ASSERT_FALSE(model.events().isEmpty());
    platform.eventStore.status = EventStore::AuthorizationStatus::denied;
    Q_EMIT permissions.quibPermissionsChanged();
    EXPECT_FALSE(model.authorized());
    EXPECT_TRUE(model.events().isEmpty());
    EXPECT_TRUE(model.calendars().isEmpty());
}

TEST_F(CalendarModelTest, DemoEventCountsDownAndGoesAtTheNextReload)
{
    model.start();
    model.debugInjectEvent(4);
    ASSERT_EQ(model.events().size(), 1);
    const DayEvent demo = model.events().first();
    EXPECT_EQ(demo.title, QStringLiteral("Daily do time"));
    EXPECT_EQ(demo.start, at(9, 4));
    EXPECT_EQ(demo.end, at(9, 34));
    EXPECT_TRUE(demo.id.startsWith(QStringLiteral("debug-")));
    EXPECT_EQ(demo.joinProvider, QStringLiteral("Meet"));
    EXPECT_EQ(countdownTitle(), QStringLiteral("Daily do time"));
    model.debugInjectEvent(std::nan(""));
    EXPECT_EQ(model.events().size(), 1);
    model.reload();
    EXPECT_TRUE(model.events().isEmpty());

    // Its id is written like an event's, never with an exponent.
    platform.scheduler.setNow(QDateTime::fromSecsSinceEpoch(1'800'000'000 - 240));
    model.debugInjectEvent(4);
    ASSERT_FALSE(model.events().isEmpty());
    EXPECT_EQ(model.events().last().id, QStringLiteral("debug-1800000000.0"));
}

TEST(CalendarModelHours, NextFullHourIsStrictlyLater)
{
    const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0));
    EXPECT_EQ(CalendarModel::nextFullHour(nine), nine.addSecs(3600));
    EXPECT_EQ(CalendarModel::nextFullHour(QDateTime(QDate(2026, 3, 2), QTime(23, 59, 59))), QDateTime(QDate(2026, 3, 3), QTime(0, 0)));
}

namespace {

// The zone is the process's local one before the fixture makes any local
// time.
class CalendarModelSkippedMidnight : public ::testing::WithParamInterface<SkippedMidnight>, private LocalTimeZone, public CalendarModelTest {
protected:
    CalendarModelSkippedMidnight()
        : LocalTimeZone(GetParam().zone)
    {
    }
};

} // namespace

TEST_P(CalendarModelSkippedMidnight, TheDayStartsAtItsFirstTimeAndTheDayBeforeEndsThere)
{
    const QDate day = GetParam().day;
    const QDate before = day.addDays(-1);
    const QDateTime firstTime(day, QTime(1, 0));
    ASSERT_FALSE(QDateTime(day, QTime(0, 0)).isValid()) << "the zone's data no longer skips this midnight";
    ASSERT_EQ(QDateTime(before, QTime(23, 0)).secsTo(firstTime), 3600);

    addEvent(QStringLiteral("Véspera"), QDateTime(before, QTime(20, 0)), QDateTime(before, QTime(21, 0)));
    addEvent(QStringLiteral("Reunião"), QDateTime(day, QTime(10, 0)), QDateTime(day, QTime(11, 0)));
    EventStore::Event &holiday = addEvent(QStringLiteral("Feriado"), firstTime, QDateTime(day.addDays(1), QTime(0, 0)));
    holiday.isAllDay = true;
    platform.scheduler.setNow(QDateTime(before, QTime(9, 0)));
    model.start();
    EXPECT_EQ(titles(model.events()), QStringList{QStringLiteral("Véspera")});
    ASSERT_FALSE(platform.eventStore.queries.isEmpty());
    EXPECT_EQ(platform.eventStore.queries.last().start, QDateTime(before, QTime(0, 0)));
    EXPECT_EQ(platform.eventStore.queries.last().end, firstTime);

    // The change of day comes at the first time of the new day, not before.
    platform.scheduler.advanceTo(firstTime.addMSecs(-1));
    EXPECT_EQ(model.today().date(), before);
    platform.scheduler.advance(0.001);
    EXPECT_EQ(model.today(), firstTime);
    EXPECT_EQ(titles(model.events()), (QStringList{QStringLiteral("Reunião"), QStringLiteral("Feriado")}));
    EXPECT_EQ(platform.eventStore.queries.last().start, firstTime);
    EXPECT_EQ(platform.eventStore.queries.last().end, QDateTime(day.addDays(1), QTime(0, 0)));

    // And the next one is armed again.
    platform.scheduler.advanceTo(QDateTime(day.addDays(1), QTime(0, 0)));
    EXPECT_EQ(model.today().date(), day.addDays(1));
    EXPECT_TRUE(model.events().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(CalendarModel, CalendarModelSkippedMidnight,
                         ::testing::ValuesIn(skippedMidnights()),
                         [](const ::testing::TestParamInfo<SkippedMidnight> &info) { return zoneCity(info.param); });

TEST(CalendarModelIds, StartsAreWrittenInPlainNotation)
{
    struct Row {
        const char *name;
        QString item;
        qint64 startMSecs;
        QString expected;
    };
    const QList<Row> rows{
        {"a thousand seconds", QStringLiteral("ABC"), 1'000'000, QStringLiteral("ABC1000.0")},
        {"a round start", QStringLiteral("ABC"), 1'800'000'000'000, QStringLiteral("ABC1800000000.0")},
        {"a round start with a fraction", QStringLiteral("ABC"), 1'700'000'000'500, QStringLiteral("ABC1700000000.5")},
        {"before 1970", QStringLiteral("ABC"), -1'000'000'000'000, QStringLiteral("ABC-1000000000.0")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CalendarModel::eventId(row.item, QDateTime::fromMSecsSinceEpoch(row.startMSecs)), row.expected);
    }
}
