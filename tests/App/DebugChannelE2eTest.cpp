// The real app under Xvfb, started with "debugHooks" true: diagnostic
// commands sent with dbus-send on the private session bus bring the notch
// into each state, as scripts/notch-states does for screenshots.

#include "DesktopAppTest.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace {

// The display has no top panel: the simulated notch is 190 × 32.
const QSize closed(190, 32);
// The demo volume strip: a side of 92 on each side.
const QSize volumeStrip(190 + 2 * 92, 32);
const QSize banner(380, 32 + 72);
// The mixer with its one row when no application plays.
const QSize mixer(420, 32 + 47 + 32);
// The timer strip: a side of 72 on each side.
const QSize timerStrip(190 + 2 * 72, 32);
// The peek: 90 wider than the notch and 26 taller.
const QSize peek(190 + 90, 32 + 26);
// The open panel with both columns, whose wide ears taper further.
const QSize open(490, 32 + 150);
constexpr int openEarAllowance = 10;

class DebugChannelE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        quib.writeDefaults(QByteArray("{\"debugHooks\": true}"));
    }

    // Sends a command as a developer does.
    void send(const QString &word)
    {
        QProcess dbusSend;
        dbusSend.start(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--type=signal"), QStringLiteral("/com/brenvask/Quib"),
                                                     QStringLiteral("com.brenvask.Quib.debug"), QStringLiteral("string:") + word,
                                                     QStringLiteral("dict:string:string:")});
        ASSERT_TRUE(dbusSend.waitForFinished(10000));
        ASSERT_EQ(dbusSend.exitCode(), 0) << dbusSend.readAllStandardError().toStdString();
    }

    ::testing::AssertionResult shows(const QSize &size, int milliseconds = 8000)
    {
        if (desktopClient.waitForNotch(size, milliseconds))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "wanted " << size.width() << "x" << size.height() << ", last seen " << desktopClient.last().width()
                                             << "x" << desktopClient.last().height();
    }
};

} // namespace

TEST_F(DebugChannelE2eTest, OpenAndClose)
{
    ASSERT_TRUE(shows(closed));
    send(QStringLiteral("open"));
    QRect seen;
    EXPECT_TRUE(waitUntil(
        [&] {
            seen = desktopClient.notchBounds();
            return seen.top() == 0 && std::abs(seen.height() - open.height()) <= 1 && seen.width() <= open.width()
                && seen.width() >= open.width() - openEarAllowance;
        },
        8000))
        << "last seen " << seen.width() << "x" << seen.height();
    send(QStringLiteral("close"));
    EXPECT_TRUE(shows(closed));
}

TEST_F(DebugChannelE2eTest, VolumeStripThenBanner)
{
    ASSERT_TRUE(shows(closed));
    send(QStringLiteral("demo-volume"));
    EXPECT_TRUE(shows(volumeStrip));
    EXPECT_TRUE(shows(closed)) << "the strip goes after its 3 s";
    send(QStringLiteral("demo-banner"));
    EXPECT_TRUE(shows(banner));
}

// Nothing moves the pointer, so only the command closes the mixer; the
// volume strip shown with it goes after its 3 s.
TEST_F(DebugChannelE2eTest, MixerOpensAndCloses)
{
    ASSERT_TRUE(shows(closed));
    send(QStringLiteral("demo-mixer"));
    EXPECT_TRUE(shows(mixer));
    send(QStringLiteral("demo-mixer-close"));
    EXPECT_TRUE(shows(closed));
}

TEST_F(DebugChannelE2eTest, PeekOverTheTimer)
{
    ASSERT_TRUE(shows(closed));
    send(QStringLiteral("demo-timer"));
    EXPECT_TRUE(shows(timerStrip));
    send(QStringLiteral("demo-peek-long"));
    EXPECT_TRUE(shows(peek));
    EXPECT_TRUE(shows(timerStrip)) << "the peek goes after its 4.5 s";
}

TEST_F(DebugChannelE2eTest, QuitEndsTheApp)
{
    ASSERT_TRUE(shows(closed));
    send(QStringLiteral("quit"));
    EXPECT_EQ(app->waitForExit(10000), 0);
}
