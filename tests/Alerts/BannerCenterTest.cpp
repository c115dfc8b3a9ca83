#include "Alerts/BannerCenter.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

NotchBanner banner(const QString &title, std::optional<QString> app = std::nullopt, double duration = 6, const QString &body = QString())
{
    NotchBanner made;
    made.title = title;
    made.body = body;
    made.appBundleID = std::move(app);
    made.duration = duration;
    return made;
}

class BannerCenterTest : public ::testing::Test {
protected:
    QString currentTitle() const
    {
        const auto shown = center.current();
        return shown ? shown->title : QStringLiteral("<none>");
    }
    QStringList waitingTitles() const
    {
        QStringList titles;
        for (const NotchBanner &waiting : center.queue())
            titles.append(waiting.title);
        return titles;
    }

    ManualScheduler scheduler;
    FakeWorkspace workspace;
    BannerCenter center{scheduler, workspace};
};

} // namespace

TEST_F(BannerCenterTest, AtMostThreeBannersWaitAndTheOldestAreDropped)
{
    center.show(banner(QStringLiteral("shown")));
    for (const char *title : {"1", "2", "3", "4", "5"})
        center.show(banner(QString::fromLatin1(title)));
    EXPECT_EQ(currentTitle(), QStringLiteral("shown"));
    EXPECT_EQ(waitingTitles(), QStringList({QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}));
}

