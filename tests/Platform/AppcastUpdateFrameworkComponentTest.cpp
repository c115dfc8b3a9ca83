#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "Platform/Linux/AppcastUpdateFramework.h"
#include "Support/EpochTime.h"

#include "LogCapture.h"
#include "LoopbackHttpServer.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

constexpr double hour = 60 * 60;

// A feed whose one item offers `version`, with its page named after it.
QByteArray feedOffering(const QByteArray &version)
{
    return R"(<?xml version="1.0"?><rss version="2.0" xmlns:up="urn:example:updates"><channel><item>)"
           "<link>https://quib.example.org/" +
           version + "</link><up:version>" + version + "</up:version></item></channel></rss>";
}

// Writes down every call of the framework, in order.
class RecordingDelegate final : public UpdateFramework::Delegate {
public:
    std::optional<QString> feedURLString() override { return feedOverride; }
    bool shouldShowScheduledUpdate(const UpdateFramework::Update &update) override
    {
        events.append("should show " + update.displayVersion);
        return showsScheduledUpdates;
    }
    void willShowUpdate(UpdateFramework::Presenter presenter, const UpdateFramework::Update &update) override
    {
        events.append((presenter == UpdateFramework::Presenter::framework ? "framework shows " : "application shows ") + update.displayVersion);
    }
    void didReceiveUserAttention(const UpdateFramework::Update &update) override { events.append("attention " + update.displayVersion); }
    void didFindValidUpdate(const UpdateFramework::Update &update) override { events.append("found " + update.displayVersion); }
    void didNotFindUpdate() override { events.append("not found"); }
    void didChangeLastUpdateCheckDate() override { events.append("checked"); }

    std::optional<QString> feedOverride;
    bool showsScheduledUpdates = false;
    QStringList events;
};

// The framework of a build at version 1.2 whose feed is a loopback server,
// on the manual clock.
class AppcastUpdateFrameworkTest : public ::testing::Test {
protected:
    AppcastUpdateFrameworkTest() { makeFramework(server.url().toString() + "/appcast.xml"); }

    void makeFramework(const QString &feed)
    {
        framework = std::make_unique<AppcastUpdateFramework>(scheduler, defaults, workspace,
                                                             BundleInfo{feed, "public key", QStringLiteral("1.2"), QStringLiteral("1.2")});
        framework->setDelegate(&delegate);
    }

    // Waits until `count` checks have ended.
    bool waitForChecks(int count)
    {
        return waitUntil([&] { return delegate.events.count("checked") >= count; });
    }

    // Stores a last check `hoursAgo` before now.
    void setLastCheck(double hoursAgo)
    {
        defaults.values.insert(AppcastUpdateFramework::lastCheckKey, EpochTime::toSeconds(scheduler.now().addSecs(qint64(-hoursAgo * hour))));
    }

    ManualScheduler scheduler;
    FakeUserDefaults defaults;
    FakeWorkspace workspace;
    LoopbackHttpServer server;
    RecordingDelegate delegate;
    LogCapture log;
    std::unique_ptr<AppcastUpdateFramework> framework;
};

} // namespace

TEST_F(AppcastUpdateFrameworkTest, AUserCheckShowsANewerUpdateAndOnlyThat)
{
    enum Route { direct, redirected };
    const QStringList shown{"checked", "found 1.3", "framework shows 1.3", "attention 1.3"};
    const QList<QUrl> page{QUrl("https://quib.example.org/1.3")};
    const struct {
        const char *name;
        Route route;
        LoopbackHttpServer::Reply reply;
        QStringList events;
        QList<QUrl> opened;
    } cases[] = {
        {"newer", direct, {200, feedOffering("1.3"), {}}, shown, page},
        {"equal", direct, {200, feedOffering("1.2.0"), {}}, {"checked", "not found"}, {}},
        {"older", direct, {200, feedOffering("1.1"), {}}, {"checked", "not found"}, {}},
        {"malformed XML", direct, {200, feedOffering("1.3").chopped(20), {}}, {"checked"}, {}},
        {"HTTP error", direct, {500, feedOffering("1.3"), {}}, {"checked"}, {}},
        {"redirected", redirected, {200, feedOffering("1.3"), {}}, shown, page},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer feed;
        if (row.route == redirected)
            feed.enqueue({302, "", {{"Location", feed.url().toString().toUtf8() + "/moved.xml"}}});
        feed.enqueue(row.reply);
        delegate.events.clear();
        workspace.openedLinks.clear();
        makeFramework(feed.url().toString() + "/appcast.xml");
        // Only the user's check runs here, not the automatic one due at once.
        framework->setAutomaticallyChecksForUpdates(false);
        framework->start();
        framework->checkForUpdates();
        ASSERT_TRUE(waitForChecks(1));
        EXPECT_EQ(delegate.events, row.events);
        EXPECT_EQ(workspace.openedLinks, row.opened);
        ASSERT_EQ(feed.requests.size(), row.route == redirected ? 2 : 1);
        EXPECT_EQ(feed.requests.first().method, "GET");
        EXPECT_EQ(feed.requests.first().target, "/appcast.xml");
        EXPECT_EQ(feed.requests.last().target, row.route == redirected ? "/moved.xml" : "/appcast.xml");
        EXPECT_EQ(feed.requests.last().header("Accept"), "application/rss+xml, application/xml, text/xml");
    }
    EXPECT_EQ(log.messages("Quib: the update check at").size(), 2) << "the malformed feed and the HTTP error";
}

