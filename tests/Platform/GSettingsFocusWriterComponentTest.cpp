#include "Alerts/FocusMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/FocusFiles.h"
#include "Platform/Linux/GSettingsFocusWriter.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The desktop's settings live in a key file of this test's own, which the
// `gsettings` tool (another process, as the desktop's settings panel would
// be) changes and the writer's settings object follows.
class GSettingsFocusWriterComponentTest : public ::testing::Test {
protected:
    // The process's settings backend is picked once, with the folder of the
    // first settings object: every test shares it, and sets the switch it
    // starts from.
    static void SetUpTestSuite()
    {
        static QTemporaryDir configuration;
        qputenv("XDG_CONFIG_HOME", configuration.path().toUtf8());
        qputenv("GSETTINGS_BACKEND", "keyfile");
    }

    static bool setShowBanners(bool show)
    {
        QProcess gsettings;
        gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.notifications"),
                                                      QStringLiteral("show-banners"), show ? QStringLiteral("true") : QStringLiteral("false")});
        return gsettings.waitForFinished(15000) && gsettings.exitStatus() == QProcess::NormalExit && gsettings.exitCode() == 0;
    }
    std::optional<QString> activeMode() const { return FocusMonitor::activeModeIdentifier(folder()); }
    QString folder() const { return data.path() + QStringLiteral("/focus"); }

    QTemporaryDir data;
};

} // namespace

TEST_F(GSettingsFocusWriterComponentTest, WritesTheDesktopsSwitchAtOnceAndOnEachChange)
{
    ASSERT_TRUE(setShowBanners(false));
    GSettingsFocusWriter writer(folder());
    ASSERT_TRUE(waitUntil([&] { return activeMode() == FocusFiles::doNotDisturbIdentifier(); }));
    EXPECT_EQ(FocusMonitor::modeInfo(folder(), FocusFiles::doNotDisturbIdentifier()),
              (FocusMonitor::ModeInfo{QStringLiteral("Foco"), QStringLiteral("moon.fill")}));

    ASSERT_TRUE(setShowBanners(true));
    EXPECT_TRUE(waitUntil([&] { return activeMode() == std::nullopt; }));
    ASSERT_TRUE(setShowBanners(false));
    EXPECT_TRUE(waitUntil([&] { return activeMode() == FocusFiles::doNotDisturbIdentifier(); }));
}

TEST_F(GSettingsFocusWriterComponentTest, TheMonitorAnnouncesTheDesktopsDoNotDisturb)
{
    FakePlatform platform;
    AppModel model{platform.services()};
    ASSERT_TRUE(setShowBanners(true));
    GSettingsFocusWriter writer(folder());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(folder() + QStringLiteral("/Assertions.json")) && !activeMode(); }));
    FocusMonitor monitor(model, folder(), [](std::function<void()> work) { work(); });
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(monitor.hasAccess());
    ASSERT_EQ(monitor.activeName(), std::nullopt);

    ASSERT_TRUE(setShowBanners(false));
    ASSERT_TRUE(waitUntil([&] { return platform.scheduler.pendingCount() > 0 && activeMode(); }));
    platform.scheduler.advance(FocusMonitor::readDelay);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(monitor.activeName(), QStringLiteral("Foco"));
    ASSERT_TRUE(model.alerts.current());
    EXPECT_EQ(model.alerts.current()->symbol, QStringLiteral("moon.fill"));
    EXPECT_EQ(model.alerts.current()->trailing, QStringLiteral("On"));
}

// A monitor started with the app finds the folder at once, and a start
// with the desktop's switch as it was leaves the files as they are, so
// nobody watching them takes it for a change.
TEST_F(GSettingsFocusWriterComponentTest, MakesTheFolderAtOnceAndRewritesNothingUnchanged)
{
    ASSERT_TRUE(setShowBanners(false));
    const QString assertions = folder() + QStringLiteral("/Assertions.json");
    {
        GSettingsFocusWriter writer(folder());
        EXPECT_TRUE(QFileInfo(folder()).isDir());
        ASSERT_TRUE(waitUntil([&] { return activeMode() == FocusFiles::doNotDisturbIdentifier(); }));
    }
    struct stat first{};
    ASSERT_EQ(::stat(QFile::encodeName(assertions).constData(), &first), 0);
    {
        GSettingsFocusWriter writer(folder());
    }
    struct stat second{};
    ASSERT_EQ(::stat(QFile::encodeName(assertions).constData(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
    EXPECT_EQ(activeMode(), FocusFiles::doNotDisturbIdentifier());
}