TEST_F(BannerCenterTest, SameApplicationAndTitleReplacesTheCurrentBannerAndRestartsItsDelay)
{
    int changes = 0;
    const QPropertyNotifier notifier = center.bindableCurrent().addNotifier([&] { ++changes; });
    center.show(banner(QStringLiteral("Build"), QStringLiteral("org.gnome.Terminal"), 6, QStringLiteral("running")));
    center.show(banner(QStringLiteral("Other")));
    scheduler.advance(5);

    const NotchBanner replacement = banner(QStringLiteral("Build"), QStringLiteral("org.gnome.Terminal"), 6, QStringLiteral("done"));
    center.show(replacement);
    EXPECT_EQ(center.current()->id, replacement.id);
    EXPECT_EQ(center.current()->body, QStringLiteral("done"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(waitingTitles(), QStringList{QStringLiteral("Other")});

    scheduler.advance(5.9);
    EXPECT_EQ(currentTitle(), QStringLiteral("Build")) << "the hide delay restarted";
    scheduler.advance(0.1);
    EXPECT_FALSE(center.current());
}

TEST_F(BannerCenterTest, DuplicatesNeedTheSameApplicationWhereNoneCountsAsTheSame)
{
    center.show(banner(QStringLiteral("Done")));
    center.show(banner(QStringLiteral("Done"), QStringLiteral("spotify")));
    EXPECT_EQ(center.queue().size(), 1) << "another application: a different message";
    const NotchBanner sameWithoutApp = banner(QStringLiteral("Done"), std::nullopt, 6, QStringLiteral("again"));
    center.show(sameWithoutApp);
    EXPECT_EQ(center.current()->id, sameWithoutApp.id);
    EXPECT_EQ(center.queue().size(), 1);
}

TEST_F(BannerCenterTest, SameApplicationAndTitleAsAWaitingBannerMovesItToTheEnd)
{
    center.show(banner(QStringLiteral("shown")));
    center.show(banner(QStringLiteral("A"), QStringLiteral("app")));
    center.show(banner(QStringLiteral("B")));
    center.show(banner(QStringLiteral("A"), QStringLiteral("app"), 6, QStringLiteral("newer")));
    EXPECT_EQ(waitingTitles(), QStringList({QStringLiteral("B"), QStringLiteral("A")}));
    EXPECT_EQ(center.queue().last().body, QStringLiteral("newer"));
}

TEST_F(BannerCenterTest, ABannerStaysItsDurationAndAtLeastOneSecond)
{
    const QList<std::pair<double, double>> rows{{0.3, 1}, {0, 1}, {-5, 1}, {1, 1}, {2.5, 2.5}};
    for (const auto &[duration, shownFor] : rows) {
        SCOPED_TRACE(duration);
        center.show(banner(QStringLiteral("timed"), std::nullopt, duration));
        scheduler.advance(shownFor - 0.001);
        EXPECT_TRUE(center.current());
        scheduler.advance(0.001);
        EXPECT_FALSE(center.current());
    }
}

TEST_F(BannerCenterTest, StepsOfTheWallClockNeitherHoldNorShortenABannerNorTheGap)
{
    const QList<std::pair<const char *, qint64>> steps{{"back a minute", -60}, {"forward a minute", 60}, {"back a day", -86400}};
    for (const auto &[name, seconds] : steps) {
        SCOPED_TRACE(name);
        center.show(banner(QStringLiteral("timed"), std::nullopt, 2));
        center.show(banner(QStringLiteral("next"), std::nullopt, 2));
        scheduler.advance(1);
        scheduler.setNow(scheduler.now().addSecs(seconds));
        scheduler.advance(0.999);
        EXPECT_EQ(currentTitle(), QStringLiteral("timed"));
        scheduler.advance(0.001);
        EXPECT_FALSE(center.current()) << "hidden after 2 s of the monotonic clock";

        scheduler.advance(0.2);
        scheduler.setNow(scheduler.now().addSecs(seconds));
        scheduler.advance(0.15);
        EXPECT_EQ(currentTitle(), QStringLiteral("next")) << "the gap between banners is a duration too";
        center.dismiss();
        scheduler.advance(1);
    }
}

TEST_F(BannerCenterTest, HoveringHoldsTheBannerUntilTwoSecondsAfterThePointerLeaves)
{
    center.show(banner(QStringLiteral("hovered"), std::nullopt, 6));
    scheduler.advance(0.5);
    center.setHovering(true);
    EXPECT_TRUE(center.isHovering());
    scheduler.advance(10);
    EXPECT_TRUE(center.current());

    center.setHovering(false);
    scheduler.advance(1.999);
    EXPECT_TRUE(center.current());
    scheduler.advance(0.001);
    EXPECT_FALSE(center.current());
}

TEST_F(BannerCenterTest, ReportingTheSameHoverTwiceChangesNothing)
{
    center.show(banner(QStringLiteral("shown"), std::nullopt, 6));
    center.setHovering(false);
    scheduler.advance(5.999);
    EXPECT_TRUE(center.current()) << "leaving without entering must not shorten the banner";
    scheduler.advance(0.001);
    EXPECT_FALSE(center.current());
}

TEST_F(BannerCenterTest, DismissShowsTheNextWaitingBannerAfterAGap)
{
    center.show(banner(QStringLiteral("shown")));
    center.show(banner(QStringLiteral("first"), std::nullopt, 2));
    center.show(banner(QStringLiteral("second")));
    center.setHovering(true);
    center.dismiss();
    EXPECT_FALSE(center.current());
    EXPECT_FALSE(center.isHovering()) << "dismissing clears the hover";

    scheduler.advance(0.349);
    EXPECT_FALSE(center.current());
    scheduler.advance(0.001);
    EXPECT_EQ(currentTitle(), QStringLiteral("first"));
    EXPECT_EQ(waitingTitles(), QStringList{QStringLiteral("second")});

    scheduler.advance(2);
    EXPECT_FALSE(center.current()) << "the next banner hides after its own duration";
    scheduler.advance(0.35);
    EXPECT_EQ(currentTitle(), QStringLiteral("second"));
}

TEST_F(BannerCenterTest, ABannerArrivingInTheGapGoesFirst)
{
    center.show(banner(QStringLiteral("shown")));
    center.show(banner(QStringLiteral("waiting")));
    center.dismiss();
    scheduler.advance(0.1);
    center.show(banner(QStringLiteral("urgent"), std::nullopt, 3));
    EXPECT_EQ(currentTitle(), QStringLiteral("urgent"));
    scheduler.advance(1);
    EXPECT_EQ(currentTitle(), QStringLiteral("urgent"));
    EXPECT_EQ(waitingTitles(), QStringList{QStringLiteral("waiting")});
    scheduler.advance(2.35);
    EXPECT_EQ(currentTitle(), QStringLiteral("waiting"));
}

TEST_F(BannerCenterTest, ActivateRunsTheActionInsteadOfActivatingTheApplication)
{
    workspace.addApplication(100, 1, QStringLiteral("org.gnome.Terminal"));
    NotchBanner withAction = banner(QStringLiteral("action"), QStringLiteral("org.gnome.Terminal"));
    std::optional<bool> currentDuringAction;
    withAction.action = [&] { currentDuringAction = center.current().has_value(); };
    center.show(withAction);
    center.activate();
    EXPECT_EQ(currentDuringAction, false) << "dismissed before the action runs";
    EXPECT_TRUE(workspace.activated.isEmpty());
    EXPECT_TRUE(workspace.opened.isEmpty());
}

TEST_F(BannerCenterTest, ActivateBringsARunningApplicationForwardOrOpensAnInstalledOne)
{
    workspace.addApplication(100, 1, QStringLiteral("org.gnome.Terminal"));
    workspace.installed.insert(QStringLiteral("org.gnome.Terminal"), {QStringLiteral("/apps/org.gnome.Terminal.desktop"), QStringLiteral("Terminal")});
    workspace.installed.insert(QStringLiteral("spotify"), {QStringLiteral("/apps/spotify.desktop"), QStringLiteral("Spotify")});

    center.show(banner(QStringLiteral("running"), QStringLiteral("org.gnome.Terminal")));
    center.activate();
    EXPECT_EQ(workspace.activated, QStringList{QStringLiteral("org.gnome.Terminal")});
    EXPECT_TRUE(workspace.opened.isEmpty());
    EXPECT_FALSE(center.current());

    center.show(banner(QStringLiteral("installed"), QStringLiteral("spotify")));
    center.activate();
    EXPECT_EQ(workspace.opened, QStringList{QStringLiteral("/apps/spotify.desktop")});
    EXPECT_FALSE(center.current());
}

TEST_F(BannerCenterTest, ActivateWithAnUnknownApplicationOnlyDismisses)
{
    center.show(banner(QStringLiteral("unknown"), QStringLiteral("com.example.gone")));
    center.show(banner(QStringLiteral("next")));
    center.activate();
    EXPECT_FALSE(center.current());
    EXPECT_TRUE(workspace.activated.isEmpty());
    EXPECT_TRUE(workspace.opened.isEmpty());
    scheduler.advance(0.35);
    EXPECT_EQ(currentTitle(), QStringLiteral("next"));

    center.dismiss();
    center.activate();
    EXPECT_FALSE(center.current());
}
