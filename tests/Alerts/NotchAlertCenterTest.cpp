#include "Alerts/NotchAlertCenter.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

NotchAlert alert(const QString &symbol, std::optional<double> level = std::nullopt)
{
    NotchAlert made;
    made.kind = AlertKind::volume;
    made.symbol = symbol;
    made.symbolColor = Qt::white;
    made.level = level;
    made.sideWidth = 100;
    return made;
}

} // namespace

TEST(NotchAlertCenter, TheNewestAlertReplacesTheShownOneAndRestartsTheHide)
{
    ManualScheduler scheduler;
    NotchAlertCenter center(scheduler);
    center.show(alert(QStringLiteral("speaker.wave.1.fill"), 0.25), 1.5);
    scheduler.advance(0.2);
    center.show(alert(QStringLiteral("speaker.wave.2.fill"), 0.5), 1.5);
    EXPECT_EQ(center.current()->symbol, QStringLiteral("speaker.wave.2.fill"));

    scheduler.advance(1.499);
    EXPECT_TRUE(center.current()) << "the first call's hide never fires";
    scheduler.advance(0.001);
    EXPECT_FALSE(center.current());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST(NotchAlertCenter, ShortDurationsShowTheStripHalfASecond)
{
    for (const double duration : {0.0, -3.0, 0.2, 0.5}) {
        SCOPED_TRACE(duration);
        ManualScheduler scheduler;
        NotchAlertCenter center(scheduler);
        center.show(alert(QStringLiteral("timer")), duration);
        scheduler.advance(0.499);
        EXPECT_TRUE(center.current());
        scheduler.advance(0.001);
        EXPECT_FALSE(center.current());
    }
}

TEST(NotchAlertCenter, AnEqualAlertDoesNotNotifyButKeepsTheStripLonger)
{
    ManualScheduler scheduler;
    NotchAlertCenter center(scheduler);
    int changes = 0;
    const QPropertyNotifier notifier = center.bindableCurrent().addNotifier([&] { ++changes; });
    center.show(alert(QStringLiteral("sun.max.fill"), 0.5), 1);
    scheduler.advance(0.8);
    center.show(alert(QStringLiteral("sun.max.fill"), 0.5), 1);
    EXPECT_EQ(changes, 1);

    NotchAlert otherColour = alert(QStringLiteral("sun.max.fill"), 0.5);
    otherColour.symbolColor = Qt::red;
    scheduler.advance(0.8);
    EXPECT_TRUE(center.current());
    center.show(otherColour, 1);
    EXPECT_EQ(changes, 2) << "colours take part in the comparison";
    scheduler.advance(1);
    EXPECT_FALSE(center.current());
    EXPECT_EQ(changes, 3);
}
