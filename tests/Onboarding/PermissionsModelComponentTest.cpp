#include "Onboarding/PermissionsModel.h"

#include "Alerts/BannerCenter.h"
#include "Alerts/NotificationDatabaseReader.h"
#include "BlueZStandIn.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/BlueZBluetooth.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Shared/PermissionNotifications.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace {

// The model with BlueZ's stand-in on a private bus (playing the system bus)
// and the notification database as a real file; the other services fakes.
class PermissionsModelComponentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    void startBlueZ()
    {
        blueZ = std::make_unique<BlueZStandIn>(bus.address());
        ASSERT_TRUE(blueZ->isRunning());
    }
    PermissionsModel &model()
    {
        if (!m_model) {
            bluetooth = std::make_unique<BlueZBluetooth>(bus.connect(QStringLiteral("quib")));
            const Services services{platform.scheduler, platform.defaults,     platform.notifications, platform.workspace,   platform.soundPlayer,
                                    platform.audio,     platform.keyCapture,   platform.windowServer,  platform.screens,     platform.eventStore,
                                    platform.location,  platform.credentials,  platform.pointer,       platform.backlights,  platform.updates,
                                    platform.powerSources, *bluetooth, platform.sessionLock, platform.loginItems};
            m_model = std::make_unique<PermissionsModel>(services, notifications, banners, databasePath());
        }
        return *m_model;
    }
    QString databasePath() const { return folder.filePath(QStringLiteral("notifications.db")); }
    // A database of the journal's two tables.
    void writeDatabase() const
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(databasePath().toUtf8().constData(), &db), SQLITE_OK);
        const int created = sqlite3_exec(db,
                                         "CREATE TABLE app (app_id INTEGER PRIMARY KEY, identifier TEXT UNIQUE);"
                                         "CREATE TABLE record (rec_id INTEGER PRIMARY KEY AUTOINCREMENT, app_id INTEGER, data BLOB, delivered_date REAL);",
                                         nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(created, SQLITE_OK);
    }
    // Whether the notification monitor's reader can open the database.
    bool monitorReads() const
    {
        NotificationDatabaseReader reader;
        return reader.open(databasePath());
    }

    PrivateBus bus;
    std::unique_ptr<BlueZStandIn> blueZ;
    QTemporaryDir folder;
    FakePlatform platform;
    PermissionNotifications notifications;
    QSignalSpy changes{&notifications, &PermissionNotifications::quibPermissionsChanged};
    BannerCenter banners{platform.scheduler, platform.workspace};
    std::unique_ptr<BlueZBluetooth> bluetooth;

private:
    std::unique_ptr<PermissionsModel> m_model;
};

} // namespace

TEST_F(PermissionsModelComponentTest, BluetoothIsGrantedOnceBlueZAnswersWithAnAdapter)
{
    startBlueZ();
    model().request(PermissionKind::bluetooth);
    ASSERT_TRUE(waitUntil([&] { return changes.count() == 1; }));
    EXPECT_EQ(model().status(PermissionKind::bluetooth), PermissionStatus::granted);

    ASSERT_TRUE(blueZ->removeAdapter());
    EXPECT_TRUE(waitUntil([&] {
        model().refresh();
        return model().status(PermissionKind::bluetooth) == PermissionStatus::notAsked;
    })) << "no adapter, nothing to use";
    EXPECT_EQ(changes.count(), 1) << "a refresh announces nothing";
}

TEST_F(PermissionsModelComponentTest, WithoutBlueZBluetoothIsNotAskedAndARequestIsStillAnswered)
{
    model().request(PermissionKind::bluetooth);
    ASSERT_TRUE(waitUntil([&] { return changes.count() == 1; })) << "the failed answer is announced too";
    EXPECT_EQ(model().status(PermissionKind::bluetooth), PermissionStatus::notAsked);

    startBlueZ();
    model().request(PermissionKind::bluetooth);
    ASSERT_TRUE(waitUntil([&] { return model().status(PermissionKind::bluetooth) == PermissionStatus::granted; }));
    EXPECT_TRUE(waitUntil([&] { return changes.count() == 2; }));
}

TEST_F(PermissionsModelComponentTest, TheNotificationDatabaseIsGrantedExactlyWhenItCanBeRead)
{
    model().refresh();
    EXPECT_EQ(model().status(PermissionKind::fullDiskAccess), PermissionStatus::notAsked) << "missing";
    EXPECT_FALSE(monitorReads());

    writeDatabase();
    model().refresh();
    EXPECT_EQ(model().status(PermissionKind::fullDiskAccess), PermissionStatus::granted);
    EXPECT_TRUE(monitorReads()) << "the page and the monitor agree";

    ASSERT_TRUE(QFile::remove(databasePath()));
    ASSERT_TRUE(QDir().mkpath(databasePath()));
    model().refresh();
    EXPECT_EQ(model().status(PermissionKind::fullDiskAccess), PermissionStatus::notAsked) << "a folder in its place";
    EXPECT_FALSE(monitorReads());
    EXPECT_EQ(changes.count(), 0);
}
