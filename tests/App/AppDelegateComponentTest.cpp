// The delegate's quit with a real media bridge child: /usr/bin/perl running
// the scripted stand-in for the bridge (tests/fixtures/bridge).

#include "App/AppDelegate.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList launches(const QString &control)
{
    QFile file(control + QStringLiteral(".launches"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(AppDelegateBridgeTest, QuitEndsTheMediaBridgeForGood)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    qputenv("XDG_DATA_HOME", folder.path().toUtf8());
    const QString control = folder.filePath(QStringLiteral("control"));
    {
        QFile file(control);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("interactive");
    }
    FakePlatform platform;
    AppDelegate delegate(platform.services(), MediaBridgeProcess::Files{QStringLiteral(QUIB_TEST_FIXTURES "/bridge/scripted-bridge.pl"), control});
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(waitUntil([&] { return launches(control).size() == 1; })) << "the launch started the bridge";
    const QString bridgeProcess = QStringLiteral("/proc/") + launches(control).first();
    ASSERT_TRUE(QFileInfo::exists(bridgeProcess));

    delegate.applicationWillTerminate();
    EXPECT_TRUE(waitUntil([&] { return !QFileInfo::exists(bridgeProcess); })) << "the bridge process ended";
    platform.scheduler.advance(MediaBridgeProcess::longestRestartDelay * 2);
    EXPECT_EQ(launches(control).size(), 1) << "and is not started again";
    qunsetenv("XDG_DATA_HOME");
}
