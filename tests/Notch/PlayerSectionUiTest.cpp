#include "App/AppModel.h"
#include "Notch/PlayerSection.h"
#include "Notch/PlayerTimeRow.h"
#include "Platform/Fake/FakePlatform.h"
#include "SceneDriver.h"
#include "Shared/MarqueeText.h"
#include "Shared/WaveformView.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

constexpr double width = 300;
const QString player = QStringLiteral("org.example.Player");

class PlayerSectionUi : public ::testing::Test {
protected:
    PlayerSectionUi()
    {
        platform.workspace.addApplication(321, 1, player);
        platform.workspace.installed.insert(player, {QStringLiteral("/usr/share/applications/org.example.Player.desktop"), player});
        driver.scene.addItem(section);
        section->setWidth(width);
        driver.show(QRectF(0, 0, width, 120));
    }

    // A report of the player at process 321.
    void report(bool playing, double duration = 200, double elapsed = 0, const QString &title = QStringLiteral("Canção"))
    {
        app.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                          {QStringLiteral("playing"), playing ? 1 : 0},
                                          {QStringLiteral("pid"), 321},
                                          {QStringLiteral("appName"), QStringLiteral("Tocador")},
                                          {QStringLiteral("title"), title},
                                          {QStringLiteral("artist"), QStringLiteral("Artista")},
                                          {QStringLiteral("duration"), duration},
                                          {QStringLiteral("elapsed"), elapsed}});
    }
    QRectF buttonRect(int index) const { return section->layout().buttons.at(index); }
    QRectF bar() const { return section->timeRow()->layout().bar.translated(section->layout().timeRow.topLeft()); }

    FakePlatform platform;
    AppModel app{platform.services()};
    SceneDriver driver;
    PlayerSection *section = new PlayerSection(app);
};

TEST_F(PlayerSectionUi, LayoutOfHeaderTimeRowAndTransport)
{
    report(true);
    const auto layout = section->layout();
    EXPECT_EQ(layout.artwork, QRectF(0, 0, 52, 52));
    EXPECT_DOUBLE_EQ(layout.title.left(), 52 + 12);
    EXPECT_DOUBLE_EQ(layout.title.height(), 20);
    EXPECT_DOUBLE_EQ(layout.artist.top(), layout.title.bottom() + 3);
    // The text column is centred on the artwork.
    EXPECT_NEAR(layout.title.top() + (layout.artist.bottom() - layout.title.top()) / 2, 26, 0.01);
    ASSERT_TRUE(layout.waveform);
    EXPECT_EQ(layout.waveform->size(), QSizeF(16, 12));
    EXPECT_DOUBLE_EQ(layout.waveform->right(), width);
    EXPECT_EQ(layout.timeRow, QRectF(0, 62, width, 12));
    // Three 38 × 34 buttons 16 apart, centred, 4 points below the time row.
    ASSERT_EQ(layout.buttons.size(), 3);
    EXPECT_DOUBLE_EQ(layout.buttons[0].top(), 78);
    EXPECT_DOUBLE_EQ(layout.buttons[1].left(), layout.buttons[0].right() + 16);
    EXPECT_NEAR(layout.buttons[1].center().x(), width / 2, 0.01);
    EXPECT_DOUBLE_EQ(section->height(), 112);
    EXPECT_EQ(section->buttons()[0]->symbol(), QStringLiteral("backward.fill"));
    EXPECT_DOUBLE_EQ(section->buttons()[0]->size(), 18);
    EXPECT_EQ(section->buttons()[1]->symbol(), QStringLiteral("pause.fill"));
    EXPECT_DOUBLE_EQ(section->buttons()[1]->size(), 26);
    EXPECT_EQ(section->buttons()[2]->symbol(), QStringLiteral("forward.fill"));

    const QImage image = driver.render(QRectF(0, 0, width, 112));
    // The play button's symbol is drawn white inside its frame; the artist
    // line stays in its space.
    EXPECT_FALSE(Rendering::inkBounds(image, layout.buttons[1].toAlignedRect()).isEmpty());
    const QRect artist = Rendering::inkBounds(image, layout.artist.toAlignedRect().adjusted(0, 0, 0, -1));
    EXPECT_FALSE(artist.isEmpty());
    ASSERT_FALSE(app.nowPlaying.appName().isEmpty());
    EXPECT_EQ(section->artworkButton()->toolTip(), QStringLiteral("Abrir no ") + app.nowPlaying.appName());
}

