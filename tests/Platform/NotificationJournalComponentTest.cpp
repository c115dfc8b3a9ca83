#include "Alerts/AppNotificationMonitor.h"
#include "Alerts/NotificationDatabaseReader.h"
#include "Alerts/NotificationPayload.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/NotificationJournal.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <sqlite3.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");

struct Row {
    qint64 id = 0;
    QString identifier;
    std::optional<NotificationPayload::Texts> texts;
};

// The journal on a private session bus where a stand-in notification server
// (python3-dbusmock's template) answers the Notify calls.
class NotificationJournalComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system's Python, where the Debian package python3-dbusmock lives.
        server.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("notification_daemon")});
        QDBusConnection probe = bus.connect(QStringLiteral("probe"));
        ASSERT_TRUE(waitUntil([&] { return probe.interface()->isServiceRegistered(notificationsService).value(); }));
        journal = std::make_unique<NotificationJournal>(platform.workspace, bus.address(), path());
        ASSERT_TRUE(waitUntil([&] { return journal->isWatching() && QFileInfo::exists(path()); }));
    }
    void TearDown() override
    {
        journal.reset();
        server.kill();
        server.waitForFinished();
    }

    QString path() const { return folder.filePath(QStringLiteral("quib/notifications.db")); }

    static void notifySend(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral("notify-send"), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        ASSERT_EQ(process.exitCode(), 0);
    }

    // The records, oldest first.
    QList<Row> rows() const
    {
        QList<Row> found;
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(path().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 1000);
            sqlite3_stmt *statement = nullptr;
            sqlite3_prepare_v2(db, "SELECT r.rec_id, a.identifier, r.data FROM record r JOIN app a ON a.app_id = r.app_id ORDER BY r.rec_id", -1, &statement,
                               nullptr);
            while (statement && sqlite3_step(statement) == SQLITE_ROW) {
                const QByteArray data(static_cast<const char *>(sqlite3_column_blob(statement, 2)), sqlite3_column_bytes(statement, 2));
                found.append({sqlite3_column_int64(statement, 0), QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1))),
                              NotificationPayload::decode(data)});
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return found;
    }

    PrivateBus bus;
    QProcess server;
    QTemporaryDir folder;
    FakePlatform platform;
    std::unique_ptr<NotificationJournal> journal;
};

} // namespace

TEST_F(NotificationJournalComponentTest, NotifySendBecomesARecord)
{
    QList<Row> found;
    notifySend({QStringLiteral("-a"), QStringLiteral("Jornal"), QStringLiteral("Título"), QStringLiteral("Texto")});
    ASSERT_TRUE(waitUntil([&] { return (found = rows()).size() == 1; }));
    EXPECT_EQ(found.first().identifier, QStringLiteral("Jornal"));
    EXPECT_EQ(found.first().texts, (NotificationPayload::Texts{QStringLiteral("Título"), QString(), QStringLiteral("Texto")}));

    notifySend({QStringLiteral("-a"), QStringLiteral("Outro"), QStringLiteral("-h"), QStringLiteral("string:desktop-entry:org.example.Mail"), QStringLiteral("Oi")});
    ASSERT_TRUE(waitUntil([&] { return (found = rows()).size() == 2; }));
    EXPECT_EQ(found.last().identifier, QStringLiteral("org.example.Mail"));
    EXPECT_EQ(found.last().texts, (NotificationPayload::Texts{QStringLiteral("Oi"), QString(), QString()}));
}

TEST_F(NotificationJournalComponentTest, KeepsTheNewestRecords)
{
    QDBusConnection sender = bus.connect(QStringLiteral("sender"));
    constexpr int sent = NotificationJournal::keptRecords + 10;
    for (int index = 1; index <= sent; ++index) {
        QDBusMessage call = QDBusMessage::createMethodCall(notificationsService, QStringLiteral("/org/freedesktop/Notifications"), notificationsService,
                                                           QStringLiteral("Notify"));
        call << QStringLiteral("Rajada") << 0u << QString() << QString::number(index) << QString() << QStringList() << QVariantMap() << -1;
        sender.asyncCall(call);
    }
    // Each read is one statement, so it sees the table between two writes.
    QList<Row> kept;
    ASSERT_TRUE(waitUntil([&] { return !(kept = rows()).isEmpty() && kept.last().id == sent; }, 60000));
    EXPECT_EQ(kept.size(), NotificationJournal::keptRecords);
    ASSERT_TRUE(kept.first().texts && kept.last().texts);
    EXPECT_EQ(kept.first().texts->title, QStringLiteral("11"));
    EXPECT_EQ(kept.last().texts->title, QString::number(sent));
}

// The monitor may open the database the moment its file appears (both
// start with the app); without its tables then, it would find no access.
TEST_F(NotificationJournalComponentTest, TheDatabaseAppearsWithItsTables)
{
    journal.reset();
    ASSERT_TRUE(QFile::remove(path()));
    const QByteArray name = QFileInfo(path()).fileName().toUtf8();
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFileInfo(path()).absolutePath().toUtf8().constData(), IN_CREATE | IN_MOVED_TO), 0);
    journal = std::make_unique<NotificationJournal>(platform.workspace, bus.address(), path());

    // Opened as soon as the name appears, while the journal goes on.
    std::optional<bool> opened;
    const QDeadlineTimer deadline(10000);
    while (!opened && !deadline.hasExpired()) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, int(deadline.remainingTime())) <= 0)
            break;
        alignas(inotify_event) char events[4096];
        const ssize_t length = ::read(watch, events, sizeof events);
        for (ssize_t offset = 0; offset < length && !opened;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + offset);
            if (event->len && name == event->name)
                opened = NotificationDatabaseReader().open(path());
            offset += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    ASSERT_TRUE(opened.has_value()) << "the database never appeared";
    EXPECT_TRUE(*opened);
}

// From notify-send to the banner: the journal's database read by the
// monitor, with the settings' filters.
TEST_F(NotificationJournalComponentTest, MonitorShowsTheJournalsNotifications)
{
    AppModel model{platform.services()};
    model.preferences.mutedNotificationApps.setValue({QStringLiteral("Silenciado")});
    AppNotificationMonitor monitor(model, {}, path());
    // The monitor starts from the newest record: it opens before the sends.
    ASSERT_TRUE(QSignalSpy(&monitor, &AppNotificationMonitor::polled).wait(10000));
    ASSERT_TRUE(monitor.hasAccess());

    notifySend({QStringLiteral("-a"), QStringLiteral("Silenciado"), QStringLiteral("Não"), QStringLiteral("mostrar")});
    notifySend({QStringLiteral("-a"), QStringLiteral("Jornal"), QStringLiteral("Título"), QStringLiteral("Texto")});
    ASSERT_TRUE(waitUntil([&] { return rows().size() == 2; }));
    const bool shown = waitUntil([&] {
        QSignalSpy polled(&monitor, &AppNotificationMonitor::polled);
        platform.scheduler.advance(AppNotificationMonitor::pollInterval);
        polled.wait(5000);
        return model.banners.current().has_value();
    });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(monitor.hasAccess());
    EXPECT_EQ(model.banners.current()->title, QStringLiteral("Título"));
    EXPECT_EQ(model.banners.current()->body, QStringLiteral("Texto"));
    EXPECT_EQ(model.banners.current()->appBundleID, QStringLiteral("Jornal"));
    EXPECT_TRUE(model.banners.queue().isEmpty());
}
