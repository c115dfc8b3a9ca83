#include "Alerts/AppNotificationMonitor.h"
#include "App/AppModel.h"
#include "NotificationFixtures.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Settings/SettingsStyle.h"
#include "Wait.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using NotificationFixtures::PlistFormat;

namespace {

const QString mail = QStringLiteral("org.example.Mail");
const QString chat = QStringLiteral("org.example.Chat");

// The monitor on a real database file in a folder of its own, with a manual
// clock: each poll() moves the clock one poll interval and waits until the
// poll's result is back on the main thread.
class AppNotificationMonitorTest : public ::testing::Test {
protected:
    AppNotificationMonitorTest()
    {
        model.preferences.notificationDuration.setValue(100);
        platform.workspace.installed.insert(mail, {QStringLiteral("/usr/share/applications/org.example.Mail.desktop"), QStringLiteral("Correio.app")});
        platform.workspace.installed.insert(chat, {QStringLiteral("/usr/share/applications/org.example.Chat.desktop"), QStringLiteral("bate-papo")});
    }

    QString path() const { return folder.filePath(QStringLiteral("notifications.db")); }

    // Creates the monitor and waits for its first poll.
    void start()
    {
        monitor = std::make_unique<AppNotificationMonitor>(model, [this] { return focus; }, path());
        waitForPoll();
    }
    void waitForPoll()
    {
        QSignalSpy polled(monitor.get(), &AppNotificationMonitor::polled);
        ASSERT_TRUE(polled.wait(10000));
    }
    void poll()
    {
        QSignalSpy polled(monitor.get(), &AppNotificationMonitor::polled);
        platform.scheduler.advance(AppNotificationMonitor::pollInterval);
        ASSERT_TRUE(polled.wait(10000));
    }

    // Every banner shown and still waiting, oldest first.
    QList<NotchBanner> banners() const
    {
        QList<NotchBanner> all;
        if (const auto current = model.banners.current())
            all.append(*current);
        return all + model.banners.queue();
    }
    QStringList titles() const
    {
        QStringList all;
        for (const NotchBanner &banner : banners())
            all.append(banner.title);
        return all;
    }

    static QByteArray texts(const QString &title, const QString &subtitle = {}, const QString &body = {})
    {
        return NotificationFixtures::payload(PlistFormat::binary, title, subtitle, body);
    }

    QTemporaryDir folder;
    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<QString> focus;
    std::unique_ptr<AppNotificationMonitor> monitor;
};

} // namespace

TEST_F(AppNotificationMonitorTest, ShowsOnlyRecordsDeliveredAfterOpening)
{
    NotificationFixtures::Database database(path());
    database.add(mail, texts(QStringLiteral("Antiga")));
    start();
    EXPECT_TRUE(monitor->hasAccess());
    EXPECT_TRUE(banners().isEmpty());

    database.add(mail, NotificationFixtures::payload(PlistFormat::xml, QStringLiteral("Nova"), QStringLiteral("Equipe"), QStringLiteral("Reunião às 10h")));
    poll();
    ASSERT_EQ(banners().size(), 1);
    const NotchBanner banner = banners().first();
    EXPECT_EQ(banner.title, QStringLiteral("Nova"));
    EXPECT_EQ(banner.body, QStringLiteral("Equipe · Reunião às 10h"));
    EXPECT_EQ(banner.appBundleID, mail);
    EXPECT_EQ(banner.color, SettingsStyle::accent());
    EXPECT_EQ(banner.duration, 100);
    EXPECT_FALSE(banner.symbol);
    EXPECT_FALSE(banner.action);

    poll();
    EXPECT_EQ(banners().size(), 1) << "a record is shown once";
}

TEST_F(AppNotificationMonitorTest, OneBannerPerApplicationForTheNewestThree)
{
    NotificationFixtures::Database database(path());
    start();
    database.add(mail, texts(QStringLiteral("Primeira")));
    database.add(mail, texts(QStringLiteral("Segunda")));
    poll();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Segunda")});

    // Applications a to e, first seen in that order; a record without a
    // payload is skipped.
    for (const char *record : {"a1", "b1", "c1", "z", "b2", "d1", "e1", "c2", "a2"}) {
        const QString text = QString::fromLatin1(record);
        database.add(text.left(1), text == u"z" ? QByteArray() : texts(text));
    }
    poll();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Segunda"), QStringLiteral("c2"), QStringLiteral("d1"), QStringLiteral("e1")}));
}

