#include "Alerts/AppNotificationMonitor.h"
#include "NotificationFixtures.h"
#include "QtPrinters.h"
#include "Settings/FullDiskAccessWarning.h"
#include "Settings/NotificationsSettingsPage.h"
#include "SettingsFilePages.h"

#include <QJsonArray>
#include <QSignalSpy>

namespace {

const QString mail = QStringLiteral("org.example.Mail");
const QString chat = QStringLiteral("org.example.Chat");
const QString notes = QStringLiteral("org.example.Notes");
const QString emptyListText = QStringLiteral("Os apps aparecem aqui depois da primeira notificação.");

// The page over a real notification monitor reading a real database file in
// a folder of its own; each poll() moves the manual clock one poll interval
// and waits for the poll's result.
class NotificationsSettingsPageTest : public SettingsFilePages {
protected:
    NotificationsSettingsPageTest()
    {
        installed(mail, QStringLiteral("Correio.app"), Qt::blue);
        installed(chat, QStringLiteral("bate-papo"), std::nullopt);
        installed(notes, QStringLiteral("Notas"), Qt::yellow);
    }
    ~NotificationsSettingsPageTest() override { page.reset(); }

    void installed(const QString &id, const QString &name, std::optional<QColor> icon)
    {
        const QString url = QStringLiteral("/usr/share/applications/") + id + QStringLiteral(".desktop");
        platform.workspace.installed.insert(id, {url, name});
        if (icon) {
            QImage image(64, 64, QImage::Format_ARGB32);
            image.fill(*icon);
            platform.workspace.icons.insert(url, image);
        }
    }

    QString databasePath() const { return folder.filePath(QStringLiteral("notifications.db")); }

    void startMonitor()
    {
        monitor = std::make_unique<AppNotificationMonitor>(model, AppNotificationMonitor::FocusName(), databasePath());
        QSignalSpy polled(monitor.get(), &AppNotificationMonitor::polled);
        ASSERT_TRUE(polled.wait(10000));
    }
    void poll()
    {
        QSignalSpy polled(monitor.get(), &AppNotificationMonitor::polled);
        platform.scheduler.advance(AppNotificationMonitor::pollInterval);
        ASSERT_TRUE(polled.wait(10000));
    }
    void addRecord(NotificationFixtures::Database &database, const QString &app)
    {
        database.add(app, NotificationFixtures::payload(NotificationFixtures::PlistFormat::binary, QStringLiteral("Oi")));
    }

    NotificationsSettingsPage &open()
    {
        page = shown(new NotificationsSettingsPage(model, monitor.get()));
        return *page;
    }

    FullDiskAccessWarning *warning() const { return page->findChild<FullDiskAccessWarning *>(); }
    NotificationAppRow *appRow(const QString &id) const
    {
        for (NotificationAppRow *row : page->appRows()) {
            if (row->id() == id)
                return row;
        }
        ADD_FAILURE() << "no row " << id.toStdString();
        return nullptr;
    }
    QStringList rowIDs() const
    {
        QStringList ids;
        for (NotificationAppRow *row : page->appRows())
            ids.append(row->id());
        return ids;
    }

    std::unique_ptr<AppNotificationMonitor> monitor;
    std::unique_ptr<NotificationsSettingsPage> page;
};

} // namespace

TEST_F(NotificationsSettingsPageTest, WithoutAccessTheBoxShowsWhileMessagesAreOn)
{
    startMonitor();
    ASSERT_FALSE(monitor->hasAccess());
    open();
    ASSERT_TRUE(warning());
    EXPECT_EQ(page->shownSection(), NotificationsSettingsPage::Section::accessWarning);
    EXPECT_TRUE(warning()->isVisible());
    EXPECT_TRUE(showsText(QStringLiteral("Precisa de Acesso Total ao Disco")));
    EXPECT_FALSE(showsText(QStringLiteral("Apps")));
    // The permissions model tells how the access is given.
    ASSERT_FALSE(model.banners.current());
    QTest::mouseClick(warning()->openSettingsButton(), Qt::LeftButton);
    EXPECT_TRUE(model.banners.current());

    QTest::mouseClick(switchOf(QStringLiteral("Mensagens no notch")), Qt::LeftButton);
    EXPECT_FALSE(preferences.appNotifications.value());
    EXPECT_EQ(page->shownSection(), NotificationsSettingsPage::Section::none);
    EXPECT_FALSE(warning()->isVisible());
    EXPECT_FALSE(showsText(QStringLiteral("Apps")));
    EXPECT_FALSE(showsText(emptyListText));
}

TEST_F(NotificationsSettingsPageTest, BeforeTheMonitorExistsTheBoxsButtonDoesNothing)
{
    open();
    ASSERT_TRUE(warning());
    EXPECT_TRUE(warning()->isVisible());
    QTest::mouseClick(warning()->openSettingsButton(), Qt::LeftButton);
    EXPECT_FALSE(model.banners.current());
    EXPECT_TRUE(platform.workspace.openedLinks.isEmpty());
}

