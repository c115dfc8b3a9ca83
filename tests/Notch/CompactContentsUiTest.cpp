#include "Notch/CompactNotchContent.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/EventProgressRing.h"
#include "Notch/MicMutedCompactContent.h"
#include "Notch/MicMutedIcon.h"
#include "Notch/MutedIcons.h"
#include "Notch/NotchViewModel.h"
#include "Notch/PeekContent.h"
#include "Notch/ReminderCompactContent.h"
#include "Notch/TimelineText.h"
#include "NotchFixture.h"
#include "QtPrinters.h"
#include "Rendering.h"
#include "Shared/ArtworkView.h"
#include "Shared/MarqueeText.h"
#include "Shared/WaveformView.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>

#include <gtest/gtest.h>

namespace {

// The fixture's screen has a simulated notch 190 × 24.
constexpr double notchHeight = 24;

class CompactContentsUi : public ::testing::Test, public NotchFixture {
protected:
    CompactContentsUi()
    {
        preferences().useCalendarColor.setValue(true);
    }

    template <typename Content>
    Content *show(NotchState state)
    {
        auto *content = new Content(model, nullptr);
        size = model.shapeSize(state);
        content->setSize(size);
        scene.addItem(content);
        return content;
    }
    QImage render() { return Rendering::renderOnBlack(scene, QRectF(QPointF(), size)); }
    void advance(double seconds) { platform.scheduler.advance(seconds); }

    DayEvent meeting(double minutesAway, double lengthMinutes = 30)
    {
        DayEvent event;
        event.title = QStringLiteral("Reunião de planejamento trimestral");
        event.start = platform.scheduler.now().addMSecs(qint64(minutesAway * 60000));
        event.end = event.start.addMSecs(qint64(lengthMinutes * 60000));
        event.color = QColor(40, 120, 255);
        return event;
    }
    void setCountdown(const std::optional<DayEvent> &event) { app->calendar.bindableCountdownEvent().setValue(event); }
    void setOngoing(const std::optional<DayEvent> &event) { app->calendar.bindableOngoingEvent().setValue(event); }

    // The colour with the most of `channel` inside `area`.
    static QColor strongest(const QImage &image, const QRect &area, int (*channel)(QRgb))
    {
        QRgb best = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (channel(image.pixel(x, y)) > channel(best))
                    best = image.pixel(x, y);
        return QColor::fromRgb(best);
    }

    NotchViewModel model{NotchMetrics(platform.screens.screens().first(), SimulatedStyle::notch), *app};
    QGraphicsScene scene;
    QSizeF size;
};

QRect inner(const QRectF &rect)
{
    return rect.toAlignedRect();
}

// Antialiasing may take a step off a colour at full coverage.
::testing::AssertionResult closeColors(const QColor &actual, const QColor &expected)
{
    if (std::abs(actual.red() - expected.red()) <= 2 && std::abs(actual.green() - expected.green()) <= 2
        && std::abs(actual.blue() - expected.blue()) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name().toStdString() << " is not " << expected.name().toStdString();
}

} // namespace

TEST_F(CompactContentsUi, MediaStripShowsArtworkLeftAndTheWaveformRight)
{
    playMedia(true);
    auto *strip = show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    // 16-point artwork 13 points in, vertically centred in the 24-point notch.
    EXPECT_EQ(strip->artwork()->size(), QSizeF(16, 16));
    EXPECT_EQ(strip->artwork()->pos(), QPointF(13, 4));
    EXPECT_EQ(strip->indicator(), CompactNotchContent::Indicator::waveform);
    EXPECT_EQ(strip->indicatorRect(), QRectF(size.width() - 15 - 18, 6, 18, 12));
    EXPECT_TRUE(strip->waveform()->isPlaying());
    EXPECT_FALSE(strip->artwork()->isDimmed());

    const QImage image = render();
    EXPECT_EQ(Rendering::inkBounds(image, QRect(0, 0, 60, int(notchHeight))), QRect(13, 4, 16, 16)) << "the artwork placeholder";
    const QRect wave = Rendering::inkBounds(image, QRect(int(size.width()) - 60, 0, 60, int(notchHeight)));
    ASSERT_FALSE(wave.isEmpty());
    EXPECT_TRUE(inner(strip->indicatorRect()).adjusted(-1, -1, 1, 1).contains(wave));
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(60, 0, int(size.width()) - 120, int(notchHeight))).isEmpty()) << "the housing stays dark";
}

