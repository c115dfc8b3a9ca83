#include "Alerts/FocusMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/FocusFiles.h"
#include "QtPrinters.h"
#include "Support/AtomicFile.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(QUIB_TEST_FIXTURES "/focus/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A monitor watching a real folder: the file system reports the changes.
// Reads run at once; their results arrive through the event loop.
class FocusMonitorComponentTest : public ::testing::Test {
protected:
    FocusMonitorComponentTest()
    {
        fill(folder(), "assertions-work.json");
        monitor.emplace(model, folder(), [](std::function<void()> work) { work(); });
        QCoreApplication::sendPostedEvents();
    }

    static void fill(const QString &path, const char *assertions)
    {
        ASSERT_TRUE(AtomicFile::write(path + QStringLiteral("/ModeConfigurations.json"), fixture("ModeConfigurations.json")));
        ASSERT_TRUE(AtomicFile::write(path + QStringLiteral("/Assertions.json"), fixture(assertions)));
    }
    // Waits until the file system's reports have armed `count` timers.
    bool waitForPending(int count) { return waitUntil([&] { return platform.scheduler.pendingCount() >= count; }); }
    void advance(double seconds)
    {
        platform.scheduler.advance(seconds);
        QCoreApplication::sendPostedEvents();
    }
    QString folder() const { return directory.path() + QStringLiteral("/focus"); }
    std::optional<QString> alertTrailing() const
    {
        const std::optional<NotchAlert> alert = model.alerts.current();
        return alert ? alert->trailing : std::nullopt;
    }

    QTemporaryDir directory;
    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<FocusMonitor> monitor;
};

} // namespace

TEST_F(FocusMonitorComponentTest, AReplacedFileIsReadAfterTheDelay)
{
    ASSERT_EQ(monitor->activeName(), QStringLiteral("Trabalho"));
    ASSERT_EQ(platform.scheduler.pendingCount(), 0);
    ASSERT_TRUE(AtomicFile::write(folder() + QStringLiteral("/Assertions.json"), fixture("assertions-sleep.json")));
    ASSERT_TRUE(waitForPending(1));
    advance(FocusMonitor::readDelay);
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Sono"));
    EXPECT_EQ(alertTrailing(), QStringLiteral("On"));
}

TEST_F(FocusMonitorComponentTest, ADeletedFolderIsWaitedForAndWatchedAgain)
{
    ASSERT_TRUE(QDir(folder()).removeRecursively());
    ASSERT_TRUE(waitForPending(2)) << "a read and the retry";
    advance(FocusMonitor::readDelay);
    EXPECT_EQ(monitor->activeName(), std::nullopt);
    EXPECT_EQ(alertTrailing(), QStringLiteral("Off"));
    advance(FocusMonitor::retryInterval);
    EXPECT_FALSE(monitor->hasAccess());

    fill(folder(), "assertions-none.json");
    advance(FocusMonitor::retryInterval);
    ASSERT_TRUE(monitor->hasAccess());

    // The new folder is the one watched.
    ASSERT_TRUE(AtomicFile::write(folder() + QStringLiteral("/Assertions.json"), fixture("assertions-sleep.json")));
    ASSERT_TRUE(waitForPending(1));
    advance(FocusMonitor::readDelay);
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Sono"));
    EXPECT_EQ(alertTrailing(), QStringLiteral("On"));
}

TEST_F(FocusMonitorComponentTest, AFolderReplacedByAnotherIsFollowed)
{
    const QString aside = directory.path() + QStringLiteral("/old");
    ASSERT_TRUE(QDir().rename(folder(), aside));
    fill(folder(), "assertions-sleep.json");
    ASSERT_TRUE(waitForPending(2)) << "a read and the retry";
    advance(FocusMonitor::retryInterval);
    EXPECT_TRUE(monitor->hasAccess());
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Sono"));

    // Only the folder now in place counts.
    ASSERT_TRUE(AtomicFile::write(aside + QStringLiteral("/Assertions.json"), fixture("assertions-none.json")));
    ASSERT_TRUE(AtomicFile::write(folder() + QStringLiteral("/Assertions.json"), fixture("assertions-work.json")));
    ASSERT_TRUE(waitForPending(1));
    advance(FocusMonitor::readDelay);
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Trabalho"));
    EXPECT_EQ(platform.scheduler.pendingCount(), 1) << "only the alert's hide is left";
}
