#include "App/AppModel.h"
#include "Notch/CalendarSection.h"
#include "Notch/ClaudeUsageSection.h"
#include "Platform/Fake/FakePlatform.h"
#include "SceneDriver.h"

#include <gtest/gtest.h>

namespace {

constexpr double width = 214;

class CalendarSectionUi : public ::testing::Test {
protected:
    CalendarSectionUi()
    {
        app.calendar.bindableToday().setValue(QDateTime(now().date(), QTime(0, 0)));
        driver.scene.addItem(section);
        section->setWidth(width);
        driver.show(QRectF(0, 0, width, 260));
    }

    QDateTime now() const { return platform.scheduler.now(); }

    DayEvent event(const QString &id, qint64 startsIn, qint64 length = 1800)
    {
        DayEvent made;
        made.id = id;
        made.title = QStringLiteral("Evento ") + id;
        made.start = now().addSecs(startsIn);
        made.end = made.start.addSecs(length);
        made.color = QColor(255, 159, 10);
        return made;
    }
    void setEvents(const QList<DayEvent> &events) { app.calendar.bindableEvents().setValue(events); }
    QImage render() { return driver.render(QRectF(0, 0, width, section->height())); }

    FakePlatform platform;
    AppModel app{platform.services()};
    SceneDriver driver;
    CalendarSection *section = new CalendarSection(app);
};

TEST_F(CalendarSectionUi, HeaderTwoRowsAndTheCountOfTheRest)
{
    app.preferences.sideColumn.setValue(SideColumn::calendar);
    setEvents({event(QStringLiteral("a"), 600), event(QStringLiteral("b"), 7200), event(QStringLiteral("c"), 9000),
               event(QStringLiteral("d"), 10800), event(QStringLiteral("e"), 12600)});

    const auto layout = section->layout();
    EXPECT_EQ(layout.dayText, QStringLiteral("2"));
    EXPECT_EQ(layout.weekdayText, QStringLiteral("Segunda-feira"));
    EXPECT_EQ(layout.monthText, QStringLiteral("março"));
    EXPECT_EQ(layout.moreText, QStringLiteral("+3 eventos"));
    ASSERT_TRUE(layout.more);
    EXPECT_DOUBLE_EQ(layout.more->right(), width);
    // Two rows, 6 points below the 42-point header, 5 apart.
    ASSERT_EQ(layout.rows.size(), 2);
    EXPECT_DOUBLE_EQ(layout.rows[0].top(), 42 + 6);
    EXPECT_DOUBLE_EQ(layout.rows[1].top(), layout.rows[0].bottom() + 5);
    EXPECT_DOUBLE_EQ(section->height(), layout.rows[1].bottom());
    EXPECT_FALSE(layout.usage);

    const QImage image = render();
    // The day number on the left of the header, the count on the right.
    EXPECT_FALSE(Rendering::inkBounds(image, layout.day.toAlignedRect()).isEmpty());
    EXPECT_FALSE(Rendering::inkBounds(image, layout.more->toAlignedRect()).isEmpty());
    // Each row's 3 × 26 bar in the calendar's orange.
    const auto rows = section->rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->marker(), EventRow::Marker::bar);
    const QRectF bar = rows[0]->markerRect().translated(rows[0]->pos());
    EXPECT_EQ(bar.size(), QSizeF(3, 26));
    const QColor ink = image.pixelColor(bar.center().toPoint());
    EXPECT_EQ(ink.red(), 255);
    EXPECT_NEAR(ink.green(), 159, 2);
    EXPECT_EQ(rows[0]->data().timeText, QStringLiteral("Em 10 min"));
    EXPECT_EQ(rows[1]->data().timeText, QStringLiteral("11:00 – 11:30"));
}

TEST_F(CalendarSectionUi, CalendarColoursOffDrawFaintBars)
{
    app.preferences.useCalendarColor.setValue(false);
    setEvents({event(QStringLiteral("a"), 600)});
    const QImage image = render();
    const auto row = section->rows().first();
    const QColor ink = image.pixelColor(row->markerRect().translated(row->pos()).center().toPoint());
    EXPECT_NEAR(ink.red(), 153, 2);
    EXPECT_EQ(ink.red(), ink.blue());
}

TEST_F(CalendarSectionUi, EmptyDayWithAndWithoutWeather)
{
    app.preferences.sideColumn.setValue(SideColumn::calendar);
    auto layout = section->layout();
    EXPECT_EQ(section->currentBlocks().events, CalendarSection::EventsBlock::emptyDay);
    EXPECT_FALSE(layout.weatherSymbol) << "no weather yet";
    ASSERT_TRUE(layout.emptyDayTitle);
    EXPECT_DOUBLE_EQ(layout.emptyDayTitle->top(), 42 + 6);

    app.weather.bindableTemperature().setValue(21.5);
    app.weather.bindableCode().setValue(0);
    layout = section->layout();
    ASSERT_TRUE(layout.weatherSymbol);
    EXPECT_DOUBLE_EQ(layout.weatherLabel.left(), layout.weatherSymbol->right() + 5);
    EXPECT_GT(layout.emptyDayTitle->top(), layout.weatherLabel.bottom());
    const QImage image = render();
    EXPECT_FALSE(Rendering::inkBounds(image, layout.weatherSymbol->toAlignedRect()).isEmpty());
    EXPECT_FALSE(Rendering::inkBounds(image, layout.weatherTemperature.toAlignedRect()).isEmpty());

    app.preferences.showWeather.setValue(false);
    EXPECT_FALSE(section->layout().weatherSymbol);
}