TEST_F(CompactContentsUi, APausedPlayerDimsTheArtworkAndStopsTheWaveform)
{
    playMedia(true);
    auto *strip = show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    playMedia(false);
    EXPECT_TRUE(strip->artwork()->isDimmed());
    EXPECT_FALSE(strip->waveform()->isPlaying());
    advance(1);
    EXPECT_FALSE(strip->waveform()->isAnimating());
    EXPECT_FALSE(strip->artwork()->isAnimating());
}

TEST_F(CompactContentsUi, MutedMicrophoneBeatsTheCountdownInTheRightWing)
{
    playMedia(true);
    setCountdown(meeting(12.3));
    auto *strip = show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    EXPECT_EQ(strip->indicator(), CompactNotchContent::Indicator::countdown);
    EXPECT_EQ(strip->countdownText()->text(), QStringLiteral("13m"));
    EXPECT_EQ(strip->countdownText()->color(), ReminderCompactContent::countdownColor());
    EXPECT_DOUBLE_EQ(strip->indicatorRect().right(), size.width() - 15);

    app->micMute.setMuted(true);
    EXPECT_EQ(strip->indicator(), CompactNotchContent::Indicator::muted);
    EXPECT_TRUE(strip->mutedIcons()->showsMic());
    EXPECT_FALSE(strip->mutedIcons()->showsSound());
    advance(CompactNotchContent::indicatorFadeDuration + 0.02);
    EXPECT_FALSE(strip->countdownText()->isVisible());
    const QImage image = render();
    const QRect icons = Rendering::inkBounds(image, QRect(int(size.width()) - 60, 0, 60, int(notchHeight)));
    ASSERT_FALSE(icons.isEmpty());
    const QColor red = strongest(image, icons, qRed);
    EXPECT_TRUE(closeColors(red, MicMutedIcon::red()));
}

TEST_F(CompactContentsUi, TheMediaStripsCountdownCountsEveryFifteenSeconds)
{
    playMedia(true);
    setCountdown(meeting(1.5));
    auto *strip = show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    EXPECT_EQ(strip->countdownText()->text(), QStringLiteral("2m"));
    advance(45);
    EXPECT_EQ(strip->countdownText()->text(), QStringLiteral("1m")) << "40 seconds before the start";
    advance(45);
    EXPECT_EQ(strip->countdownText()->text(), QStringLiteral("Agora"));
}

TEST_F(CompactContentsUi, AnOngoingEventShowsItsBadgeInTheEventsColourOrGreen)
{
    playMedia(true);
    setOngoing(meeting(-10, 42));
    auto *strip = show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    ASSERT_EQ(strip->indicator(), CompactNotchContent::Indicator::eventProgress);
    ASSERT_TRUE(strip->badge());
    EXPECT_EQ(strip->badge()->timeText()->text(), QStringLiteral("32m"));
    EXPECT_EQ(strip->badge()->ring()->color(), QColor(40, 120, 255));
    preferences().useCalendarColor.setValue(false);
    EXPECT_EQ(strip->badge()->ring()->color(), EventProgressCompactContent::defaultEventColor());
    EXPECT_EQ(strip->badge()->timeText()->color(), EventProgressCompactContent::defaultEventColor());
    EXPECT_DOUBLE_EQ(strip->indicatorRect().right(), size.width() - 15);
}

TEST_F(CompactContentsUi, WithTheWaveformOffAndNothingElseTheRightWingIsEmpty)
{
    preferences().showWaveform.setValue(false);
    playMedia(true);
    show<CompactNotchContent>(NotchState::compact(CompactKind::media));
    const QImage image = render();
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(int(size.width()) / 2, 0, int(size.width()) / 2, int(notchHeight))).isEmpty());
}