TEST_F(PlayerSectionUi, ATitleThatFitsStartsWhereTheArtistDoes)
{
    // Without media, then a short title, then a title after the cross-fade:
    // each fits its column and is drawn from its leading edge.
    const auto leftEdges = [this] {
        const QImage image = driver.render(QRectF(0, 0, width, 112));
        const auto layout = section->layout();
        return std::pair(Rendering::inkBounds(image, layout.title.toAlignedRect()).left(),
                         Rendering::inkBounds(image, layout.artist.toAlignedRect()).left());
    };
    const auto expectAligned = [&](const QString &title) {
        SCOPED_TRACE(title.toStdString());
        EXPECT_EQ(section->titleText(), title);
        ASSERT_FALSE(section->title()->overflows());
        const auto [titleLeft, artistLeft] = leftEdges();
        // The letters' own side bearings differ by a pixel or two.
        EXPECT_NEAR(titleLeft, section->layout().title.left(), 2);
        EXPECT_NEAR(artistLeft, section->layout().artist.left(), 2);
        EXPECT_NEAR(titleLeft, artistLeft, 2);
    };
    expectAligned(QStringLiteral("Nada tocando"));
    report(true, 200, 0, QStringLiteral("Samba"));
    platform.scheduler.advance(PlayerSection::textChangeDuration);
    expectAligned(QStringLiteral("Samba"));
}

TEST_F(PlayerSectionUi, WithoutMediaTheControlsAreDimmedAndInert)
{
    EXPECT_EQ(section->titleText(), QStringLiteral("Nada tocando"));
    EXPECT_EQ(section->artistText(), QStringLiteral("Dê play em algum app"));
    EXPECT_FALSE(section->areControlsEnabled());
    EXPECT_FALSE(section->waveform()->isVisible());
    EXPECT_FALSE(section->layout().waveform);
    EXPECT_EQ(section->artworkButton()->toolTip(), QString());

    driver.click(buttonRect(1).center());
    EXPECT_FALSE(app.nowPlaying.isPlaying());
    driver.click(bar().center());
    EXPECT_FALSE(section->timeRow()->dragFraction());

    // The play button is drawn at 0.4 of its brightness.
    report(true);
    const QRect lit = Rendering::inkBounds(driver.render(QRectF(0, 0, width, 112)), buttonRect(1).toAlignedRect());
    ASSERT_FALSE(lit.isEmpty());
    const QImage bright = driver.render(QRectF(0, 0, width, 112));
    int brightest = 0;
    for (int y = lit.top(); y <= lit.bottom(); ++y)
        for (int x = lit.left(); x <= lit.right(); ++x)
            brightest = std::max(brightest, qGray(bright.pixel(x, y)));
    EXPECT_EQ(brightest, 255);
    app.nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), 0}});
    ASSERT_FALSE(app.nowPlaying.hasMedia());
    const QImage dim = driver.render(QRectF(0, 0, width, 112));
    int dimmest = 0;
    for (int y = lit.top(); y <= lit.bottom(); ++y)
        for (int x = lit.left(); x <= lit.right(); ++x)
            dimmest = std::max(dimmest, qGray(dim.pixel(x, y)));
    EXPECT_NEAR(dimmest, 102, 3);

    // The artwork still opens the last player.
    driver.click(section->layout().artwork.center());
    EXPECT_EQ(platform.workspace.opened, QStringList{QStringLiteral("/usr/share/applications/org.example.Player.desktop")});
}

TEST_F(PlayerSectionUi, PlayPauseFlipsAtOnce)
{
    report(true);
    driver.click(buttonRect(1).center());
    EXPECT_FALSE(app.nowPlaying.isPlaying());
    EXPECT_EQ(section->buttons()[1]->symbol(), QStringLiteral("play.fill"));
    driver.click(buttonRect(1).center());
    EXPECT_TRUE(app.nowPlaying.isPlaying());
    EXPECT_EQ(section->buttons()[1]->symbol(), QStringLiteral("pause.fill"));
}

