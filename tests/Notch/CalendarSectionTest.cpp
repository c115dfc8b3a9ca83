#include "Notch/CalendarSection.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QDateTime now(QDate(2026, 3, 2), QTime(9, 0));

DayEvent event(qint64 startsIn, qint64 length = 1800, bool allDay = false)
{
    DayEvent made;
    made.id = QStringLiteral("E%1").arg(startsIn);
    made.title = QStringLiteral("Reunião");
    made.start = now.addSecs(startsIn);
    made.end = made.start.addSecs(length);
    made.isAllDay = allDay;
    made.color = QColor(10, 132, 255);
    return made;
}

} // namespace

TEST(CalendarSectionTest, BlocksBySideColumn)
{
    using Events = CalendarSection::EventsBlock;
    using Usage = CalendarSection::UsageBlock;
    struct Case {
        const char *name;
        SideColumn sideColumn;
        qsizetype upcoming;
        bool hasUsage;
        CalendarSection::Blocks expected;
    };
    const Case cases[] = {
        {"calendar, events", SideColumn::calendar, 2, true, {Events::events, Usage::none, false}},
        {"calendar, free day", SideColumn::calendar, 0, false, {Events::emptyDay, Usage::none, false}},
        {"calendar, three events", SideColumn::calendar, 3, false, {Events::events, Usage::none, true}},
        {"both with usage", SideColumn::both, 1, true, {Events::events, Usage::card, false}},
        {"both without usage: no card, no placeholder", SideColumn::both, 0, false, {Events::emptyDay, Usage::none, false}},
        {"both, five events", SideColumn::both, 5, true, {Events::events, Usage::card, true}},
        {"claude with usage: no events, no count", SideColumn::claude, 5, true, {Events::none, Usage::card, false}},
        {"claude without usage: placeholder", SideColumn::claude, 0, false, {Events::none, Usage::placeholder, false}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CalendarSection::blocks(c.sideColumn, c.upcoming, c.hasUsage), c.expected);
    }
}

TEST(CalendarSectionTest, CountOfEventsNotListed)
{
    EXPECT_EQ(CalendarSection::moreEventsText(0), QString());
    EXPECT_EQ(CalendarSection::moreEventsText(2), QString());
    EXPECT_EQ(CalendarSection::moreEventsText(3), QStringLiteral("+1 evento"));
    EXPECT_EQ(CalendarSection::moreEventsText(5), QStringLiteral("+3 eventos"));
}

TEST(CalendarSectionTest, TimeLineOfAnEvent)
{
    struct Case {
        const char *name;
        DayEvent event;
        const char *expected;
    };
    const Case cases[] = {
        {"all day", event(-3600, 86400, true), "Dia inteiro"},
        {"all day later today", event(3 * 3600, 86400, true), "Dia inteiro"},
        {"in progress", event(-600, 1800), "Agora · até 09:20"},
        {"starting now", event(0, 1800), "Agora · até 09:30"},
        {"in 20 seconds", event(20), "Em 1 min"},
        {"in 59 min 50 s", event(59 * 60 + 50), "Em 59 min"},
        {"in 60 minutes", event(3600, 2700), "10:00 – 10:45"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CalendarSection::timeText(c.event, now), QString::fromUtf8(c.expected));
    }
}

TEST(CalendarSectionTest, SoonProgressAndColours)
{
    EXPECT_TRUE(CalendarSection::isSoon(event(3599), now));
    EXPECT_FALSE(CalendarSection::isSoon(event(3600), now));
    EXPECT_TRUE(CalendarSection::isSoon(event(-600), now)) << "started events are soon too";
    EXPECT_FALSE(CalendarSection::isSoon(event(-600, 86400, true), now)) << "all-day events never are";

    EXPECT_TRUE(CalendarSection::isInProgress(event(-600), now));
    EXPECT_FALSE(CalendarSection::isInProgress(event(-1800, 1800), now)) << "ended at now";
    EXPECT_FALSE(CalendarSection::isInProgress(event(60), now));
    EXPECT_FALSE(CalendarSection::isInProgress(event(-600, 86400, true), now));

    const DayEvent blue = event(60);
    EXPECT_EQ(CalendarSection::rowColor(blue, true), blue.color);
    const QColor faint = CalendarSection::rowColor(blue, false);
    EXPECT_EQ(faint, QColor::fromRgbF(1, 1, 1, 0.6f));
    EXPECT_EQ(EventRow::ringColor(faint), QColor::fromRgbF(0.3f, 0.85f, 0.5f));
    EXPECT_EQ(EventRow::ringColor(blue.color), blue.color);
}

TEST(CalendarSectionTest, DateNamesInPortuguese)
{
    // 2 March 2026 is a Monday.
    EXPECT_EQ(CalendarSection::weekdayText(now.date()), QStringLiteral("Segunda-feira"));
    EXPECT_EQ(CalendarSection::weekdayText(QDate(2026, 3, 7)), QStringLiteral("Sábado"));
    EXPECT_EQ(CalendarSection::monthText(now.date()), QStringLiteral("março"));
    EXPECT_EQ(CalendarSection::clockText(QDateTime(now.date(), QTime(14, 5))), QStringLiteral("14:05"));
}

TEST(CalendarSectionTest, JoinButtonHelp)
{
    EXPECT_EQ(JoinButton::help(QStringLiteral("Google Meet")), QStringLiteral("Entrar no Google Meet"));
    EXPECT_EQ(JoinButton::help(std::nullopt), QStringLiteral("Entrar na chamada"));
}
