// The real app under Xvfb with a scripted MPRIS player on a private session
// bus: hovering the notch opens the panel with its player and calendar
// columns, and the player's buttons and scrub bar reach the player.

#include "Notch/OpenNotchContent.h"
#include "Notch/PlayerSection.h"
#include "Notch/PlayerTimeRow.h"
#include "DesktopAppTest.h"
#include "ScriptedPlayer.h"
#include "Wait.h"

namespace {

// The private display has no top panel: a simulated notch 32 high; the open
// panel with both columns is 490 × (32 + 150).
constexpr double notchHeight = 32;
const QSizeF openSize(490, notchHeight + 150);

class OpenPanelE2eTest : public DesktopAppTest {
protected:
    void beforeLaunch() override
    {
        ASSERT_TRUE(player.start(QStringLiteral("e2e")));
        ASSERT_TRUE(player.run(QStringLiteral(R"x(metadata {"title": "Canção", "artist": ["Artista"], "length": 200000000, "trackid": "/t/1"})x")));
        ASSERT_TRUE(player.run(QStringLiteral("status Playing")));
    }

    // A point of the open content, in screen coordinates: the content hangs
    // from the top centre of the screen.
    QPoint onScreen(const QPointF &inContent) const
    {
        return QPointF((desktop.width() - openSize.width()) / 2 + inContent.x(), inContent.y()).toPoint();
    }
    void clickAt(const QPoint &point)
    {
        display.movePointer(point);
        display.xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }
    bool receives(const QString &call) { return waitUntil([&] { return player.hasCall(call); }, 5000); }

    ScriptedPlayer player;
};

// Whether `area` of the screenshot holds light ink (text, symbols) on the
// panel's black.
bool hasLightInk(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) > 160)
                return true;
        }
    }
    return false;
}

} // namespace

TEST_F(OpenPanelE2eTest, HoverOpensThePanelAndItsControlsReachThePlayer)
{
    // Hovering the notch opens it to the two-column panel.
    display.movePointer(QPoint(desktop.width() / 2, 10));
    // The open silhouette's ears (radius 14) taper further than the
    // closed notch's, so more of their outermost pixels stay light.
    QRect seen;
    ASSERT_TRUE(waitUntil(
        [&] {
            seen = desktopClient.notchBounds();
            return seen.top() == 0 && std::abs(seen.height() - openSize.height()) <= 1 && seen.width() <= openSize.width()
                && seen.width() >= openSize.width() - 10 && std::abs(seen.center().x() + 0.5 - desktop.width() / 2.0) <= 1;
        },
        8000))
        << "last seen " << seen.width() << "x" << seen.height();

    // Where the columns are: the player's position does not depend on the
    // calendar column's height while that column fits the row.
    const double playerHeight = PlayerSection::layout(0, true, false).height;
    const auto columns = OpenNotchContent::layout(openSize, notchHeight, {true, true, true}, playerHeight, 0);
    const QRectF playerColumn = *columns.player;
    const PlayerSection::Layout section = PlayerSection::layout(playerColumn.width(), true, false);
    const QPointF origin = playerColumn.topLeft();

    // Both columns draw: the player's title and the calendar's day number.
    const QImage shot = desktopClient.screenshot();
    ASSERT_FALSE(shot.isNull());
    const QRectF title = section.title.translated(origin);
    EXPECT_TRUE(hasLightInk(shot, QRect(onScreen(title.topLeft()), onScreen(title.bottomRight()))));
    // The calendar column is centred on the row: somewhere in its band.
    const QRectF calendarBand(columns.calendar->left(), notchHeight + 8, columns.calendar->width(), openSize.height() - notchHeight - 8 - 14);
    EXPECT_TRUE(hasLightInk(shot, QRect(onScreen(calendarBand.topLeft()), onScreen(calendarBand.bottomRight()))));
    // Nothing but black between the columns, apart from the divider.
    const double gapLeft = columns.player->right() + 1;
    EXPECT_FALSE(hasLightInk(shot, QRect(onScreen(QPointF(gapLeft, notchHeight + 8)), onScreen(QPointF(columns.divider->left() - 2, 150)))));

    // The controls reach the player through the app's media bridge.

    clickAt(onScreen(section.buttons[1].center() + origin));
    EXPECT_TRUE(receives(QStringLiteral("PlayPause")));
    clickAt(onScreen(section.buttons[2].center() + origin));
    EXPECT_TRUE(receives(QStringLiteral("Next")));

    // Three quarters along the scrub bar of a 200-second song.
    const QRectF bar = PlayerTimeRow::layout(section.timeRow.width()).bar.translated(section.timeRow.topLeft() + origin);
    clickAt(onScreen(QPointF(bar.left() + bar.width() * 0.75, bar.center().y())));
    std::optional<QString> seek;
    ASSERT_TRUE(waitUntil([&] { return (seek = player.takeCall(QStringLiteral("SetPosition /t/1 "))).has_value(); }, 5000));
    const double seconds = seek->section(QLatin1Char(' '), 2).toDouble() / 1e6;
    // The pointer lands on a whole pixel: within one pixel's share of the
    // song.
    EXPECT_NEAR(seconds, 150, 200 / bar.width());
}
