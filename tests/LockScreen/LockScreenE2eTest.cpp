// The real app under Xvfb with a scripted MPRIS player on a private session
// bus: the screen locker's ActiveChanged signal shows the lock-screen player
// at its place with the song, its play button reaches the player, and the
// end of the lock takes it away; the diagnostic "lock-preview" shows it on
// the desktop.

#include "LockScreen/LockScreenController.h"
#include "LockScreen/LockScreenPlayerView.h"
#include "DesktopAppTest.h"
#include "ScriptedPlayer.h"
#include "Wait.h"

#include <QDir>
#include <QFile>

namespace {

// On the 1280 × 800 display: centred, the bottom edge round(0.24 × 800) =
// 192 above the bottom, so the 640-high panel starts 32 above the top edge.
const QRect playerFrame(420, -32, 440, 640);

class LockScreenE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        // The volume row depends on the sound server; without it the card's
        // layout is fixed.
        quib.writeDefaults(QByteArray("{\"debugHooks\": true, \"lockShowVolume\": false}"));
        ASSERT_TRUE(player.start(QStringLiteral("e2e")));
        ASSERT_TRUE(player.run(QStringLiteral(R"x(metadata {"title": "Canção", "artist": ["Artista"], "length": 200000000, "trackid": "/t/1"})x")));
        ASSERT_TRUE(player.run(QStringLiteral("status Playing")));
    }

    static void dbusSend(const QStringList &arguments)
    {
        QProcess send;
        send.start(QStringLiteral("dbus-send"), QStringList{QStringLiteral("--session"), QStringLiteral("--type=signal")} + arguments);
        ASSERT_TRUE(send.waitForFinished(10000));
        ASSERT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
    }
    // The screen locker announces its state, as a locker on the desktop does.
    static void screenSaverActive(bool active)
    {
        dbusSend({QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver.ActiveChanged"),
                  active ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false")});
    }
    static void debug(const QString &word)
    {
        dbusSend({QStringLiteral("/com/brenvask/Quib"), QStringLiteral("com.brenvask.Quib.debug"), QStringLiteral("string:") + word,
                  QStringLiteral("dict:string:string:")});
    }

    // Whether the X server maps a window of the player panel's size at its
    // place.
    bool playerWindowMapped() const
    {
        QProcess info;
        info.start(QStringLiteral("xwininfo"), {QStringLiteral("-display"), display.name(), QStringLiteral("-root"), QStringLiteral("-children")});
        if (!info.waitForFinished(10000))
            return false;
        const QString geometry = QStringLiteral("%1x%2+%3+%4").arg(playerFrame.width()).arg(playerFrame.height()).arg(playerFrame.x()).arg(playerFrame.y());
        return QString::fromUtf8(info.readAllStandardOutput()).contains(geometry);
    }

    // The compact card with progress and without volume or weather.
    static LockScreenPlayerView::Layout cardLayout()
    {
        LockScreenPlayerView::Form form;
        form.showsPlayer = true;
        return LockScreenPlayerView::layout(form);
    }
    static QPoint onScreen(const QPointF &inPanel) { return (inPanel + QPointF(playerFrame.topLeft())).toPoint(); }

    // Light ink (text) in `area` of the panel.
    bool showsText(const QRectF &area) const
    {
        const QImage shot = desktopClient.screenshot();
        const QRect region = QRect(onScreen(area.topLeft()), onScreen(area.bottomRight())).intersected(shot.rect());
        for (int y = region.top(); y <= region.bottom(); ++y) {
            for (int x = region.left(); x <= region.right(); ++x) {
                if (qGray(shot.pixel(x, y)) > 200)
                    return true;
            }
        }
        return false;
    }
    // The desktop's white shows where the card's middle is.
    bool cardGone() const
    {
        const QImage shot = desktopClient.screenshot();
        return !shot.isNull() && qGray(shot.pixel(onScreen(cardLayout().card.center()))) > 240;
    }

    ScriptedPlayer player;
};

} // namespace

TEST_F(LockScreenE2eTest, TheLockersSignalShowsThePlayerUntilItEnds)
{
    screenSaverActive(true);
    ASSERT_TRUE(waitUntil([&] { return playerWindowMapped(); }, 8000)) << "a 440 × 640 window at the place of the player";
    const LockScreenPlayerView::Layout layout = cardLayout();
    EXPECT_TRUE(waitUntil([&] { return showsText(layout.title); }, 8000)) << "the song's title";

    // The card has settled; the play button reaches the player.
    display.movePointer(onScreen(layout.buttons[2].center()));
    display.xdotool({QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return player.hasCall(QStringLiteral("PlayPause")); }, 5000));

    screenSaverActive(false);
    EXPECT_TRUE(waitUntil([&] { return cardGone() && !playerWindowMapped(); }, 8000));
}

TEST_F(LockScreenE2eTest, ThePreviewShowsThePlayerOnTheDesktop)
{
    // The diagnostic channel is armed at the end of the launch, which the
    // test cannot see: the command is sent again until the panel shows (a
    // preview again only restarts its 20 s).
    ASSERT_TRUE(waitUntil(
        [&] {
            debug(QStringLiteral("lock-preview"));
            return waitUntil([&] { return playerWindowMapped(); }, 500);
        },
        8000));
    EXPECT_TRUE(waitUntil([&] { return showsText(cardLayout().title); }, 8000));
}