TEST_F(PlayerSectionUi, ExtraButtonBySetting)
{
    report(true);
    struct Case {
        ExtraButton button;
        int shuffleMode, repeatMode;
        std::optional<PlayerSection::ExtraButtonLook> expected;
    };
    const Case cases[] = {
        {ExtraButton::none, 1, 1, std::nullopt},
        {ExtraButton::shuffle, 0, 0, PlayerSection::ExtraButtonLook{QStringLiteral("shuffle"), false}},
        {ExtraButton::shuffle, 1, 0, PlayerSection::ExtraButtonLook{QStringLiteral("shuffle"), true}},
        {ExtraButton::repeatMode, 0, 0, PlayerSection::ExtraButtonLook{QStringLiteral("repeat"), false}},
        {ExtraButton::repeatMode, 0, 1, PlayerSection::ExtraButtonLook{QStringLiteral("repeat.1"), true}},
        {ExtraButton::repeatMode, 0, 2, PlayerSection::ExtraButtonLook{QStringLiteral("repeat"), true}},
        {ExtraButton::copy, 0, 0, PlayerSection::ExtraButtonLook{QStringLiteral("link"), false}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.button) * 100 + c.shuffleMode * 10 + c.repeatMode);
        EXPECT_EQ(PlayerSection::extraButtonLook(c.button, c.shuffleMode, c.repeatMode, false), c.expected);
    }

    EXPECT_EQ(section->buttons().size(), 3);
    app.preferences.extraButton.setValue(ExtraButton::repeatMode);
    ASSERT_EQ(section->buttons().size(), 4);
    ASSERT_EQ(section->layout().buttons.size(), 4);
    MediaButton *repeat = section->buttons()[3];
    EXPECT_DOUBLE_EQ(repeat->size(), 13);
    EXPECT_EQ(repeat->symbol(), QStringLiteral("repeat"));
    EXPECT_EQ(repeat->symbolColor(), QColor(Qt::white));
    driver.click(buttonRect(3).center());
    EXPECT_EQ(app.nowPlaying.repeatMode(), 1);
    EXPECT_EQ(repeat->symbol(), QStringLiteral("repeat.1"));
    EXPECT_TRUE(repeat->isActive());
    EXPECT_NE(repeat->symbolColor(), QColor(Qt::white));

    app.preferences.extraButton.setValue(ExtraButton::shuffle);
    driver.click(buttonRect(3).center());
    EXPECT_EQ(app.nowPlaying.shuffleMode(), 1);
    EXPECT_TRUE(section->buttons()[3]->isActive());
}

TEST_F(PlayerSectionUi, CopyConfirmationEndsOnePointTwoSecondsAfterTheFirstPress)
{
    report(true);
    app.preferences.extraButton.setValue(ExtraButton::copy);
    auto *copy = static_cast<CopyButton *>(section->buttons()[3]);
    driver.click(buttonRect(3).center());
    EXPECT_EQ(platform.workspace.clipboard, QStringLiteral("Canção — Artista"));
    EXPECT_TRUE(copy->isCopied());
    EXPECT_EQ(copy->symbol(), QStringLiteral("checkmark"));
    EXPECT_TRUE(copy->isActive());
    platform.scheduler.advance(0.8);
    driver.click(buttonRect(3).center());
    platform.scheduler.advance(0.41);
    EXPECT_FALSE(copy->isCopied()) << "the first press's reset is not cancelled by the second";
    EXPECT_EQ(copy->symbol(), QStringLiteral("link"));
    platform.scheduler.advance(1);
    EXPECT_FALSE(copy->isCopied());
}

TEST_F(PlayerSectionUi, ScrubBarSeeksOnceOnRelease)
{
    report(false, 200, 20);
    const QRectF track = bar();
    // A press and release without movement seeks to the pressed point.
    driver.click(QPointF(track.left() + track.width() * 0.75, track.center().y()));
    EXPECT_NEAR(app.nowPlaying.elapsed(platform.scheduler.monotonicNow()), 150, 0.01);

    // While dragging, the times follow the pointer and nothing is sent.
    driver.press(QPointF(track.left() + 10, track.center().y()));
    ASSERT_TRUE(section->timeRow()->dragFraction());
    driver.drag(QPointF(track.right() + 50, track.center().y()));
    EXPECT_DOUBLE_EQ(*section->timeRow()->dragFraction(), 1);
    EXPECT_EQ(section->timeRow()->content().elapsedText, QStringLiteral("3:20"));
    EXPECT_EQ(section->timeRow()->content().remainingText, QStringLiteral("-0:00"));
    EXPECT_NEAR(app.nowPlaying.elapsed(platform.scheduler.monotonicNow()), 150, 0.01);
    driver.drag(QPointF(track.left() - 40, track.center().y()));
    EXPECT_DOUBLE_EQ(*section->timeRow()->dragFraction(), 0);
    driver.release(QPointF(track.left() - 40, track.center().y()));
    EXPECT_FALSE(section->timeRow()->dragFraction());
    EXPECT_DOUBLE_EQ(app.nowPlaying.elapsed(platform.scheduler.monotonicNow()), 0);
}

TEST_F(PlayerSectionUi, CapsuleThickensWhileDragging)
{
    report(false, 200, 100);
    const QRectF track = bar();
    const auto thickness = [&] {
        const QImage image = driver.render(QRectF(0, 0, width, 112));
        const QRect ink = Rendering::inkBounds(image, QRect(int(track.left()) + 8, int(track.top()), 4, int(track.height())));
        return ink.height();
    };
    EXPECT_EQ(thickness(), 4);
    driver.press(track.center());
    platform.scheduler.advance(PlayerTimeRow::capsuleDuration);
    EXPECT_EQ(thickness(), 6);
    driver.release(track.center());
    platform.scheduler.advance(PlayerTimeRow::capsuleDuration);
    EXPECT_EQ(thickness(), 4);
}

