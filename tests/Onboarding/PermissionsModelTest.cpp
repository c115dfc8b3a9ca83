#include "Onboarding/PermissionsModel.h"

#include "Alerts/BannerCenter.h"
#include "Alerts/MediaKeyMonitor.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Shared/PermissionNotifications.h"

#include <QDir>
#include <QFile>
#include <QPropertyNotifier>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Calendar = EventStore::AuthorizationStatus;
using Location = LocationProvider::AuthorizationStatus;

// The model over fakes; the notification database is a path in a folder of
// the test's own that does not exist until a test writes it.
class PermissionsModelTest : public ::testing::Test {
public:
    PermissionsModelTest()
    {
        platform.eventStore.status = Calendar::notDetermined;
        platform.location.status = Location::notDetermined;
        platform.bluetooth.authorizationStatus = BluetoothAuthorization::notDetermined;
    }

    PermissionsModel &model()
    {
        if (!m_model)
            m_model = std::make_unique<PermissionsModel>(platform.services(), notifications, banners, databasePath());
        return *m_model;
    }
    QString databasePath() const { return folder.filePath(QStringLiteral("notifications.db")); }
    void writeDatabase() const
    {
        QFile file(databasePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("SQLite format 3");
    }
    // Another program holds the volume-up key.
    void holdVolumeKeyElsewhere() { platform.keyCapture.heldElsewhere = {KeyCombination{MediaKeyMonitor::qtKey(MediaKey::volumeUp), Qt::ControlModifier}}; }
    std::optional<QString> bannerTitle() const
    {
        const auto banner = banners.current();
        return banner ? std::optional<QString>(banner->title) : std::nullopt;
    }

    QTemporaryDir folder;
    FakePlatform platform;
    PermissionNotifications notifications;
    QSignalSpy changes{&notifications, &PermissionNotifications::quibPermissionsChanged};
    BannerCenter banners{platform.scheduler, platform.workspace};

private:
    std::unique_ptr<PermissionsModel> m_model;
};

struct MappingCase {
    const char *name;
    PermissionKind kind;
    std::function<void(PermissionsModelTest &)> arrange;
    PermissionStatus expected;
};

} // namespace

TEST_F(PermissionsModelTest, MapsWhatEachServiceSaysToAStatus)
{
    const MappingCase cases[] = {
        {"calendar readable", PermissionKind::calendar, [](auto &t) { t.platform.eventStore.status = Calendar::fullAccess; }, PermissionStatus::granted},
        {"calendar unreadable", PermissionKind::calendar, [](auto &t) { t.platform.eventStore.status = Calendar::denied; }, PermissionStatus::denied},
        {"calendar restricted", PermissionKind::calendar, [](auto &t) { t.platform.eventStore.status = Calendar::restricted; }, PermissionStatus::denied},
        {"calendar write only", PermissionKind::calendar, [](auto &t) { t.platform.eventStore.status = Calendar::writeOnly; }, PermissionStatus::denied},
        {"calendar missing", PermissionKind::calendar, [](auto &t) { t.platform.eventStore.status = Calendar::notDetermined; }, PermissionStatus::notAsked},
        {"location allowed", PermissionKind::location, [](auto &t) { t.platform.location.status = Location::authorized; }, PermissionStatus::granted},
        {"location refused", PermissionKind::location, [](auto &t) { t.platform.location.status = Location::denied; }, PermissionStatus::denied},
        {"location service absent", PermissionKind::location, [](auto &t) { t.platform.location.status = Location::restricted; }, PermissionStatus::denied},
        {"location not answered", PermissionKind::location, [](auto &t) { t.platform.location.status = Location::notDetermined; }, PermissionStatus::notAsked},
        {"media keys free", PermissionKind::accessibility, [](auto &) {}, PermissionStatus::granted},
        {"a media key held elsewhere", PermissionKind::accessibility, [](auto &t) { t.holdVolumeKeyElsewhere(); }, PermissionStatus::notAsked},
        {"brightness key held elsewhere", PermissionKind::accessibility,
         [](auto &t) { t.platform.keyCapture.heldElsewhere = {KeyCombination{MediaKeyMonitor::qtKey(MediaKey::brightnessDown), {}}}; }, PermissionStatus::notAsked},
        {"bluetooth with adapter", PermissionKind::bluetooth, [](auto &t) { t.platform.bluetooth.authorizationStatus = BluetoothAuthorization::allowedAlways; },
         PermissionStatus::granted},
        {"bluetooth absent", PermissionKind::bluetooth, [](auto &t) { t.platform.bluetooth.authorizationStatus = BluetoothAuthorization::notDetermined; },
         PermissionStatus::notAsked},
        {"bluetooth refused", PermissionKind::bluetooth, [](auto &t) { t.platform.bluetooth.authorizationStatus = BluetoothAuthorization::denied; },
         PermissionStatus::denied},
        {"bluetooth restricted", PermissionKind::bluetooth, [](auto &t) { t.platform.bluetooth.authorizationStatus = BluetoothAuthorization::restricted; },
         PermissionStatus::denied},
        {"database readable", PermissionKind::fullDiskAccess, [](auto &t) { t.writeDatabase(); }, PermissionStatus::granted},
        {"database missing", PermissionKind::fullDiskAccess, [](auto &) {}, PermissionStatus::notAsked},
        {"a folder in the database's place", PermissionKind::fullDiskAccess, [](auto &t) { ASSERT_TRUE(QDir().mkpath(t.databasePath())); },
         PermissionStatus::notAsked},
    };
    for (const MappingCase &c : cases) {
        SCOPED_TRACE(c.name);
        platform.keyCapture.heldElsewhere.clear();
        QFile::remove(databasePath());
        QDir(databasePath()).removeRecursively();
        c.arrange(*this);
        model().refresh();
        EXPECT_EQ(model().status(c.kind), c.expected);
        EXPECT_EQ(model().statuses().size(), 5) << "every kind, always";
    }
    EXPECT_EQ(changes.count(), 0) << "a refresh alone announces nothing";
}

