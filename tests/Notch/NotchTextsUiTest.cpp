#include "Alerts/AlertStripViews.h"
#include "App/AppDelegate.h"
#include "App/AppModel.h"
#include "Notch/CalendarSection.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/OpenNotchContent.h"
#include "Platform/Fake/FakePlatform.h"
#include "Shared/Typography.h"

#include <QFontInfo>

#include <gtest/gtest.h>

// The panels' texts in the font they are set in: the measures of the layouts
// are made for it.

namespace {

constexpr double notchHeight = 32;

// The columns of the open panel at its default width.
OpenNotchContent::Layout openColumns()
{
    return OpenNotchContent::layout(QSizeF(490, notchHeight + 150), notchHeight, {true, true, false}, 112, 100);
}

} // namespace

TEST(NotchTexts, PanelsAreSetInInter)
{
    EXPECT_EQ(QFontInfo(Typography::systemFont(13)).family(), QStringLiteral("Inter"));
    EXPECT_EQ(QFontInfo(Typography::systemFont(11.5, QFont::DemiBold)).family(), QStringLiteral("Inter"));
}

TEST(NotchTexts, EveryDaysNameFitsTheCalendarHeader)
{
    FakePlatform platform;
    AppModel app{platform.services()};
    CalendarSection section(app);
    app.preferences.sideColumn.setValue(SideColumn::calendar);
    section.setWidth(openColumns().calendar->width());
    // A two-digit day and the count of more events leave the names least room.
    QList<DayEvent> events;
    for (int i = 0; i < 5; ++i) {
        DayEvent event;
        event.id = QString::number(i);
        event.title = QStringLiteral("Evento");
        event.start = QDateTime(QDate(2026, 3, 23), QTime(20, 0)).addSecs(i * 600);
        event.end = event.start.addSecs(1800);
        events.append(event);
    }
    app.calendar.bindableEvents().setValue(events);
    for (int day = 23; day <= 29; ++day) {
        app.calendar.bindableToday().setValue(QDateTime(QDate(2026, 3, day), QTime(0, 0)));
        const auto layout = section.layout();
        const QString name = CalendarSection::weekdayText(QDate(2026, 3, day));
        SCOPED_TRACE(name.toStdString());
        // Only Monday's name is too long for the room: it is shown without
        // its "-feira".
        EXPECT_EQ(layout.weekdayText, name == QStringLiteral("Segunda-feira") ? QStringLiteral("Segunda") : name);
        const QFont weekdayFont = Typography::systemFont(13.5, QFont::DemiBold);
        EXPECT_EQ(Typography::fitLine(layout.weekdayText, weekdayFont, layout.weekday.width()).text, layout.weekdayText);
    }
}

TEST(NotchTexts, AShortMeetingTitleFitsTheCompactSide)
{
    const QString title = QStringLiteral("Reunião geral");
    const QFont font = Typography::systemFont(EventProgressCompactContent::titleSize, QFont::DemiBold);
    EXPECT_EQ(Typography::fitLine(title, font, EventProgressCompactContent::sideWidth).text, title);
}

TEST(NotchTexts, MicrophoneToastsShowTheirWholeTitle)
{
    for (const bool muted : {true, false}) {
        const NotchAlert toast = AppDelegate::micToast(muted);
        const auto layout = AlertCompactContent::layout(toast, QSizeF(385, notchHeight), notchHeight);
        ASSERT_TRUE(layout.title);
        EXPECT_EQ(layout.title->text, *toast.title);
        EXPECT_LE(Typography::width(layout.title->text, layout.title->font), layout.title->rect.width());
    }
}
