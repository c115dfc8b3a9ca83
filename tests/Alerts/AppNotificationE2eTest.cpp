#include "DesktopAppTest.h"
#include "Wait.h"

#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// The real app with a stand-in notification server (python3-dbusmock's
// template) on its session bus, its data in a folder of the test's own.
class AppNotificationE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system's Python, where the Debian package python3-dbusmock lives.
        server.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("notification_daemon")});
        ASSERT_TRUE(waitUntil([&] { return observer.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")).value(); }));
        quib.environment().insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    }
    void TearDown() override
    {
        DesktopAppTest::TearDown();
        server.kill();
        server.waitForFinished();
    }

    QTemporaryDir data;
    QProcess server;
};

} // namespace

TEST_F(AppNotificationE2eTest, NotifySendShowsABanner)
{
    ASSERT_TRUE(desktopClient.waitForNotch(QSize(190, 32)));
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(data.filePath(QStringLiteral("quib/notifications.db"))); }));
    // The monitor shows only what arrives after it has opened the database,
    // which it does at one of its polls after launch: the notification is
    // sent again until a banner shows.
    bool shown = false;
    for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
        QProcess send;
        send.start(QStringLiteral("notify-send"), {QStringLiteral("-a"), QStringLiteral("Jornal"), QStringLiteral("Título"), QStringLiteral("Texto")});
        ASSERT_TRUE(send.waitForFinished(10000));
        shown = desktopClient.waitForNotch(QSize(380, 104), 4000);
    }
    EXPECT_TRUE(shown) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
    EXPECT_TRUE(app->isRunning());
}
