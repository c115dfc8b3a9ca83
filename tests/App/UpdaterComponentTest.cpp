#include "Alerts/BannerCenter.h"
#include "App/Updater.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Fake/FakeWorkspace.h"
#include "Platform/Linux/AppcastUpdateFramework.h"

#include "LoopbackHttpServer.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <gtest/gtest.h>

namespace {

QByteArray feedOffering(const QByteArray &version)
{
    return R"(<?xml version="1.0"?><rss version="2.0" xmlns:up="urn:example:updates"><channel><item>)"
           "<link>https://quib.example.org/" +
           version + "</link><up:version>" + version + "</up:version></item></channel></rss>";
}

// The updater over the real framework at version 1.2, with a build that names
// a key but no feed: the diagnostic feed points at a loopback server.
class UpdaterComponentTest : public ::testing::Test {
protected:
    UpdaterComponentTest()
    {
        defaults.values = {{"debugHooks", true}, {"updateFeedURL", server.url().toString() + "/appcast.xml"}};
    }

    std::unique_ptr<Updater> makeUpdater()
    {
        return std::make_unique<Updater>(framework, defaults, banners, bundle);
    }

    const BundleInfo bundle{QString(), "public key", QStringLiteral("1.2"), QStringLiteral("1.2")};
    ManualScheduler scheduler;
    FakeUserDefaults defaults;
    FakeWorkspace workspace;
    BannerCenter banners{scheduler, workspace};
    LoopbackHttpServer server;
    AppcastUpdateFramework framework{scheduler, defaults, workspace, bundle};
};

} // namespace

TEST_F(UpdaterComponentTest, AScheduledCheckAnnouncesTheUpdateAndTheClickOpensItsPage)
{
    server.enqueue({200, feedOffering("1.3"), {}});
    const auto updater = makeUpdater();
    ASSERT_TRUE(updater->isConfigured());
    scheduler.advance(0);
    ASSERT_TRUE(waitUntil([&] { return updater->available().has_value(); }));
    EXPECT_EQ(updater->available(), QString("1.3"));
    EXPECT_EQ(updater->lastCheck(), scheduler.now());
    EXPECT_EQ(server.requests.first().target, "/appcast.xml");
    ASSERT_TRUE(banners.current());
    EXPECT_EQ(banners.current()->body, QString("Versão 1.3 disponível · Clique para instalar"));
    EXPECT_TRUE(workspace.openedLinks.isEmpty()) << "nothing opens unasked";

    banners.activate();
    EXPECT_EQ(workspace.openedLinks, QList<QUrl>{QUrl("https://quib.example.org/1.3")});
    EXPECT_EQ(banners.current(), std::nullopt);
    EXPECT_EQ(server.requests.size(), 1) << "the update found is shown without asking again";
}

TEST_F(UpdaterComponentTest, AUserCheckOpensTheUpdateWithoutABanner)
{
    server.enqueue({200, feedOffering("1.3"), {}});
    const auto updater = makeUpdater();
    updater->setAutomaticallyChecks(false);
    updater->checkNow();
    ASSERT_TRUE(waitUntil([&] { return !workspace.openedLinks.isEmpty(); }));
    EXPECT_EQ(workspace.openedLinks, QList<QUrl>{QUrl("https://quib.example.org/1.3")});
    EXPECT_EQ(updater->available(), QString("1.3"));
    EXPECT_EQ(banners.current(), std::nullopt);
}

TEST_F(UpdaterComponentTest, WithoutTheDiagnosticHooksNothingIsAsked)
{
    defaults.values.insert("debugHooks", false);
    const auto updater = makeUpdater();
    EXPECT_FALSE(updater->isConfigured());
    updater->checkNow();
    updater->checkInBackground();
    scheduler.advance(2 * AppcastUpdateFramework::checkInterval);
    EXPECT_FALSE(server.waitForRequests(1, 300));
    EXPECT_EQ(updater->lastCheck(), std::nullopt);
}