TEST_F(CalendarSectionUi, UsagePartBySideColumn)
{
    app.preferences.sideColumn.setValue(SideColumn::both);
    EXPECT_FALSE(section->usageCard());
    EXPECT_FALSE(section->usagePlaceholder());

    app.preferences.sideColumn.setValue(SideColumn::claude);
    ASSERT_TRUE(section->usagePlaceholder());
    EXPECT_FALSE(section->usageCard());
    // No events and no header count in place of the card; it sits 12
    // points below the header.
    EXPECT_TRUE(section->layout().rows.isEmpty());
    EXPECT_FALSE(section->layout().emptyDayTitle);
    EXPECT_DOUBLE_EQ(section->usagePlaceholder()->pos().y(), 42 + 12);

    app.claudeUsage.bindableFiveHour().setValue(ClaudeUsageWindow{40, std::nullopt});
    ASSERT_TRUE(section->usageCard());
    EXPECT_FALSE(section->usagePlaceholder());
    EXPECT_DOUBLE_EQ(section->height(), 42 + 12 + section->usageCard()->height());

    app.preferences.sideColumn.setValue(SideColumn::both);
    setEvents({event(QStringLiteral("a"), 600)});
    ASSERT_TRUE(section->usageCard());
    EXPECT_DOUBLE_EQ(section->usageCard()->pos().y(), section->layout().rows.last().bottom() + 12);
    EXPECT_DOUBLE_EQ(section->usageCard()->boundingRect().width(), width);
}

TEST_F(CalendarSectionUi, JoinButtonIsProminentForSoonMeetingsAndOpensThem)
{
    DayEvent soon = event(QStringLiteral("soon"), 600);
    soon.joinURL = QUrl(QStringLiteral("https://meet.example.org/soon"));
    soon.joinProvider = QStringLiteral("Meet");
    DayEvent allDay = event(QStringLiteral("allday"), -3600, 86400);
    allDay.isAllDay = true;
    allDay.joinURL = QUrl(QStringLiteral("https://meet.example.org/all"));
    setEvents({soon, allDay});

    const auto rows = section->rows();
    ASSERT_EQ(rows.size(), 2);
    ASSERT_TRUE(rows[0]->joinButton());
    EXPECT_TRUE(rows[0]->joinButton()->isProminent());
    EXPECT_EQ(rows[0]->joinButton()->toolTip(), QStringLiteral("Entrar no Meet"));
    EXPECT_EQ(rows[1]->data().timeText, QStringLiteral("Dia inteiro"));
    EXPECT_EQ(rows[1]->marker(), EventRow::Marker::bar) << "all-day events never show a ring";
    ASSERT_TRUE(rows[1]->joinButton());
    EXPECT_FALSE(rows[1]->joinButton()->isProminent());
    EXPECT_EQ(rows[1]->joinButton()->toolTip(), QStringLiteral("Entrar na chamada"));
    // The button sits at the row's trailing edge; the title stops before it.
    const QRectF join = rows[0]->joinButton()->mapRectToScene(rows[0]->joinButton()->boundingRect());
    EXPECT_NEAR(join.right(), width, 0.01);
    EXPECT_DOUBLE_EQ(join.height(), 22);
    EXPECT_LT(rows[0]->mapRectToScene(rows[0]->titleRect()).right(), join.left());
    // Green capsule with black ink.
    const QImage image = render();
    const QColor fill = image.pixelColor(QPoint(int(join.left()) + 3, int(join.center().y())));
    EXPECT_NEAR(fill.greenF(), 0.85, 0.02);

    driver.click(join.center());
    ASSERT_EQ(platform.workspace.openedLinks.size(), 1);
    EXPECT_EQ(platform.workspace.openedLinks.first(), QUrl(QStringLiteral("https://meet.example.org/soon")));
}

TEST_F(CalendarSectionUi, OnlyTheCountingDownRowStopsTheCountdown)
{
    setEvents({event(QStringLiteral("later"), 7200)});
    app.calendar.debugInjectEvent(5);
    ASSERT_TRUE(app.calendar.countdownEvent());
    const auto rows = section->rows();
    ASSERT_EQ(rows.size(), 2);
    // Upcoming order puts the meeting in 5 minutes first.
    EXPECT_TRUE(rows[0]->data().isCountingDown);
    ASSERT_TRUE(rows[0]->dismissButton());
    EXPECT_EQ(rows[0]->dismissButton()->symbol(), QStringLiteral("bell.slash.fill"));
    EXPECT_EQ(rows[0]->dismissButton()->toolTip(), QStringLiteral("Parar a contagem"));
    EXPECT_FALSE(rows[1]->dismissButton());
    // With a join button too, the bell is the last item of the row.
    const QRectF bell = rows[0]->dismissButton()->mapRectToScene(rows[0]->dismissButton()->boundingRect());
    EXPECT_NEAR(bell.right(), width, 0.01);
    ASSERT_TRUE(rows[0]->joinButton());
    EXPECT_NEAR(rows[0]->joinButton()->mapRectToScene(rows[0]->joinButton()->boundingRect()).right(), bell.left() - 7, 0.01);

    driver.click(bell.center());
    EXPECT_FALSE(app.calendar.countdownEvent());
    EXPECT_FALSE(section->rows().first()->dismissButton());
}

} // namespace
