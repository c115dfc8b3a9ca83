#include "App/AppModel.h"
#include "App/Updater.h"
#include "Platform/Fake/FakePlatform.h"
#include "Settings/SettingsStyle.h"

#include "QtPrinters.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

const BundleInfo configured{QStringLiteral("https://updates.example.org/appcast.xml"), QStringLiteral("public key"), QStringLiteral("1.2"),
                            QStringLiteral("120")};
const UpdateFramework::Update update13{QStringLiteral("130"), QStringLiteral("1.3"), QUrl(QStringLiteral("https://quib.example.org/1.3"))};

// The updater over a fake framework, with the real banner centre.
class UpdaterTest : public ::testing::Test {
protected:
    std::unique_ptr<Updater> makeUpdater(const BundleInfo &bundle = configured)
    {
        return std::make_unique<Updater>(framework, defaults, banners, bundle);
    }

    ManualScheduler scheduler;
    FakeUserDefaults defaults;
    FakeWorkspace workspace;
    BannerCenter banners{scheduler, workspace};
    FakeUpdateFramework framework;
};

} // namespace

TEST_F(UpdaterTest, IsConfiguredWithAKeyAndAFeedOrTheDiagnosticFeed)
{
    const QString debugFeed = QStringLiteral("http://127.0.0.1:8080/appcast.xml");
    const struct {
        const char *name;
        QString feed;
        QString key;
        QVariantMap settings;
        bool configured;
        std::optional<QString> feedOverride;
    } cases[] = {
        {"a feed and a key", configured.feedURL, configured.publicEDKey, {}, true, std::nullopt},
        {"the empty build values", "", "", {}, false, std::nullopt},
        {"a feed without a key", configured.feedURL, "", {}, false, std::nullopt},
        {"a key without a feed", "", configured.publicEDKey, {}, false, std::nullopt},
        {"a key and the diagnostic feed", "", configured.publicEDKey, {{"debugHooks", true}, {"updateFeedURL", debugFeed}}, true, debugFeed},
        {"an empty diagnostic feed", "", configured.publicEDKey, {{"debugHooks", true}, {"updateFeedURL", ""}}, true, ""},
        {"the diagnostic feed without a key", "", "", {{"debugHooks", true}, {"updateFeedURL", debugFeed}}, false, debugFeed},
        {"the diagnostic feed with hooks off", "", configured.publicEDKey, {{"debugHooks", false}, {"updateFeedURL", debugFeed}}, false,
         std::nullopt},
        {"the diagnostic feed without hooks", "", configured.publicEDKey, {{"updateFeedURL", debugFeed}}, false, std::nullopt},
        {"a diagnostic feed that is no string", "", configured.publicEDKey, {{"debugHooks", true}, {"updateFeedURL", 8080.0}}, false,
         std::nullopt},
        {"a feed, a key and the diagnostic feed", configured.feedURL, configured.publicEDKey,
         {{"debugHooks", true}, {"updateFeedURL", debugFeed}}, true, debugFeed},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        FakeUpdateFramework fresh;
        defaults.values = row.settings;
        Updater updater(fresh, defaults, banners, BundleInfo{row.feed, row.key, QStringLiteral("1.2"), QStringLiteral("120")});
        EXPECT_EQ(updater.isConfigured(), row.configured);
        EXPECT_EQ(fresh.starts, row.configured ? 1 : 0) << "started only when configured";
        EXPECT_EQ(updater.automaticallyChecks(), row.configured) << "the framework's switch is on";
        ASSERT_NE(fresh.delegate, nullptr) << "the delegate is set either way";
        EXPECT_EQ(fresh.delegate->feedURLString(), row.feedOverride);
        EXPECT_EQ(Updater::feedOverride(defaults), row.feedOverride);

        updater.checkNow();
        updater.checkInBackground();
        EXPECT_EQ(fresh.userChecks, row.configured ? 1 : 0);
        EXPECT_EQ(fresh.backgroundChecks, row.configured ? 1 : 0);
    }
}