TEST_F(AppcastUpdateFrameworkTest, FailedChecksSayWhyAndShowNothing)
{
    // A port nobody listens on: the connection is refused.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(closed.serverPort());
    closed.close();
    const struct {
        const char *name;
        QString feed;
        const char *message;
    } cases[] = {
        {"unreachable host", unreachable, "Quib: the update check at http://127.0.0.1:"},
        {"plain HTTP to another computer", "http://updates.example.org/appcast.xml",
         "Quib: no update check: the feed address \"http://updates.example.org/appcast.xml\" is not an HTTPS address"},
        {"not an address", "appcast.xml", "Quib: no update check: the feed address \"appcast.xml\" is not an HTTPS address"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        delegate.events.clear();
        makeFramework(row.feed);
        framework->setAutomaticallyChecksForUpdates(false);
        framework->start();
        framework->checkForUpdates();
        ASSERT_TRUE(waitForChecks(1));
        EXPECT_EQ(delegate.events, QStringList{"checked"});
        EXPECT_EQ(log.messages(row.message).size(), 1);
    }
    EXPECT_TRUE(workspace.openedLinks.isEmpty());
    EXPECT_TRUE(server.requests.isEmpty());
}

TEST_F(AppcastUpdateFrameworkTest, TheDelegatesFeedReplacesTheBuilds)
{
    delegate.feedOverride = server.url().toString() + "/debug.xml";
    server.enqueue({200, feedOffering("1.1"), {}});
    framework->setAutomaticallyChecksForUpdates(false);
    framework->start();
    framework->checkForUpdates();
    ASSERT_TRUE(waitForChecks(1));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests.first().target, "/debug.xml");
}

TEST_F(AppcastUpdateFrameworkTest, NothingChecksBeforeStart)
{
    framework->checkForUpdates();
    framework->checkForUpdatesInBackground();
    scheduler.advance(48 * hour);
    EXPECT_FALSE(server.waitForRequests(1, 200));
    EXPECT_TRUE(delegate.events.isEmpty());
}

TEST_F(AppcastUpdateFrameworkTest, AScheduledUpdateIsLeftToTheApplicationUntilTheUserAsks)
{
    server.enqueue({200, feedOffering("1.3"), {}});
    framework->start();
    scheduler.advance(0);
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(delegate.events, QStringList({"checked", "found 1.3", "should show 1.3", "application shows 1.3"}));
    EXPECT_TRUE(workspace.openedLinks.isEmpty());

    // The user's check shows the update already found without asking again.
    delegate.events.clear();
    framework->checkForUpdates();
    EXPECT_EQ(delegate.events, QStringList({"framework shows 1.3", "attention 1.3"}));
    EXPECT_EQ(workspace.openedLinks, QList<QUrl>{QUrl("https://quib.example.org/1.3")});
    EXPECT_EQ(server.requests.size(), 1);

    // Shown once: the next user check asks the feed.
    server.enqueue({200, feedOffering("1.2"), {}});
    framework->checkForUpdates();
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(server.requests.size(), 2);
}

TEST_F(AppcastUpdateFrameworkTest, ADelegateMayLetTheFrameworkShowAScheduledUpdate)
{
    delegate.showsScheduledUpdates = true;
    server.enqueue({200, feedOffering("1.3"), {}});
    framework->start();
    framework->checkForUpdatesInBackground();
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(delegate.events, QStringList({"checked", "found 1.3", "should show 1.3", "framework shows 1.3", "attention 1.3"}));
    EXPECT_EQ(workspace.openedLinks.size(), 1);
}