TEST_F(CompactContentsUi, ReminderShowsSymbolTitleAndCountdownInTheirNinetyPointFrames)
{
    DayEvent event = meeting(5);
    event.joinURL = QUrl(QStringLiteral("https://meet.example.com/abc"));
    setCountdown(event);
    auto *reminder = show<ReminderCompactContent>(NotchState::compact(CompactKind::reminder));
    ASSERT_TRUE(reminder->layout());
    const ReminderCompactContent::Layout layout = *reminder->layout();
    EXPECT_EQ(layout.symbol, QStringLiteral("video.fill"));
    EXPECT_EQ(layout.symbolColor, QColor(40, 120, 255));
    EXPECT_EQ(layout.symbolRect, QRectF(12, 6, 12, 12));
    EXPECT_DOUBLE_EQ(layout.titleRect.left(), 30);
    EXPECT_DOUBLE_EQ(layout.titleRect.right(), 102) << "the left group keeps to 90 points";
    EXPECT_EQ(layout.countdownRect, QRectF(size.width() - 102, 0, 90, notchHeight));
    EXPECT_EQ(reminder->countdownText()->text(), QStringLiteral("em 5 min"));

    const QImage image = render();
    const QRect left = Rendering::inkBounds(image, QRect(0, 0, int(size.width()) / 2, int(notchHeight)));
    EXPECT_GE(left.left(), 12);
    EXPECT_LE(left.right(), 102) << "a long title is cut within 90 points";
    const QRect right = Rendering::inkBounds(image, QRect(int(size.width()) / 2, 0, int(size.width()) / 2, int(notchHeight)));
    ASSERT_FALSE(right.isEmpty());
    EXPECT_LE(right.right(), size.width() - 12);
    EXPECT_GE(right.right(), size.width() - 14);
    EXPECT_TRUE(closeColors(strongest(image, right, qRed), ReminderCompactContent::countdownColor()));

    // Without a meeting link: the calendar symbol; colours off: white.
    event.joinURL.reset();
    setCountdown(event);
    preferences().useCalendarColor.setValue(false);
    EXPECT_EQ(reminder->layout()->symbol, QStringLiteral("calendar"));
    EXPECT_EQ(reminder->layout()->symbolColor, QColor(Qt::white));

    // The event goes while the strip is shown: the strip is empty.
    setCountdown(std::nullopt);
    EXPECT_FALSE(reminder->layout());
    EXPECT_TRUE(Rendering::inkBounds(render(), QRect(QPoint(), size.toSize())).isEmpty());
}

TEST_F(CompactContentsUi, EventProgressShowsTitleLeftAndBadgeRight)
{
    setOngoing(meeting(-10, 30));
    preferences().useCalendarColor.setValue(false);
    auto *content = show<EventProgressCompactContent>(NotchState::compact(CompactKind::event));
    EXPECT_EQ(content->titleRect().left(), 12);
    EXPECT_EQ(content->titleRect().width(), 90);
    ASSERT_TRUE(content->badge());
    const QRectF badge(content->badge()->pos(), content->badge()->naturalSize());
    EXPECT_DOUBLE_EQ(badge.right(), size.width() - 12);
    EXPECT_NEAR(badge.center().y(), notchHeight / 2, 0.01);
    EXPECT_EQ(content->badge()->timeText()->text(), QStringLiteral("20m"));
    EXPECT_EQ(content->badge()->ring()->toolTip(), QStringLiteral("33% de Reunião de planejamento trimestral"));

    const QImage image = render();
    const QRect ring = Rendering::inkBounds(image, inner(QRectF(badge.topLeft(), QSizeF(13, badge.height()))));
    ASSERT_FALSE(ring.isEmpty());
    EXPECT_TRUE(closeColors(strongest(image, ring, qGreen), EventProgressCompactContent::defaultEventColor()));
    const QRect title = Rendering::inkBounds(image, QRect(0, 0, int(size.width()) / 2, int(notchHeight)));
    EXPECT_LE(title.right(), 102);

    setOngoing(std::nullopt);
    EXPECT_FALSE(content->badge());
    EXPECT_TRUE(Rendering::inkBounds(render(), QRect(QPoint(), size.toSize())).isEmpty());
}