TEST_F(PlayerSectionUi, LiveStreamShowsTheBadgeAndTakesNoSeek)
{
    report(true, 0, 30);
    EXPECT_TRUE(section->timeRow()->content().isLive);
    driver.click(bar().center());
    EXPECT_FALSE(section->timeRow()->dragFraction());
    const QImage image = driver.render(QRectF(0, 0, width, 112));
    const QRectF dot = section->timeRow()->layout().liveDot.translated(section->layout().timeRow.topLeft());
    const QColor red = image.pixelColor(dot.center().toPoint());
    EXPECT_NEAR(red.redF(), 1.0, 0.02);
    EXPECT_NEAR(red.greenF(), 0.30, 0.03);
    // No remaining time on the right.
    const QRectF remaining = section->timeRow()->layout().remaining.translated(section->layout().timeRow.topLeft());
    EXPECT_TRUE(Rendering::inkBounds(image, remaining.toAlignedRect()).isEmpty());
}

TEST_F(PlayerSectionUi, TimeRowTicksOnlyWhilePlaying)
{
    report(true, 200, 10);
    EXPECT_TRUE(section->timeRow()->isTicking());
    EXPECT_EQ(section->timeRow()->content().elapsedText, QStringLiteral("0:10"));
    platform.scheduler.advance(5);
    EXPECT_EQ(section->timeRow()->content().elapsedText, QStringLiteral("0:15"));
    report(false, 200, 15);
    EXPECT_FALSE(section->timeRow()->isTicking());
}

TEST_F(PlayerSectionUi, APlayerPausedWhenTheAppStartsShowsItsPosition)
{
    // The first report of the fresh model, from a player paused at 1:23.
    report(false, 200, 83);
    EXPECT_EQ(section->timeRow()->content().elapsedText, QStringLiteral("1:23"));
    EXPECT_EQ(section->timeRow()->content().remainingText, QStringLiteral("-1:57"));
}

TEST_F(PlayerSectionUi, ANewSongCrossFadesItsTextsAndStartsANewMarquee)
{
    report(true, 200, 0, QStringLiteral("Primeira"));
    MarqueeText *first = section->title();
    report(true, 200, 0, QStringLiteral("Segunda"));
    MarqueeText *second = section->title();
    EXPECT_NE(first, second);
    EXPECT_EQ(second->content().first().text, QStringLiteral("Segunda"));
    platform.scheduler.advance(0.1);
    EXPECT_GT(second->opacity(), 0);
    EXPECT_LT(second->opacity(), 1);
    platform.scheduler.advance(PlayerSection::textChangeDuration);
    EXPECT_DOUBLE_EQ(second->opacity(), 1);
}

TEST_F(PlayerSectionUi, TheDemonstrationSongReplacesTheTitleOnly)
{
    report(true);
    app.bindableDebugPeekSong().setValue(AppModel::PeekSong{QStringLiteral("Demonstração"), QStringLiteral("Quib")});
    EXPECT_EQ(section->titleText(), QStringLiteral("Demonstração"));
    EXPECT_EQ(section->title()->content().first().text, QStringLiteral("Demonstração"));
    EXPECT_EQ(section->artistText(), QStringLiteral("Artista"));
    app.bindableDebugPeekSong().setValue(std::nullopt);
    EXPECT_EQ(section->titleText(), QStringLiteral("Canção"));
}

TEST_F(PlayerSectionUi, HoverCircleAndPressScale)
{
    report(true);
    MediaButton *play = section->buttons()[1];
    driver.hover(buttonRect(1).center());
    EXPECT_TRUE(play->isHovering());
    platform.scheduler.advance(MediaButton::hoverDuration);
    EXPECT_DOUBLE_EQ(play->circleOpacity(), MediaButton::hoverOpacity);
    driver.press(buttonRect(1).center());
    platform.scheduler.advance(PressScaleStyle::settleDuration);
    EXPECT_NEAR(play->pressScale(), 0.86, 1e-3);
    driver.release(buttonRect(1).center());
    platform.scheduler.advance(PressScaleStyle::settleDuration);
    EXPECT_NEAR(play->pressScale(), 1, 1e-3);
    driver.hover(QPointF(width - 2, 100));
    platform.scheduler.advance(MediaButton::hoverDuration);
    EXPECT_DOUBLE_EQ(play->circleOpacity(), 0);
}

} // namespace