TEST_F(AppcastUpdateFrameworkTest, AUserCheckAskedDuringAScheduledOneShowsWhatItFinds)
{
    server.setHolding(true);
    server.enqueue({200, feedOffering("1.3"), {}});
    framework->setAutomaticallyChecksForUpdates(false);
    framework->start();
    framework->checkForUpdatesInBackground();
    ASSERT_TRUE(server.waitForRequests(1));
    framework->checkForUpdates();
    server.release();
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(delegate.events, QStringList({"checked", "found 1.3", "framework shows 1.3", "attention 1.3"}));
    EXPECT_EQ(server.requests.size(), 1);
}

TEST_F(AppcastUpdateFrameworkTest, KeepsTheLastCheckAndTheSwitchesInTheDefaults)
{
    EXPECT_TRUE(framework->automaticallyChecksForUpdates()) << "on by default";
    EXPECT_FALSE(framework->automaticallyDownloadsUpdates()) << "off by default";
    EXPECT_EQ(framework->lastUpdateCheckDate(), std::nullopt);

    framework->setAutomaticallyDownloadsUpdates(true);
    framework->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(defaults.values.value("automaticallyDownloadsUpdates"), QVariant(true));
    EXPECT_EQ(defaults.values.value("automaticallyChecksForUpdates"), QVariant(false));

    server.enqueue({200, feedOffering("1.1"), {}});
    framework->start();
    scheduler.advance(90);
    framework->checkForUpdates();
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(defaults.values.value("lastUpdateCheckDate"), QVariant(EpochTime::toSeconds(scheduler.now())));
    EXPECT_EQ(framework->lastUpdateCheckDate(), scheduler.now());

    // A framework made later reads them back.
    makeFramework(server.url().toString());
    EXPECT_TRUE(framework->automaticallyDownloadsUpdates());
    EXPECT_FALSE(framework->automaticallyChecksForUpdates());
    EXPECT_EQ(framework->lastUpdateCheckDate(), scheduler.now());

    defaults.values.insert("lastUpdateCheckDate", "yesterday");
    EXPECT_EQ(framework->lastUpdateCheckDate(), std::nullopt);
}

// Automatic checks run once a day from the last check, on scheduled work:
// between two checks nothing runs and nothing is asked.
TEST_F(AppcastUpdateFrameworkTest, ChecksOnceADayFromTheLastCheck)
{
    const struct {
        const char *name;
        std::optional<double> lastCheckHoursAgo;
        double firstCheckAfterHours;
    } cases[] = {
        {"never checked", std::nullopt, 0},
        {"checked 20 hours ago", 20, 4},
        {"checked two days ago", 48, 0},
        // The clock was set back: the last check seems ahead.
        {"checked in ten days", -240, 24},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer feed;
        defaults.values.clear();
        delegate.events.clear();
        if (row.lastCheckHoursAgo)
            setLastCheck(*row.lastCheckHoursAgo);
        makeFramework(feed.url().toString() + "/appcast.xml");
        framework->start();
        if (row.firstCheckAfterHours > 0) {
            scheduler.advance(row.firstCheckAfterHours * hour - 1);
            EXPECT_FALSE(feed.waitForRequests(1, 200)) << "early";
        }
        scheduler.advance(1);
        ASSERT_TRUE(waitForChecks(1));

        scheduler.advance(24 * hour - 1);
        EXPECT_EQ(scheduler.pendingCount(), 1) << "one check scheduled, nothing polling";
        EXPECT_FALSE(feed.waitForRequests(2, 200)) << "the next check came early";
        scheduler.advance(1);
        ASSERT_TRUE(waitForChecks(2));
        EXPECT_EQ(feed.requests.size(), 2);
    }
}

TEST_F(AppcastUpdateFrameworkTest, TheSwitchStopsAndResumesTheSchedule)
{
    setLastCheck(30);
    makeFramework(server.url().toString() + "/appcast.xml");
    framework->setAutomaticallyChecksForUpdates(false);
    framework->start();
    scheduler.advance(72 * hour);
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_FALSE(server.waitForRequests(1, 200));

    // Long overdue: the check runs at once.
    framework->setAutomaticallyChecksForUpdates(true);
    scheduler.advance(0);
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(server.requests.size(), 1);
}

// The monotonic clock stands still while the computer sleeps; the wall
// clock's step at the wake counts the wait again from the last check.
TEST_F(AppcastUpdateFrameworkTest, AStepOfTheWallClockCountsTheWaitAgain)
{
    setLastCheck(2);
    makeFramework(server.url().toString() + "/appcast.xml");
    framework->start();
    scheduler.advance(hour);
    scheduler.setNow(scheduler.now().addSecs(qint64(30 * hour)));
    scheduler.advance(0);
    ASSERT_TRUE(waitForChecks(1));
    EXPECT_EQ(server.requests.size(), 1);
}