TEST_F(UpdaterTest, TheDiagnosticFeedIsReadAtEachCheck)
{
    defaults.values = {{"debugHooks", true}, {"updateFeedURL", "http://127.0.0.1:1/a.xml"}};
    const auto updater = makeUpdater();
    defaults.values.insert("updateFeedURL", "http://127.0.0.1:1/b.xml");
    EXPECT_EQ(framework.delegate->feedURLString(), QString("http://127.0.0.1:1/b.xml"));
    defaults.values.insert("debugHooks", false);
    EXPECT_EQ(framework.delegate->feedURLString(), std::nullopt);
}

TEST_F(UpdaterTest, VersionShowsAQuestionMarkForWhatTheBuildLeftOut)
{
    const struct {
        std::optional<QString> shortVersion;
        std::optional<QString> buildVersion;
        const char *text;
    } cases[] = {
        {"0.1.0", "7", "0.1.0 (7)"},
        {"0.1.0", std::nullopt, "0.1.0 (?)"},
        {std::nullopt, "7", "? (7)"},
        {std::nullopt, std::nullopt, "? (?)"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.text);
        const auto updater = makeUpdater(BundleInfo{configured.feedURL, configured.publicEDKey, row.shortVersion, row.buildVersion});
        EXPECT_EQ(updater->version(), QString::fromUtf8(row.text));
    }
}

TEST_F(UpdaterTest, WithoutConfigurationTheSwitchesReadFalseButWritesReachTheFramework)
{
    framework.lastCheck = scheduler.now();
    const auto updater = makeUpdater(BundleInfo{});
    EXPECT_FALSE(updater->automaticallyChecks());
    EXPECT_FALSE(updater->automaticallyDownloads());
    EXPECT_EQ(updater->lastCheck(), std::nullopt);

    updater->setAutomaticallyChecks(false);
    updater->setAutomaticallyDownloads(true);
    EXPECT_FALSE(framework.automaticChecks);
    EXPECT_TRUE(framework.automaticDownloads);
    EXPECT_FALSE(updater->automaticallyDownloads());
}

TEST_F(UpdaterTest, MirrorsTheSwitchesAndTheLastCheck)
{
    framework.automaticDownloads = true;
    framework.lastCheck = scheduler.now().addDays(-1);
    const auto updater = makeUpdater();
    EXPECT_TRUE(updater->automaticallyChecks());
    EXPECT_TRUE(updater->automaticallyDownloads());
    EXPECT_EQ(updater->lastCheck(), scheduler.now().addDays(-1));

    int checksChanges = 0;
    const QPropertyNotifier checksNotifier = updater->bindableAutomaticallyChecks().addNotifier([&] { ++checksChanges; });
    updater->setAutomaticallyChecks(false);
    updater->setAutomaticallyChecks(false);
    EXPECT_FALSE(framework.automaticChecks);
    EXPECT_FALSE(updater->automaticallyChecks());
    EXPECT_EQ(checksChanges, 1) << "only a real change notifies";
    updater->setAutomaticallyDownloads(false);
    EXPECT_FALSE(framework.automaticDownloads);
    EXPECT_FALSE(updater->automaticallyDownloads());

    int lastCheckChanges = 0;
    const QPropertyNotifier lastCheckNotifier = updater->bindableLastCheck().addNotifier([&] { ++lastCheckChanges; });
    framework.lastCheck = scheduler.now();
    framework.delegate->didChangeLastUpdateCheckDate();
    framework.delegate->didChangeLastUpdateCheckDate();
    EXPECT_EQ(updater->lastCheck(), scheduler.now());
    EXPECT_EQ(lastCheckChanges, 1);
}

TEST_F(UpdaterTest, AvailableFollowsWhatChecksFind)
{
    const auto updater = makeUpdater();
    EXPECT_EQ(updater->available(), std::nullopt);
    framework.delegate->didFindValidUpdate(update13);
    EXPECT_EQ(updater->available(), QString("1.3"));
    framework.delegate->didNotFindUpdate();
    EXPECT_EQ(updater->available(), std::nullopt);
}

