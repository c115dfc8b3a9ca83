#include "DesktopAppTest.h"
#include "SoundApps.h"
#include "Wait.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>

namespace {

const QString mail = QStringLiteral("org.example.Mail");
const QString chat = QStringLiteral("org.example.Chat");
const QColor mailIcon(230, 20, 200);
const QSize closedNotch(190, 32);
const QSize bannerNotch(380, 104);

// The real app with a stand-in notification server (python3-dbusmock's
// template) on its session bus, its data and two applications' desktop
// entries in a folder of the test's own; the desktop's settings in a key
// file of the app's configuration folder, which the `gsettings` tool changes.
class AppNotificationE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        apps.addApplication(mail, QStringLiteral("Correio"), mailIcon);
        apps.addApplication(chat, QStringLiteral("Conversa"), QColor(20, 160, 40));
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system's Python, where the Debian package python3-dbusmock lives.
        server.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"), QStringLiteral("notification_daemon")});
        ASSERT_TRUE(waitUntil([&] { return observer.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")).value(); }));
        quib.environment().insert(QStringLiteral("XDG_DATA_HOME"), apps.dataHome());
        quib.environment().insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
        // Banners go after a second, so a check that nothing shows starts soon
        // after the control banner has gone.
        ASSERT_NO_FATAL_FAILURE(writeSettings(QStringLiteral("{\"notificationDuration\": %1, \"focusDuration\": 1, \"mutedNotificationApps\": [\"%2\"]}")
                                                  .arg(bannerSeconds())
                                                  .arg(chat)));
    }
    void TearDown() override
    {
        DesktopAppTest::TearDown();
        server.kill();
        server.waitForFinished();
    }

    void writeSettings(const QString &json)
    {
        quib.writeDefaults(json.toUtf8());
    }

    void send(const QString &app)
    {
        QProcess notifySend;
        notifySend.start(QStringLiteral("notify-send"), {QStringLiteral("-a"), app, QStringLiteral("Título"), QStringLiteral("Texto")});
        ASSERT_TRUE(notifySend.waitForFinished(10000));
    }

    // The monitor shows only what arrives after it has opened the database,
    // which it does at one of its polls after launch: the notification is
    // sent again until a banner shows.
    bool showsBannerOnceReady(const QString &app)
    {
        if (!desktopClient.waitForNotch(closedNotch)
            || !waitUntil([&] { return QFileInfo::exists(apps.dataHome() + QStringLiteral("/quib/notifications.db")); }))
            return false;
        for (int attempt = 0; attempt < 5; ++attempt) {
            send(app);
            if (desktopClient.waitForNotch(bannerNotch, 4000))
                return true;
        }
        return false;
    }

    // Sends a notification of `app` once the notch is closed again, and
    // whether the notch stayed closed over two polls of the monitor and more.
    bool staysClosedAfter(const QString &app)
    {
        if (!desktopClient.waitForNotch(closedNotch, 15000))
            return false;
        send(app);
        return !waitUntil([&] { return isOpen(); }, 6000);
    }
    bool isOpen() const { return desktopClient.notchBounds().height() > closedNotch.height() + 1; }

    bool setShowBanners(bool show)
    {
        QProcess gsettings;
        gsettings.setProcessEnvironment(quib.environment());
        gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.notifications"),
                                                      QStringLiteral("show-banners"), show ? QStringLiteral("true") : QStringLiteral("false")});
        return gsettings.waitForFinished(15000) && gsettings.exitStatus() == QProcess::NormalExit && gsettings.exitCode() == 0;
    }

    // How many pixels of the notch's area on screen have about `colour`.
    int pixelsOf(const QColor &colour)
    {
        const QImage image = desktopClient.screenshot();
        const QRect area = desktopClient.notchBounds();
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor seen = image.pixelColor(x, y);
                if (std::abs(seen.red() - colour.red()) <= 16 && std::abs(seen.green() - colour.green()) <= 16
                    && std::abs(seen.blue() - colour.blue()) <= 16)
                    ++count;
            }
        }
        return count;
    }

    virtual int bannerSeconds() const { return 1; }

    SoundApps apps;
    QProcess server;
};

// The icon is loaded off the main thread and faded in: on a busy machine
// that can take longer than a one-second banner.
class AppNotificationIconE2eTest : public AppNotificationE2eTest {
protected:
    int bannerSeconds() const override { return 6; }
};

} // namespace

TEST_F(AppNotificationIconE2eTest, NotifySendShowsABannerWithTheApplicationsIcon)
{
    ASSERT_TRUE(showsBannerOnceReady(mail)) << "last seen " << desktopClient.last().width() << "x" << desktopClient.last().height();
    // The icon is drawn at some tens of pixels a side.
    EXPECT_TRUE(waitUntil([&] { return pixelsOf(mailIcon) > 100; }, 5000)) << pixelsOf(mailIcon) << " pixels of the icon";
    EXPECT_TRUE(app->isRunning());
}

TEST_F(AppNotificationE2eTest, AMutedApplicationShowsNothing)
{
    ASSERT_TRUE(showsBannerOnceReady(mail));
    EXPECT_TRUE(staysClosedAfter(chat));
    EXPECT_TRUE(app->isRunning());
}

TEST_F(AppNotificationE2eTest, NothingShowsWithTheDesktopsDoNotDisturbOn)
{
    ASSERT_TRUE(showsBannerOnceReady(mail));
    ASSERT_TRUE(desktopClient.waitForNotch(closedNotch));
    ASSERT_TRUE(setShowBanners(false));
    // The app's own record of the desktop's switch, which its focus monitor reads.
    ASSERT_TRUE(waitUntil([&] {
        QFile assertions(apps.dataHome() + QStringLiteral("/quib/focus/Assertions.json"));
        return assertions.open(QIODevice::ReadOnly) && assertions.readAll().contains("\"do-not-disturb\"");
    }));
    // The change is announced with the "Foco" strip beside the notch, and
    // then nothing shows.
    EXPECT_TRUE(waitUntil([&] { return desktopClient.notchBounds().width() > closedNotch.width() + 1; }));
    EXPECT_TRUE(staysClosedAfter(mail));
    EXPECT_TRUE(app->isRunning());
}
