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

namespace {

// The desktop's settings live in a key file of this test's own, which the
// `gsettings` tool (another process, as the desktop's settings panel would
// be) changes and the writer's settings object follows.
class GSettingsFocusWriterComponentTest : public ::testing::Test {
protected:
    GSettingsFocusWriterComponentTest()
    {
        // Set before the process's first settings object picks its backend.
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

    QTemporaryDir configuration;
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
    GSettingsFocusWriter writer(folder());
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(folder() + QStringLiteral("/Assertions.json")); }));
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