TEST_F(UpdaterTest, AScheduledUpdateRaisesTheBannerWhoseClickChecksNow)
{
    const auto updater = makeUpdater();
    EXPECT_FALSE(framework.delegate->shouldShowScheduledUpdate(update13)) << "the application shows scheduled updates";
    framework.delegate->willShowUpdate(UpdateFramework::Presenter::application, update13);
    EXPECT_EQ(updater->available(), QString("1.3"));
    const std::optional<NotchBanner> banner = banners.current();
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner->title, QString("Atualização do Quib"));
    EXPECT_EQ(banner->body, QString("Versão 1.3 disponível · Clique para instalar"));
    EXPECT_EQ(banner->symbol, QString("arrow.down.circle.fill"));
    EXPECT_EQ(banner->color, SettingsStyle::accent());
    EXPECT_EQ(banner->appBundleID, std::nullopt);
    EXPECT_EQ(banner->duration, 15.0);

    banners.activate();
    EXPECT_EQ(framework.userChecks, 1);
    EXPECT_EQ(banners.current(), std::nullopt);
    EXPECT_TRUE(workspace.openedLinks.isEmpty()) << "the framework opens the page, not the banner";
}

TEST_F(UpdaterTest, TheBannerHidesAfterFifteenSeconds)
{
    const auto updater = makeUpdater();
    framework.delegate->willShowUpdate(UpdateFramework::Presenter::application, update13);
    scheduler.advance(14.9);
    EXPECT_TRUE(banners.current());
    scheduler.advance(0.1);
    EXPECT_EQ(banners.current(), std::nullopt);
}

TEST_F(UpdaterTest, AnUpdateTheFrameworkShowsRaisesNoBanner)
{
    const auto updater = makeUpdater();
    framework.delegate->willShowUpdate(UpdateFramework::Presenter::framework, update13);
    EXPECT_EQ(banners.current(), std::nullopt);
}

TEST_F(UpdaterTest, TheUsersAttentionDismissesOnlyTheUpdateBanner)
{
    const auto updater = makeUpdater();
    NotchBanner other;
    other.title = QStringLiteral("Outro aviso");
    other.duration = 5;
    banners.show(other);
    framework.delegate->didReceiveUserAttention(update13);
    EXPECT_EQ(banners.current(), other);

    banners.dismiss();
    framework.delegate->willShowUpdate(UpdateFramework::Presenter::application, update13);
    ASSERT_TRUE(banners.current());
    framework.delegate->didReceiveUserAttention(update13);
    EXPECT_EQ(banners.current(), std::nullopt);
}

TEST_F(UpdaterTest, ABannerOutlivingTheUpdaterDoesNothingWhenClicked)
{
    auto updater = makeUpdater();
    framework.delegate->willShowUpdate(UpdateFramework::Presenter::application, update13);
    updater.reset();
    EXPECT_EQ(framework.delegate, nullptr);
    banners.activate();
    EXPECT_EQ(framework.userChecks, 0);
}

// A plain build names no feed and no key: the app model's updater never
// starts the framework.
TEST(UpdaterBuildTest, APlainBuildIsNotConfigured)
{
    const BundleInfo bundle = BundleInfo::main();
    if (!bundle.feedURL.isEmpty() || !bundle.publicEDKey.isEmpty())
        GTEST_SKIP() << "this build was configured with an update feed or key";
    EXPECT_EQ(bundle.shortVersion, QString(QUIB_PROJECT_VERSION));
    EXPECT_EQ(bundle.buildVersion, QString(QUIB_PROJECT_VERSION));
    FakePlatform platform;
    AppModel model(platform.services());
    EXPECT_FALSE(model.updater.isConfigured());
    EXPECT_EQ(platform.updates.starts, 0);
    EXPECT_FALSE(model.updater.automaticallyChecks());
    model.updater.checkNow();
    EXPECT_EQ(platform.updates.userChecks, 0);
}
