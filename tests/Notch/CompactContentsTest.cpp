#include "Notch/CompactNotchContent.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/ReminderCompactContent.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0));

} // namespace

TEST(CompactContentsTest, CountdownTextsRoundUpToWholeMinutes)
{
    struct Case {
        double secondsToStart;
        const char *shortText;
        const char *longText;
    };
    const Case cases[] = {
        {12.3 * 60, "13m", "em 13 min"},
        {12 * 60, "12m", "em 12 min"},
        {5 * 60, "5m", "em 5 min"},
        {61, "2m", "em 2 min"},
        {40, "1m", "em 1 min"},
        {0.001, "1m", "em 1 min"},
        {0, "Agora", "Agora"},
        {-90, "Agora", "Agora"},
        {1000 * 60, "1000m", "em 1000 min"},
    };
    for (const Case &c : cases) {
        const QDateTime start = nine.addMSecs(qint64(c.secondsToStart * 1000));
        EXPECT_EQ(ReminderCompactContent::shortCountdown(start, nine), QString::fromUtf8(c.shortText)) << c.secondsToStart;
        EXPECT_EQ(ReminderCompactContent::countdown(start, nine), QString::fromUtf8(c.longText)) << c.secondsToStart;
    }
    // An event without a valid start counts as now; one far away does not
    // overflow.
    EXPECT_EQ(ReminderCompactContent::countdown(QDateTime(), nine), QStringLiteral("Agora"));
    EXPECT_EQ(ReminderCompactContent::shortCountdown(QDateTime(QDate(9999, 1, 1), QTime(0, 0)), nine),
              QString::number(nine.secsTo(QDateTime(QDate(9999, 1, 1), QTime(0, 0))) / 60) + QLatin1Char('m'));
}

TEST(CompactContentsTest, TheRightWingShowsTheFirstIndicatorThatApplies)
{
    using Indicator = CompactNotchContent::Indicator;
    struct Case {
        const char *name;
        CompactNotchContent::IndicatorInputs inputs;
        Indicator expected;
    };
    const Case cases[] = {
        {"microphone muted beats a countdown and an event",
         {.showsMicMuted = true, .showsEventCountdown = true, .showsEventProgress = true, .showsMedia = true, .hasCountdownEvent = true,
          .hasOngoingEvent = true, .showWaveform = true},
         Indicator::muted},
        {"sound muted", {.showsSoundMuted = true, .showsMedia = true, .showWaveform = true}, Indicator::muted},
        {"countdown beside media",
         {.showsEventCountdown = true, .showsMedia = true, .hasCountdownEvent = true, .showWaveform = true},
         Indicator::countdown},
        {"countdown without its event is skipped",
         {.showsEventCountdown = true, .showsMedia = true, .hasCountdownEvent = false, .showWaveform = true},
         Indicator::waveform},
        {"ongoing event beside media",
         {.showsEventProgress = true, .showsMedia = true, .hasOngoingEvent = true, .showWaveform = true},
         Indicator::eventProgress},
        {"a countdown hides the event progress",
         {.showsEventCountdown = true, .showsEventProgress = true, .showsMedia = true, .hasOngoingEvent = true, .showWaveform = true},
         Indicator::waveform},
        {"event progress without media", {.showsEventProgress = true, .hasOngoingEvent = true, .showWaveform = true}, Indicator::waveform},
        {"waveform off, nothing else", {.showsMedia = true}, Indicator::none},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompactNotchContent::indicator(c.inputs), c.expected) << c.name;
}

TEST(CompactContentsTest, ArtworkIsTheNotchHeightLessTenButAtLeastSixteen)
{
    const std::pair<double, double> cases[] = {{24, 16}, {26, 16}, {27, 17}, {32, 22}, {38, 28}, {0, 16}};
    for (const auto &[height, side] : cases)
        EXPECT_DOUBLE_EQ(CompactNotchContent::artworkSide(height), side) << height;
}

TEST(CompactContentsTest, EventColourIsTheCalendarsOrGreen)
{
    DayEvent event;
    event.color = QColor(Qt::magenta);
    EXPECT_EQ(EventProgressCompactContent::eventColor(event, true), QColor(Qt::magenta));
    EXPECT_EQ(EventProgressCompactContent::eventColor(event, false), QColor::fromRgbF(0.3f, 0.85f, 0.5f));
}