TEST_F(CompactContentsUi, PeekShowsTheStripOnTopAndTheSongLineBelow)
{
    playMedia(true);
    auto *peek = show<PeekContent>(NotchState::peek());
    EXPECT_EQ(size.height(), notchHeight + 26);
    EXPECT_EQ(peek->strip()->size(), QSizeF(size.width(), notchHeight));
    EXPECT_EQ(peek->line()->pos(), QPointF(16, notchHeight));
    EXPECT_EQ(peek->line()->size(), QSizeF(size.width() - 32, 16));
    EXPECT_EQ(peek->song(), (PeekContent::Song{QStringLiteral("Song"), QString()}));
    EXPECT_FALSE(peek->line()->overflows());
    const QImage image = render();
    const QRect line = Rendering::inkBounds(image, QRect(0, int(notchHeight), int(size.width()), 26));
    ASSERT_FALSE(line.isEmpty());
    EXPECT_NEAR(line.center().x(), size.width() / 2, 2) << "a line that fits is centred";
    EXPECT_LE(line.bottom(), notchHeight + 16);
}

TEST_F(CompactContentsUi, PeekShowsTheDemoSongOrTheCleanedTitle)
{
    QJsonObject state{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), 1},
                      {QStringLiteral("title"), QStringLiteral("Canção (Remastered 2009)")}, {QStringLiteral("artist"), QStringLiteral("Banda")}};
    app->nowPlaying.handle(state);
    preferences().hideTitleExtras.setValue(true);
    auto *peek = show<PeekContent>(NotchState::peek());
    EXPECT_EQ(peek->song(), (PeekContent::Song{QStringLiteral("Canção"), QStringLiteral("Banda")}));
    ASSERT_EQ(peek->line()->content().size(), 3);

    const AppModel::PeekSong demo{QStringLiteral("Uma demonstração com um título muito longo para caber no campo"), QStringLiteral("Artista")};
    app->bindableDebugPeekSong().setValue(demo);
    EXPECT_EQ(peek->song(), (PeekContent::Song{demo.title, demo.artist}));
    EXPECT_TRUE(peek->line()->overflows());
    EXPECT_TRUE(peek->line()->isScrolling());
}

TEST_F(CompactContentsUi, ANewSongStartsThePeeksLineFromRest)
{
    const auto play = [this](const QString &title) {
        app->nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("playing"), 1},
                                           {QStringLiteral("title"), title}, {QStringLiteral("artist"), QStringLiteral("Artista")}});
    };
    play(QStringLiteral("Primeira canção com um nome longo demais para o campo estreito"));
    auto *peek = show<PeekContent>(NotchState::peek());
    ASSERT_TRUE(peek->line()->overflows());
    advance(MarqueeText::pauseDuration + 1);
    EXPECT_LT(peek->line()->offset(), 0);
    play(QStringLiteral("Segunda canção com um nome longo demais para o campo estreito"));
    EXPECT_EQ(peek->line()->offset(), 0);
}