TEST_F(AppNotificationMonitorTest, ReadsTwentyRecordsPerPoll)
{
    NotificationFixtures::Database database(path());
    start();
    for (int index = 0; index < 20; ++index)
        database.add(mail, texts(QStringLiteral("Correio %1").arg(index)));
    for (int index = 0; index < 5; ++index)
        database.add(chat, texts(QStringLiteral("Conversa %1").arg(index)));
    poll();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Correio 19")});
    poll();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Correio 19"), QStringLiteral("Conversa 4")}));
}

TEST_F(AppNotificationMonitorTest, HeadlineAndText)
{
    struct Case {
        const char *name;
        QString app;
        QByteArray payload;
        bool hideContent;
        std::optional<std::pair<QString, QString>> expected;
    };
    const Case cases[] = {
        {"TrimmedTitleAlone", mail, texts(QStringLiteral("  Olá  ")), false, std::pair{QStringLiteral("Olá"), QString()}},
        {"NoTitleTakesTheAppName", mail, texts({}, QStringLiteral("Sub"), QStringLiteral("Corpo")), false,
         std::pair{QStringLiteral("Correio"), QStringLiteral("Sub · Corpo")}},
        {"LongTitleCut", mail, texts(QString(100, u'x')), false, std::pair{QString(80, u'x'), QString()}},
        {"HiddenContent", chat, texts(QStringLiteral("Ana"), {}, QStringLiteral("segredo")), true,
         std::pair{QStringLiteral("bate-papo"), QStringLiteral("Nova notificação")}},
        // An application that is not installed is named by the title.
        {"HiddenContentOfUnknownApp", QStringLiteral("desconhecido"), texts(QStringLiteral("Ana"), {}, QStringLiteral("segredo")), true,
         std::pair{QStringLiteral("Ana"), QStringLiteral("Nova notificação")}},
        {"NothingToSay", QStringLiteral("desconhecido"), texts({}), false, std::nullopt},
        {"NotAPropertyList", mail, QByteArray("not a plist"), false, std::nullopt},
    };
    NotificationFixtures::Database database(path());
    start();
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        model.banners.dismiss();
        poll();
        ASSERT_TRUE(banners().isEmpty());
        model.preferences.hideNotificationContent.setValue(testCase.hideContent);
        database.add(testCase.app, testCase.payload);
        poll();
        if (!testCase.expected) {
            EXPECT_TRUE(banners().isEmpty());
            continue;
        }
        ASSERT_EQ(banners().size(), 1);
        EXPECT_EQ(banners().first().title, testCase.expected->first);
        EXPECT_EQ(banners().first().body, testCase.expected->second);
    }
}

TEST_F(AppNotificationMonitorTest, FiltersDropNotificationsSilently)
{
    NotificationFixtures::Database database(path());
    start();
    const auto shows = [&](const QString &app) {
        model.banners.dismiss();
        poll();
        database.add(app, texts(QStringLiteral("Oi")));
        poll();
        return !banners().isEmpty();
    };

    model.preferences.mutedNotificationApps.setValue({mail});
    EXPECT_FALSE(shows(mail));
    EXPECT_TRUE(shows(chat));
    model.preferences.mutedNotificationApps.setValue(StringSet());

    EXPECT_FALSE(shows(QStringLiteral("com.brenvask.Quib"))) << "the app's own notifications";

    focus = QStringLiteral("Trabalho");
    EXPECT_FALSE(shows(mail));
    focus.reset();

    platform.workspace.frontmost = Workspace::RunningApplication{42, QStringLiteral("ORG.example.mail"), QStringLiteral("Correio"), true};
    model.preferences.externalSkipFrontmost.setValue(true);
    EXPECT_FALSE(shows(mail));
    EXPECT_TRUE(shows(chat));
    model.preferences.externalSkipFrontmost.setValue(false);
    EXPECT_TRUE(shows(mail));
}

TEST_F(AppNotificationMonitorTest, BannerCarriesTheRealIdentifierAndMutingTheDatabaseOne)
{
    platform.workspace.installed.insert(QStringLiteral("org.example.music"),
                                        {QStringLiteral("/usr/share/applications/org.example.Music.desktop"), QStringLiteral("Música")});
    NotificationFixtures::Database database(path());
    start();
    database.add(QStringLiteral("org.example.music"), texts(QStringLiteral("Tocando")));
    poll();
    ASSERT_EQ(banners().size(), 1);
    EXPECT_EQ(banners().first().appBundleID, QStringLiteral("org.example.Music"));

    model.banners.dismiss();
    poll();
    model.preferences.mutedNotificationApps.setValue({QStringLiteral("org.example.Music")});
    database.add(QStringLiteral("org.example.music"), texts(QStringLiteral("De novo")));
    poll();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("De novo")}) << "the mute list holds database identifiers";
}

