#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "PulseServer.h"
#include "QtPrinters.h"
#include "QuibProcess.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The real app on a private bus, offscreen, its log kept.
class QuibLifecycleTest : public ::testing::Test {
protected:
    QuibLifecycleTest()
    {
        // Log lines go to standard error even where Qt would send them to
        // the system journal.
        quib.environment().insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    }
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    PrivateBus bus;
    QDBusConnection observerConnection = bus.connect(QStringLiteral("observer"));
    QuibProcess quib;
};

} // namespace

TEST_F(QuibLifecycleTest, TerminationSignalsQuitCleanlyWithStatusZero)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        RunningQuib app(quib, RunningQuib::ErrorOutput::captured);
        ASSERT_TRUE(app.waitUntilReady(observerConnection));
        ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), signal), 0);
        EXPECT_EQ(app.waitForExit(), 0);
        EXPECT_TRUE(app.errorOutput().contains(QStringLiteral("Quib: quitting"))) << app.errorOutput().toStdString();
    }
}

TEST_F(QuibLifecycleTest, SecondLaunchAsksTheRunningAppToReopenAndEnds)
{
    RunningQuib app(quib, RunningQuib::ErrorOutput::captured);
    ASSERT_TRUE(app.waitUntilReady(observerConnection));

    const auto second = quib.run({});
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains(QStringLiteral("Quib: Quib is already running; asked it to reopen"))) << second.err.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.errorOutput().contains(QStringLiteral("Quib: settings opened on the page general")); }, 5000))
        << app.errorOutput().toStdString();
    EXPECT_TRUE(app.isRunning());
}

// Quitting right after Control+Alt+M muted the sound server's microphone: the
// unmute has reached the server before the process ends.
TEST_F(QuibLifecycleTest, QuittingRightAfterTheShortcutMutedTheMicrophoneUnmutesIt)
{
    PulseServer sound;
    ASSERT_TRUE(sound.isReady()) << sound.log().constData();
    PrivateDisplay display;
    ASSERT_TRUE(display.isRunning());
    // The shortcut is taken on this X server; the panels stay offscreen.
    quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
    quib.environment().insert(QStringLiteral("PULSE_SERVER"), QString::fromUtf8(qgetenv("PULSE_SERVER")));
    RunningQuib app(quib, RunningQuib::ErrorOutput::captured);
    ASSERT_TRUE(app.waitUntilReady(observerConnection));
    // The app answers a reopen request only once launching has finished,
    // and by then the shortcut is taken.
    ASSERT_TRUE(quib.run({}).finished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.errorOutput().contains(QStringLiteral("Quib: settings opened")); }, 5000))
        << app.errorOutput().toStdString();

    display.xdotool({"key", "ctrl+alt+m"});
    ASSERT_TRUE(waitUntil([] { return PulseServer::pactl({"get-source-mute", "mic"}) == "Mute: yes"; }))
        << app.errorOutput().toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(), 0);
    EXPECT_EQ(PulseServer::pactl({"get-source-mute", "mic"}), "Mute: no");
    EXPECT_TRUE(app.errorOutput().contains(QStringLiteral("Quib: microphone unmuted before quitting"))) << app.errorOutput().toStdString();
}

TEST_F(QuibLifecycleTest, QuittingWithNothingChangedLeavesTheSettingsFileAsItWas)
{
    // Pending settings are written as the app ends; with none, the user's
    // file is neither rewritten nor copied.
    const QString path = quib.environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/quib/defaults.json");
    const QByteArray original = "{\"openWidth\": 150, \"handEdited\": true}";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    RunningQuib app(quib);
    ASSERT_TRUE(app.waitUntilReady(observerConnection));
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(), 0);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".backup")));
}