TEST_F(CompactContentsUi, AClickAnywhereInThePeekBringsThePlayerForward)
{
    platform.workspace.installed.insert(QStringLiteral("org.example.Player"), {QStringLiteral("/usr/share/applications/org.example.Player.desktop"), {}});
    playMedia(true);
    auto *peek = show<PeekContent>(NotchState::peek());
    // Beside the artwork, where nothing is drawn.
    const QPointF empty(size.width() / 2, notchHeight / 2);
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setButton(Qt::LeftButton);
    press.setButtons(Qt::LeftButton);
    press.setScenePos(empty);
    press.setPos(empty);
    QGraphicsSceneMouseEvent release(QEvent::GraphicsSceneMouseRelease);
    release.setButton(Qt::LeftButton);
    release.setScenePos(empty);
    release.setPos(empty);
    // Through the scene, which hands the press to the topmost item that
    // takes it: the strip on top takes no clicks, so the peek gets it.
    QCoreApplication::sendEvent(&scene, &press);
    EXPECT_EQ(scene.mouseGrabberItem(), peek);
    QCoreApplication::sendEvent(&scene, &release);
    EXPECT_EQ(platform.workspace.opened, QStringList{QStringLiteral("/usr/share/applications/org.example.Player.desktop")});
}

TEST_F(CompactContentsUi, MuteStripShowsTheMutedSymbolsLeftAndTheWordRight)
{
    preferences().showMicMutedIcon.setValue(true);
    preferences().showSoundMutedIcon.setValue(true);
    struct Row {
        const char *name;
        bool mic, sound;
        double iconsWidth;
    };
    const Row rows[] = {
        {"microphone alone", true, false, MutedIcons::microphoneSize},
        {"speaker alone", false, true, MutedIcons::speakerSize},
        {"speaker, then microphone", true, true, MutedIcons::speakerSize + MutedIcons::spacing + MutedIcons::microphoneSize},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        scene.clear();
        app->micMute.setMuted(row.mic);
        muteOutput(row.sound);
        ASSERT_EQ(model.state(), NotchState::compact(CompactKind::micMuted));
        auto *strip = show<MicMutedCompactContent>(NotchState::compact(CompactKind::micMuted));
        EXPECT_EQ(size, QSizeF(190 + 2 * 64, notchHeight));
        EXPECT_EQ(strip->mutedIcons()->showsMic(), row.mic);
        EXPECT_EQ(strip->mutedIcons()->showsSound(), row.sound);
        EXPECT_DOUBLE_EQ(strip->mutedIcons()->pos().x(), 14);
        EXPECT_DOUBLE_EQ(strip->mutedIcons()->pos().y() + strip->mutedIcons()->naturalSize().height() / 2, notchHeight / 2);
        EXPECT_DOUBLE_EQ(strip->wordRect().right(), size.width() - 14);

        const QImage image = render();
        const int width = int(size.width());
        const QRect icons = Rendering::inkBounds(image, QRect(0, 0, 60, int(notchHeight)));
        ASSERT_FALSE(icons.isEmpty());
        EXPECT_GE(icons.left(), 14);
        EXPECT_NEAR(icons.right() + 1, 14 + row.iconsWidth, 1.5);
        EXPECT_TRUE(closeColors(strongest(image, icons, qRed), MicMutedIcon::red()));
        const QRect word = Rendering::inkBounds(image, QRect(width - 60, 0, 60, int(notchHeight)));
        ASSERT_FALSE(word.isEmpty());
        EXPECT_LE(word.right(), width - 14);
        EXPECT_GE(word.right(), width - 14 - 3);
        EXPECT_TRUE(closeColors(strongest(image, word, qRed), MicMutedIcon::red()));
        EXPECT_TRUE(Rendering::inkBounds(image, QRect(60, 0, width - 120, int(notchHeight))).isEmpty()) << "the housing stays dark";
    }
}

TEST_F(CompactContentsUi, MuteStripFollowsTheMuteSwitches)
{
    preferences().showSoundMutedIcon.setValue(true);
    app->micMute.setMuted(true);
    auto *strip = show<MicMutedCompactContent>(NotchState::compact(CompactKind::micMuted));
    EXPECT_FALSE(strip->mutedIcons()->showsSound());
    muteOutput(true);
    EXPECT_TRUE(strip->mutedIcons()->showsSound());
    EXPECT_TRUE(strip->mutedIcons()->showsMic());
    EXPECT_DOUBLE_EQ(strip->mutedIcons()->pos().y(), (notchHeight - MutedIcons::microphoneSize) / 2);
}