TEST_F(PermissionsModelTest, MediaKeysThisAppHoldsCountAsGranted)
{
    const Qt::Key key = MediaKeyMonitor::qtKey(MediaKey::mute);
    ASSERT_TRUE(platform.keyCapture.grabAnyModifiers(key, [](const KeyPress &) { return KeyHandling::Handled; }, [](const KeyPress &, KeyHandling) {}));
    model().refresh();
    EXPECT_EQ(model().status(PermissionKind::accessibility), PermissionStatus::granted);
    EXPECT_TRUE(platform.keyCapture.isTaken(key)) << "the check leaves the app's own grab alone";
}

TEST_F(PermissionsModelTest, ObserversHearOnlyOfAChangedMap)
{
    int notified = 0;
    const QPropertyNotifier notifier = model().bindableStatuses().addNotifier([&] { ++notified; });
    model().refresh();
    EXPECT_EQ(notified, 0);
    writeDatabase();
    model().refresh();
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(model().status(PermissionKind::fullDiskAccess), PermissionStatus::granted);
}

TEST_F(PermissionsModelTest, ACalendarRequestAsksTheStoreAndAnnouncesItsAnswer)
{
    model().request(PermissionKind::calendar);
    ASSERT_EQ(platform.eventStore.pendingAccessRequests(), 1);
    EXPECT_EQ(changes.count(), 0) << "nothing before the answer";

    platform.eventStore.answerAccessRequests(Calendar::denied);
    EXPECT_EQ(model().status(PermissionKind::calendar), PermissionStatus::denied) << "a refusal";
    EXPECT_EQ(changes.count(), 1);

    // Denied now: the request shows where the calendars are instead of asking.
    model().request(PermissionKind::calendar);
    EXPECT_EQ(platform.eventStore.pendingAccessRequests(), 0);
    EXPECT_EQ(bannerTitle(), QStringLiteral("Calendário"));
    EXPECT_TRUE(banners.current()->body.contains(platform.eventStore.folder));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(PermissionsModelTest, ALocationRequestAsksAndEveryAuthorisationChangeIsAnnounced)
{
    model().request(PermissionKind::location);
    EXPECT_EQ(platform.location.authorizationRequests, 1);
    platform.location.authorize(Location::authorized);
    EXPECT_EQ(model().status(PermissionKind::location), PermissionStatus::granted);
    EXPECT_EQ(changes.count(), 1);

    platform.location.authorize(Location::denied);
    EXPECT_EQ(model().status(PermissionKind::location), PermissionStatus::denied);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(PermissionsModelTest, ADeniedPermissionOpensItsSettingsPanelWhereTheDesktopHasOne)
{
    platform.location.status = Location::denied;
    platform.bluetooth.authorizationStatus = BluetoothAuthorization::denied;
    platform.workspace.settingsPanels = {SettingsPanel::location, SettingsPanel::bluetooth};
    model().request(PermissionKind::location);
    model().request(PermissionKind::bluetooth);
    EXPECT_EQ(platform.workspace.openedSettingsPanels, (QList<SettingsPanel>{SettingsPanel::location, SettingsPanel::bluetooth}));
    EXPECT_EQ(platform.location.authorizationRequests, 0);
    EXPECT_EQ(platform.bluetooth.pendingAuthorizationRequests(), 0);
    EXPECT_FALSE(banners.current()) << "the panel says it all";
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PermissionsModelTest, WithoutASettingsPanelABannerSaysWhatToDo)
{
    struct Case {
        PermissionKind kind;
        QString title;
    };
    const Case cases[] = {
        {PermissionKind::location, QStringLiteral("Localização")},
        {PermissionKind::accessibility, QStringLiteral("Teclas de volume e brilho")},
        {PermissionKind::bluetooth, QStringLiteral("Bluetooth")},
        {PermissionKind::fullDiskAccess, QStringLiteral("Notificações de outros apps")},
        {PermissionKind::calendar, QStringLiteral("Calendário")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(rawValue(c.kind).toStdString());
        model().openSettings(c.kind);
        EXPECT_EQ(bannerTitle(), c.title);
        EXPECT_FALSE(banners.current()->body.isEmpty());
        banners.dismiss();
        platform.scheduler.advance(BannerCenter::gapBetweenBanners);
    }
    EXPECT_TRUE(platform.workspace.openedSettingsPanels.isEmpty());
}

TEST_F(PermissionsModelTest, TheNotificationDatabaseIsNeverAskedForOnlyShown)
{
    platform.workspace.settingsPanels = {SettingsPanel::location, SettingsPanel::bluetooth, SettingsPanel::keyboardShortcuts};
    model().request(PermissionKind::fullDiskAccess);
    EXPECT_EQ(bannerTitle(), QStringLiteral("Notificações de outros apps"));
    EXPECT_TRUE(banners.current()->body.contains(QStringLiteral("notifications.db")));
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PermissionsModelTest, AMediaKeysRequestOpensTheShortcutsOnlyWhileAKeyIsHeldElsewhere)
{
    platform.workspace.settingsPanels = {SettingsPanel::keyboardShortcuts};
    model().request(PermissionKind::accessibility);
    EXPECT_TRUE(platform.workspace.openedSettingsPanels.isEmpty()) << "the keys are free";

    holdVolumeKeyElsewhere();
    model().request(PermissionKind::accessibility);
    EXPECT_EQ(platform.workspace.openedSettingsPanels, QList<SettingsPanel>{SettingsPanel::keyboardShortcuts});
    EXPECT_EQ(model().status(PermissionKind::accessibility), PermissionStatus::notAsked);
    EXPECT_EQ(changes.count(), 0) << "the keys are never announced";
}

TEST_F(PermissionsModelTest, EachBluetoothAnswerIsAnnounced)
{
    model().request(PermissionKind::bluetooth);
    model().request(PermissionKind::bluetooth);
    ASSERT_EQ(platform.bluetooth.pendingAuthorizationRequests(), 2);
    platform.bluetooth.answerAuthorizationRequests(BluetoothAuthorization::allowedAlways);
    EXPECT_EQ(model().status(PermissionKind::bluetooth), PermissionStatus::granted);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(PermissionsModelTest, TheWatchReadsAgainEverySecondUntilStopped)
{
    holdVolumeKeyElsewhere();
    model().startWatching();
    EXPECT_TRUE(model().isWatching());
    EXPECT_EQ(model().status(PermissionKind::accessibility), PermissionStatus::notAsked);

    platform.keyCapture.heldElsewhere.clear();
    writeDatabase();
    platform.scheduler.advance(PermissionsModel::watchInterval);
    EXPECT_EQ(model().status(PermissionKind::accessibility), PermissionStatus::granted);
    EXPECT_EQ(model().status(PermissionKind::fullDiskAccess), PermissionStatus::granted);
    EXPECT_EQ(changes.count(), 0) << "keys and the database are noticed, never announced";

    model().stopWatching();
    EXPECT_FALSE(model().isWatching());
    holdVolumeKeyElsewhere();
    platform.scheduler.advance(5 * PermissionsModel::watchInterval);
    EXPECT_EQ(model().status(PermissionKind::accessibility), PermissionStatus::granted) << "no refresh once stopped";
}

TEST_F(PermissionsModelTest, AnswersThatArriveAfterTheModelIsGoneAreDropped)
{
    {
        PermissionsModel gone(platform.services(), notifications, banners, databasePath());
        gone.request(PermissionKind::bluetooth);
        gone.request(PermissionKind::calendar);
    }
    platform.bluetooth.answerAuthorizationRequests(BluetoothAuthorization::allowedAlways);
    platform.eventStore.answerAccessRequests(Calendar::fullAccess);
    platform.location.authorize(Location::authorized);
    EXPECT_EQ(changes.count(), 0);
}