TEST_F(AppNotificationMonitorTest, SwitchedOffAndOnSkipsWhatCameInBetween)
{
    NotificationFixtures::Database database(path());
    start();
    model.preferences.appNotifications.setValue(false);
    poll();
    database.add(mail, texts(QStringLiteral("Durante")));
    poll();
    model.preferences.appNotifications.setValue(true);
    poll();
    EXPECT_TRUE(banners().isEmpty());
    database.add(mail, texts(QStringLiteral("Depois")));
    poll();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Depois")});
}

TEST_F(AppNotificationMonitorTest, KnownAppsAreTheInstalledOnesByName)
{
    NotificationFixtures::Database database(path());
    database.add(QStringLiteral("desconhecido"), texts(QStringLiteral("x")));
    database.add(mail, texts(QStringLiteral("x")));
    start();
    EXPECT_EQ(monitor->knownApps(), (QList<AppNotificationMonitor::KnownApp>{{mail, QStringLiteral("Correio")}}));

    database.add(chat, texts(QStringLiteral("y")));
    poll();
    EXPECT_EQ(monitor->knownApps(),
              (QList<AppNotificationMonitor::KnownApp>{{chat, QStringLiteral("bate-papo")}, {mail, QStringLiteral("Correio")}}));
}

TEST_F(AppNotificationMonitorTest, MissingDatabaseIsRetried)
{
    start();
    EXPECT_FALSE(monitor->hasAccess());
    poll();
    EXPECT_FALSE(monitor->hasAccess());

    NotificationFixtures::Database database(path());
    poll();
    EXPECT_TRUE(monitor->hasAccess());
    database.add(mail, texts(QStringLiteral("Chegou")));
    poll();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Chegou")});
}

TEST_F(AppNotificationMonitorTest, FileThatIsNoNotificationDatabaseIsNoAccess)
{
    for (const QByteArray &contents : {QByteArray("this is not a database, not at all, it is long enough"), QByteArray()}) {
        SCOPED_TRACE(contents.constData());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        monitor.reset();
        start();
        EXPECT_FALSE(monitor->hasAccess());
        poll();
        EXPECT_FALSE(monitor->hasAccess());
    }
}

TEST_F(AppNotificationMonitorTest, LockedDatabaseNeitherStallsNorLosesLaterRecords)
{
    NotificationFixtures::Database database(path());
    start();
    database.lock();
    database.add(mail, texts(QStringLiteral("Presa")));
    poll();
    poll();
    EXPECT_TRUE(banners().isEmpty());
    database.unlock();
    poll();

    database.add(chat, texts(QStringLiteral("Livre")));
    poll();
    EXPECT_TRUE(titles().contains(QStringLiteral("Livre"))) << titles().join(u',').toStdString();
}

TEST_F(AppNotificationMonitorTest, DatabaseLockedAtOpeningDoesNotReplayOldRecords)
{
    NotificationFixtures::Database database(path());
    database.add(mail, texts(QStringLiteral("Antiga")));
    database.lock();
    start();
    EXPECT_FALSE(monitor->hasAccess());
    database.unlock();
    poll();
    EXPECT_TRUE(monitor->hasAccess());
    poll();
    EXPECT_TRUE(banners().isEmpty()) << titles().join(u',').toStdString();
}

TEST_F(AppNotificationMonitorTest, DumpsTheNewestRecords)
{
    const QString dump = QStringLiteral("/tmp/quib-notifrecent.txt");
    QFile::remove(dump);
    start();
    monitor->debugDumpRecent();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(dump); }));
    QFile closedFile(dump);
    ASSERT_TRUE(closedFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(closedFile.readAll(), QByteArray("sem acesso ao banco"));
    closedFile.close();

    QFile::remove(dump);
    const QString schema = QStringLiteral("/tmp/quib-notifdb.txt");
    QFile::remove(schema);
    platform.defaults.setObject(QStringLiteral("debugHooks"), true);
    NotificationFixtures::Database database(path());
    database.add(mail, texts(QStringLiteral("Oi")), 1234.75);
    database.add(chat, QByteArray("bad"), std::nullopt);
    poll();
    monitor->debugDumpRecent();
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(dump); }));
    QFile openFile(dump);
    ASSERT_TRUE(openFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(openFile.readAll()), QStringLiteral("lastID: 2\n"
                                                                    "2 org.example.Chat deliv=0 last=0 pres=1 style=1 -\n"
                                                                    "1 org.example.Mail deliv=1234 last=1234 pres=1 style=1 top[req,uuid] req[body,subt,titl] decode=true"));

    QFile schemaFile(schema);
    ASSERT_TRUE(schemaFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(schemaFile.readAll().startsWith("lastID: 2\nCREATE TABLE app"));
}
