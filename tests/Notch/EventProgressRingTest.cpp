#include "Notch/Countdown.h"
#include "Notch/EventProgressRing.h"
#include "Notch/TimelineText.h"
#include "QtPrinters.h"

#include <QGraphicsScene>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0));

DayEvent event(double minutes, const QString &title = QStringLiteral("Reunião"))
{
    DayEvent event;
    event.title = title;
    event.start = nine;
    event.end = nine.addMSecs(qint64(minutes * 60000));
    return event;
}

} // namespace

TEST(EventProgressRingTest, TimeLeftRoundsUpToWholeMinutes)
{
    struct Case {
        double secondsLeft;
        const char *text;
    };
    const Case cases[] = {
        {-600, "fim"},
        {0, "fim"},
        {0.5, "1m"},
        {30, "1m"},
        {60, "1m"},
        {61, "2m"},
        {42 * 60, "42m"},
        {59 * 60, "59m"},
        {59 * 60 + 1, "1h"},
        {60 * 60, "1h"},
        {61 * 60, "1h01"},
        {65 * 60, "1h05"},
        {120 * 60, "2h"},
        {150 * 60, "2h30"},
        {24 * 60 * 60 + 9 * 60, "24h09"},
    };
    for (const Case &c : cases) {
        const QDateTime end = nine.addMSecs(qint64(c.secondsLeft * 1000));
        EXPECT_EQ(EventProgressRing::timeLeft(end, nine), QString::fromUtf8(c.text)) << c.secondsLeft << " s left";
    }
}

TEST(EventProgressRingTest, FarAndInvalidDatesNeverOverflow)
{
    const QDateTime farFuture(QDate(200000, 1, 1), QTime(0, 0));
    const QString text = EventProgressRing::timeLeft(farFuture, nine);
    EXPECT_TRUE(text.endsWith(QLatin1Char('h')) || text.contains(QLatin1Char('h'))) << text.toStdString();
    EXPECT_FALSE(text.startsWith(QLatin1Char('-')));
    EXPECT_EQ(EventProgressRing::timeLeft(QDateTime(QDate(-200000, 1, 1), QTime(0, 0)), nine), QStringLiteral("fim"));
    EXPECT_EQ(EventProgressRing::timeLeft(QDateTime(), nine), QStringLiteral("fim"));
    // Millisecond counts at the very ends of the range saturate.
    const QDateTime latest = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::max() - 1, Qt::UTC);
    const QDateTime earliest = QDateTime::fromMSecsSinceEpoch(std::numeric_limits<qint64>::min() + 1, Qt::UTC);
    if (latest.isValid() && earliest.isValid()) {
        EXPECT_GT(Countdown::minutesUntil(latest, earliest), 0);
        EXPECT_LT(Countdown::minutesUntil(earliest, latest), 0);
    }
}

TEST(EventProgressRingTest, ProgressOfAnEvent)
{
    struct Case {
        const char *name;
        double lengthMinutes, atSeconds, progress;
    };
    const Case cases[] = {
        {"before the start", 30, -60, 0},
        {"at the start", 30, 0, 0},
        {"a third in", 30, 600, 1.0 / 3},
        {"at the end", 30, 1800, 1},
        {"after the end", 30, 3600, 1},
        {"zero length, before", 0, -1, 0},
        {"zero length, half a second in", 0, 0.5, 0.5},
        {"zero length, one second in", 0, 1, 1},
        {"negative length", -10, 2, 1},
        {"one second long", 1.0 / 60, 0.25, 0.25},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(EventProgressRing::progress(event(c.lengthMinutes), nine.addMSecs(qint64(c.atSeconds * 1000))), c.progress, 1e-9) << c.name;
}

TEST(EventProgressRingTest, ToolTipRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(EventProgressRing::helpText(1.0 / 3, QStringLiteral("Reunião")), QStringLiteral("33% de Reunião"));
    EXPECT_EQ(EventProgressRing::helpText(0.125, QStringLiteral("Daily")), QStringLiteral("13% de Daily"));
    EXPECT_EQ(EventProgressRing::helpText(0.45, QStringLiteral("Reunião")), QStringLiteral("45% de Reunião"));
    EXPECT_EQ(EventProgressRing::helpText(0, QStringLiteral("X")), QStringLiteral("0% de X"));
    EXPECT_EQ(EventProgressRing::helpText(1, QStringLiteral("X")), QStringLiteral("100% de X"));
}

namespace {

class EventProgressInScene : public ::testing::Test {
protected:
    ManualScheduler scheduler{nine};
    QGraphicsScene scene;
};

} // namespace

TEST_F(EventProgressInScene, TheRingReadsEveryFifteenSecondsAndGlidesToEachReading)
{
    auto *ring = new EventProgressRing(scheduler, event(30), 13, Qt::green);
    scheduler.advance(600);
    EXPECT_EQ(ring->progress(), 0) << "not shown: nothing is read";
    scene.addItem(ring);
    EXPECT_NEAR(ring->progress(), 1.0 / 3, 1e-9) << "read at once when shown";
    EXPECT_EQ(ring->toolTip(), QStringLiteral("33% de Reunião"));
    EXPECT_FALSE(ring->isAnimating());
    scheduler.advance(15);
    EXPECT_NEAR(ring->progress(), 615.0 / 1800, 1e-9);
    EXPECT_TRUE(ring->isAnimating());
    EXPECT_LT(ring->displayedProgress(), ring->progress());
    scheduler.advance(EventProgressRing::arcDuration + 0.02);
    EXPECT_DOUBLE_EQ(ring->displayedProgress(), ring->progress());
    EXPECT_FALSE(ring->isAnimating());
    ring->setVisible(false);
    EXPECT_FALSE(ring->isTicking());
}

TEST_F(EventProgressInScene, TheBadgeReadsTheTimeLeftEveryThirtySeconds)
{
    auto *badge = new EventTimeBadge(scheduler, event(42), Qt::green);
    scene.addItem(badge);
    EXPECT_EQ(badge->timeText()->text(), QStringLiteral("42m"));
    scheduler.advance(29);
    EXPECT_EQ(badge->timeText()->text(), QStringLiteral("42m"));
    scheduler.advance(1);
    EXPECT_EQ(badge->timeText()->text(), QStringLiteral("42m")) << "41.5 minutes round up";
    scheduler.advance(30);
    EXPECT_EQ(badge->timeText()->text(), QStringLiteral("41m"));
    EXPECT_DOUBLE_EQ(badge->naturalSize().width(), 13 + 5 + std::ceil(badge->timeText()->naturalWidth()));
    badge->setEvent(event(120));
    EXPECT_EQ(badge->timeText()->text(), QStringLiteral("1h59"));
}