TEST_F(NotificationsSettingsPageTest, TheBoxGivesWayToTheListWhenAccessComesAndTheListGrows)
{
    startMonitor();
    open();
    EXPECT_TRUE(warning()->isVisible());

    NotificationFixtures::Database database(databasePath());
    poll();
    ASSERT_TRUE(monitor->hasAccess());
    EXPECT_EQ(page->shownSection(), NotificationsSettingsPage::Section::appList);
    EXPECT_FALSE(warning()->isVisible());
    EXPECT_TRUE(showsText(QStringLiteral("Apps")));
    EXPECT_TRUE(showsText(emptyListText));
    EXPECT_TRUE(page->appRows().isEmpty());

    addRecord(database, notes);
    addRecord(database, mail);
    addRecord(database, chat);
    poll();
    // Sorted by name, case aside: bate-papo, Correio, Notas.
    EXPECT_EQ(rowIDs(), (QStringList{chat, mail, notes}));
    EXPECT_FALSE(showsText(emptyListText));
    QWidget *card = page->appRows().first()->parentWidget();
    int dividers = 0;
    for (QWidget *child : card->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        dividers += child->height() == 1 ? 1 : 0;
    EXPECT_EQ(dividers, 2);
    EXPECT_FALSE(appRow(chat)->hasIcon()) << "an application without an icon";
    EXPECT_TRUE(appRow(mail)->hasIcon());
    EXPECT_EQ(appRow(mail)->height(), 38);

    // An application the workspace no longer finds keeps its row, without icon.
    platform.workspace.installed.remove(mail);
    open();
    EXPECT_EQ(rowIDs(), (QStringList{chat, mail, notes}));
    EXPECT_FALSE(appRow(mail)->hasIcon());
    EXPECT_TRUE(appRow(notes)->hasIcon());
}

TEST_F(NotificationsSettingsPageTest, AnApplicationsSwitchMutesItAndLeavesTheOthersAlone)
{
    NotificationFixtures::Database database(databasePath());
    addRecord(database, mail);
    addRecord(database, chat);
    startMonitor();
    preferences.appNotifications.setValue(false);
    preferences.mutedNotificationApps.setValue({QStringLiteral("org.example.Other")});
    open();
    // The list stays while the notifications are off, and its switches work.
    EXPECT_EQ(page->shownSection(), NotificationsSettingsPage::Section::appList);
    ASSERT_EQ(rowIDs(), (QStringList{chat, mail}));
    EXPECT_TRUE(appRow(mail)->toggle()->isChecked());

    QTest::mouseClick(appRow(mail)->toggle(), Qt::LeftButton);
    EXPECT_EQ(preferences.mutedNotificationApps.value(), (StringSet{QStringLiteral("org.example.Other"), mail}));
    EXPECT_FALSE(appRow(mail)->toggle()->isChecked());
    EXPECT_TRUE(appRow(chat)->toggle()->isChecked());
    EXPECT_EQ(stored(QStringLiteral("mutedNotificationApps")).toArray().size(), 2);

    QTest::mouseClick(appRow(mail)->toggle(), Qt::LeftButton);
    EXPECT_EQ(preferences.mutedNotificationApps.value(), (StringSet{QStringLiteral("org.example.Other")}));
    EXPECT_TRUE(appRow(mail)->toggle()->isChecked());

    // A change made elsewhere shows at once.
    preferences.mutedNotificationApps.setValue({chat});
    EXPECT_FALSE(appRow(chat)->toggle()->isChecked());
    EXPECT_TRUE(appRow(mail)->toggle()->isChecked());
}

TEST_F(NotificationsSettingsPageTest, TheCardsControlsWriteTheirSettings)
{
    open();
    AccentSwitch *hide = switchOf(QStringLiteral("Esconder o conteúdo"));
    ASSERT_TRUE(hide);
    QTest::mouseClick(hide, Qt::LeftButton);
    EXPECT_TRUE(preferences.hideNotificationContent.value());
    EXPECT_EQ(stored(QStringLiteral("hideNotificationContent")), QJsonValue(true));

    // The same setting as the frontmost switch of the "Avisos" page.
    AccentSwitch *frontmost = switchOf(QStringLiteral("Não mostrar se o app já estiver na frente"));
    ASSERT_TRUE(frontmost);
    EXPECT_TRUE(frontmost->isChecked());
    QTest::mouseClick(frontmost, Qt::LeftButton);
    EXPECT_FALSE(preferences.externalSkipFrontmost.value());
    preferences.externalSkipFrontmost.setValue(true);
    EXPECT_TRUE(frontmost->isChecked());

    auto *duration = page->findChild<SliderRow *>();
    ASSERT_TRUE(duration);
    EXPECT_EQ(duration->valueText(), QStringLiteral("5s"));
    AccentSlider *slider = duration->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(0, slider->height() / 2));
    EXPECT_EQ(preferences.notificationDuration.value(), 2);
    EXPECT_EQ(duration->valueText(), QStringLiteral("2s"));
}
