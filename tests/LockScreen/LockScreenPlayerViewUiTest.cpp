#include "App/AppModel.h"
#include "LockScreen/Glass.h"
#include "LockScreen/LockScreenPlayerView.h"
#include "LockScreen/LockScreenState.h"
#include "LockScreen/ProgressRow.h"
#include "LockScreen/ScrubBar.h"
#include "LockScreen/VolumeRow.h"
#include "LockScreen/WeatherPill.h"
#include "Notch/MediaButton.h"
#include "Platform/Fake/FakePlatform.h"
#include "../Notch/SceneDriver.h"
#include "Shared/ArtworkView.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr AudioScope Output = AudioScope::Output;
enum Button { lyrics, previous, playPause, next, expand };

class LockScreenPlayerViewUi : public ::testing::Test {
protected:
    LockScreenPlayerViewUi()
    {
        platform.audio.addDevice(Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers"), 0.4f));
        platform.audio.defaults[Output] = QStringLiteral("speakers");
        app = std::make_unique<AppModel>(platform.services());
        state = std::make_unique<LockScreenState>(platform.audio);
        state->volume().startObserving();
        state->setShowsPlayer(true);
        platform.workspace.addApplication(321, 1, QStringLiteral("org.example.Player"));
        view = new LockScreenPlayerView(*state, *app);
        driver.scene.addItem(view);
        driver.show(QRectF(QPointF(0, 0), LockScreenPlayerView::size));
    }
    ~LockScreenPlayerViewUi() override
    {
        if (MediaBridgeProcess *bridge = app->nowPlaying.bridge())
            bridge->stop();
    }

    // A report of the player at process 321.
    void report(bool playing, double duration = 200, double elapsed = 0, const QString &title = QStringLiteral("Canção"))
    {
        app->nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                           {QStringLiteral("playing"), playing ? 1 : 0},
                                           {QStringLiteral("pid"), 321},
                                           {QStringLiteral("title"), title},
                                           {QStringLiteral("artist"), QStringLiteral("Artista")},
                                           {QStringLiteral("duration"), duration},
                                           {QStringLiteral("elapsed"), elapsed}});
    }
    void showWeather()
    {
        app->weather.bindableTemperature().setValue(21.5);
        app->weather.bindableCode().setValue(3);
        state->setShowsWeather(true);
    }
    // Lets every spring come to rest.
    void settle() { platform.scheduler.advance(3); }

    // The media bridge as a scripted child that writes down the commands
    // it reads.
    void startBridge()
    {
        QFile control(commandFile());
        ASSERT_TRUE(control.open(QIODevice::WriteOnly));
        control.write("interactive\n");
        control.close();
        app->nowPlaying.start({QStringLiteral(QUIB_TEST_FIXTURES "/bridge/scripted-bridge.pl"), commandFile()});
        ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(commandFile() + QStringLiteral(".launches")); }, 15000));
    }
    QString commandFile() const { return folder.filePath(QStringLiteral("bridge")); }
    QStringList commands() const
    {
        QFile file(commandFile() + QStringLiteral(".commands"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool receives(const QStringList &expected)
    {
        return QTest::qWaitFor([&] { return commands() == expected; }, 15000);
    }

    QRectF button(Button which) const { return view->layout().buttons.at(which); }
    QRectF progressBar() const
    {
        const QRectF row = view->layout().progress;
        return QRectF(row.topLeft(), QSizeF(row.width(), ScrubBar::height));
    }
    QRectF volumeBar() const
    {
        const QRectF row = view->layout().volume;
        return VolumeRow::layout(row.width()).bar.translated(row.topLeft());
    }
    QImage render() { return driver.render(QRectF(QPointF(0, 0), LockScreenPlayerView::size)); }

    QTemporaryDir folder;
    FakePlatform platform;
    std::unique_ptr<AppModel> app;
    std::unique_ptr<LockScreenState> state;
    SceneDriver driver;
    LockScreenPlayerView *view = nullptr;
};

TEST_F(LockScreenPlayerViewUi, CompactCardIsDrawnWhereTheLayoutSays)
{
    // Paused, so the position stands while the springs settle.
    report(false, 205, 62);
    settle();
    const auto layout = view->layout();
    EXPECT_EQ(layout.card.left(), 40);
    EXPECT_EQ(layout.card.width(), 360);
    EXPECT_EQ(layout.card.bottom(), 630);
    EXPECT_EQ(layout.artwork.size(), QSizeF(60, 60));
    EXPECT_EQ(view->shownLayout(), layout);
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), layout.card.height());
    EXPECT_EQ(view->artwork()->size(), QSizeF(60, 60));
    EXPECT_DOUBLE_EQ(view->artwork()->cornerRadius(), 12);

    const QImage image = render();
    // The glass over black: the regular fill, and nothing outside the card.
    const QColor glass = Glass::fill(LockPlayerStyle::glass);
    const QColor inside = image.pixelColor(QPoint(int(layout.card.left()) + 8, int(layout.card.center().y())));
    EXPECT_NEAR(inside.red(), glass.redF() * glass.alphaF() * 255, 2);
    EXPECT_NEAR(inside.blue(), glass.blueF() * glass.alphaF() * 255, 2);
    EXPECT_EQ(image.pixelColor(QPoint(20, int(layout.card.center().y()))), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(QPoint(220, int(layout.card.top()) - 20)), QColor(Qt::black));
    // Every part is drawn inside its own rectangle.
    for (const QRectF &part : {layout.artwork, layout.title, layout.artist, layout.progress, layout.volume, layout.buttons[lyrics],
                               layout.buttons[playPause], layout.buttons[expand]}) {
        SCOPED_TRACE(testing::Message() << part.x() << "," << part.y());
        const QRect ink = Rendering::inkBounds(image, part.toAlignedRect());
        EXPECT_FALSE(ink.isEmpty());
    }
    // The progress fill ends at 62 of 205 seconds, brighter than the track.
    const QRectF bar = progressBar();
    const int barY = int(bar.center().y());
    const double fillEnd = bar.left() + bar.width() * 62 / 205;
    EXPECT_GT(qGray(image.pixel(int(fillEnd) - 3, barY)), 200);
    EXPECT_LT(qGray(image.pixel(int(fillEnd) + 3, barY)), 80);
    EXPECT_EQ(view->progressRow()->content().elapsedText, QStringLiteral("1:02"));
    EXPECT_EQ(view->progressRow()->content().remainingText, QStringLiteral("-2:23"));
}

TEST_F(LockScreenPlayerViewUi, ArtworkAndExpandButtonSwitchTheForm)
{
    report(true);
    settle();
    const double compactHeight = state->widgetsHeight();
    EXPECT_EQ(view->buttons()[expand]->symbol(), QStringLiteral("arrow.up.left.and.arrow.down.right"));

    driver.click(view->layout().artwork.center());
    EXPECT_TRUE(state->expanded());
    EXPECT_TRUE(view->isLarge());
    // The artwork grows on the spring and ends at 300 points.
    platform.scheduler.advance(0.1);
    const double growing = view->shownLayout().artwork.width();
    EXPECT_GT(growing, 60);
    EXPECT_LT(growing, 300);
    settle();
    EXPECT_EQ(view->layout().artwork, QRectF(70, view->layout().card.top() + 20, 300, 300));
    EXPECT_EQ(view->artwork()->size(), QSizeF(300, 300));
    EXPECT_DOUBLE_EQ(view->artwork()->cornerRadius(), 22);
    EXPECT_GT(state->widgetsHeight(), compactHeight + 240);
    EXPECT_EQ(view->buttons()[expand]->symbol(), QStringLiteral("arrow.down.right.and.arrow.up.left"));
    EXPECT_TRUE(view->buttons()[expand]->isActive());
    const QImage large = render();
    EXPECT_FALSE(Rendering::inkBounds(large, view->layout().artwork.toAlignedRect()).isEmpty());

    // Again: compact.
    driver.click(view->layout().artwork.center());
    EXPECT_FALSE(state->expanded());
    settle();
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), compactHeight);

    // The expand button does the same.
    driver.click(button(expand).center());
    EXPECT_TRUE(state->expanded());
    settle();
    driver.click(button(expand).center());
    EXPECT_FALSE(state->expanded());
    EXPECT_EQ(view->buttons()[expand]->symbol(), QStringLiteral("arrow.up.left.and.arrow.down.right"));
}

TEST_F(LockScreenPlayerViewUi, LyricsKeepTheCardCompactUntilTheArtworkLeavesThem)
{
    report(true);
    state->setExpanded(true);
    settle();
    ASSERT_TRUE(view->isLarge());

    driver.click(button(lyrics).center());
    EXPECT_TRUE(state->showLyrics());
    EXPECT_TRUE(view->buttons()[lyrics]->isActive());
    EXPECT_EQ(view->buttons()[lyrics]->toolTip(), QStringLiteral("Letra"));
    EXPECT_FALSE(view->isLarge());
    settle();
    EXPECT_EQ(view->layout().artwork.size(), QSizeF(60, 60));

    // The artwork turns the lyrics off and leaves the card large.
    driver.click(view->layout().artwork.center());
    EXPECT_FALSE(state->showLyrics());
    EXPECT_TRUE(state->expanded());
    EXPECT_TRUE(view->isLarge());
}

TEST_F(LockScreenPlayerViewUi, TransportButtonsReachTheBridge)
{
    startBridge();
    report(true);
    settle();
    EXPECT_EQ(view->buttons()[playPause]->symbol(), QStringLiteral("pause.fill"));
    EXPECT_DOUBLE_EQ(view->buttons()[playPause]->size(), 28);
    EXPECT_DOUBLE_EQ(view->buttons()[previous]->size(), 20);

    // The button flips before the bridge says anything.
    driver.click(button(playPause).center());
    EXPECT_FALSE(app->nowPlaying.isPlaying());
    EXPECT_EQ(view->buttons()[playPause]->symbol(), QStringLiteral("play.fill"));
    EXPECT_TRUE(receives({QStringLiteral("toggle")}));
    driver.click(button(previous).center());
    driver.click(button(next).center());
    EXPECT_TRUE(receives({QStringLiteral("toggle"), QStringLiteral("prev"), QStringLiteral("next")}));
}

TEST_F(LockScreenPlayerViewUi, ProgressDragSeeksOnceOnRelease)
{
    startBridge();
    report(false, 200, 20);
    settle();
    ProgressRow *row = view->progressRow();
    const QRectF bar = progressBar();

    driver.press(QPointF(bar.left() + bar.width() * 0.25, bar.center().y()));
    driver.drag(QPointF(bar.left() + bar.width() * 0.75, bar.center().y()));
    ASSERT_TRUE(row->dragFraction());
    EXPECT_DOUBLE_EQ(*row->dragFraction(), 0.75);
    EXPECT_TRUE(row->bar()->isDragging());
    EXPECT_EQ(row->content().elapsedText, QStringLiteral("2:30"));
    EXPECT_EQ(row->content().remainingText, QStringLiteral("-0:50"));
    // The song has not moved yet.
    EXPECT_DOUBLE_EQ(app->nowPlaying.elapsed(platform.scheduler.monotonicNow()), 20);
    // The bar thickens to 8 points.
    settle();
    EXPECT_DOUBLE_EQ(row->bar()->capsuleHeightNow(), 8);

    // Past the end: exactly the end.
    driver.drag(QPointF(bar.right() + 40, bar.center().y()));
    EXPECT_DOUBLE_EQ(*row->dragFraction(), 1);
    driver.release(QPointF(bar.left() + bar.width() * 0.75, bar.center().y()));
    EXPECT_FALSE(row->dragFraction());
    EXPECT_FALSE(row->bar()->isDragging());
    EXPECT_DOUBLE_EQ(app->nowPlaying.elapsed(platform.scheduler.monotonicNow()), 150);
    EXPECT_EQ(row->content().elapsedText, QStringLiteral("2:30"));
    EXPECT_TRUE(receives({QStringLiteral("seek 150.000")}));

    // A click without moving seeks where it was, on release.
    driver.press(bar.center());
    EXPECT_DOUBLE_EQ(app->nowPlaying.elapsed(platform.scheduler.monotonicNow()), 150);
    driver.release(bar.center());
    EXPECT_TRUE(receives({QStringLiteral("seek 150.000"), QStringLiteral("seek 100.000")}));
}

TEST_F(LockScreenPlayerViewUi, ProgressAdvancesOnlyWhilePlaying)
{
    report(true, 200, 10);
    settle();
    ProgressRow *row = view->progressRow();
    EXPECT_TRUE(row->isTicking());
    platform.scheduler.advance(5);
    EXPECT_EQ(row->content().elapsedText, QStringLiteral("0:18"));

    report(false, 200, 40);
    EXPECT_FALSE(row->isTicking());
    platform.scheduler.advance(5);
    EXPECT_EQ(row->content().elapsedText, QStringLiteral("0:40"));
}

TEST_F(LockScreenPlayerViewUi, VolumeBarSetsTheVolumeWhileDragging)
{
    settle();
    VolumeRow *row = view->volumeRow();
    ASSERT_TRUE(row->isVisible());
    const QRectF bar = volumeBar();
    EXPECT_FLOAT_EQ(float(row->bar()->fraction()), 0.4f);

    // A press sets the volume at once (to within the pixel pressed).
    driver.press(QPointF(bar.left() + bar.width() * 0.3, bar.center().y()));
    const double pixel = 1 / bar.width();
    EXPECT_NEAR(state->volume().volume(), 0.3, pixel);
    EXPECT_NEAR(platform.audio.device(Output, QStringLiteral("speakers"))->volume.value_or(-1), 0.3, pixel);
    driver.drag(QPointF(bar.right() + 50, bar.center().y()));
    EXPECT_FLOAT_EQ(state->volume().volume(), 1.0f);
    EXPECT_DOUBLE_EQ(*row->dragValue(), 1);
    driver.drag(QPointF(bar.left() - 50, bar.center().y()));
    EXPECT_FLOAT_EQ(state->volume().volume(), 0.0f);
    driver.release(QPointF(bar.left() + bar.width() * 0.5, bar.center().y()));
    EXPECT_FALSE(row->dragValue());
    EXPECT_NEAR(state->volume().volume(), 0.5, pixel);

    // Afterwards the bar follows the device.
    AudioDevice speakers = *platform.audio.device(Output, QStringLiteral("speakers"));
    speakers.volume = 0.8f;
    platform.audio.changeDevice(Output, speakers);
    EXPECT_NEAR(row->bar()->fraction(), 0.8, 1e-6);
}

TEST_F(LockScreenPlayerViewUi, RowsLeaveTheCardAndItsHeight)
{
    report(true, 200);
    settle();
    const double full = state->widgetsHeight();
    EXPECT_TRUE(view->progressRow()->isVisible());

    // A song without a length.
    report(true, 0);
    settle();
    EXPECT_FALSE(view->progressRow()->isVisible());
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), full - 18 - ProgressRow::height());

    // No volume row by setting, nor without a readable volume.
    app->preferences.lockShowVolume.setValue(false);
    settle();
    EXPECT_FALSE(view->volumeRow()->isVisible());
    const double withoutVolume = state->widgetsHeight();
    EXPECT_DOUBLE_EQ(withoutVolume, full - 18 - ProgressRow::height() - 12 - VolumeRow::height);
    app->preferences.lockShowVolume.setValue(true);
    EXPECT_TRUE(view->volumeRow()->isVisible());
    platform.audio.defaults[Output] = QString();
    state->volume().refreshDevice();
    ASSERT_FALSE(state->volume().isAvailable());
    EXPECT_FALSE(view->volumeRow()->isVisible());
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), withoutVolume);
}

TEST_F(LockScreenPlayerViewUi, WeatherPillStandsAboveTheCard)
{
    report(true);
    showWeather();
    settle();
    const auto layout = view->layout();
    WeatherPill *pill = view->weatherPill();
    EXPECT_EQ(pill->content(), (WeatherPill::Content{QStringLiteral("cloud.fill"), QStringLiteral("22°  Nublado")}));
    EXPECT_DOUBLE_EQ(layout.pill.bottom(), layout.card.top() - 12);
    EXPECT_DOUBLE_EQ(layout.pill.center().x(), 220);
    EXPECT_EQ(layout.pill.size(), pill->size());
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), layout.card.height() + 12 + layout.pill.height());
    const QImage image = render();
    const QRect symbol = pill->layout().symbol.translated(layout.pill.topLeft()).toAlignedRect();
    const QRect text = pill->layout().text.translated(layout.pill.topLeft()).toAlignedRect();
    EXPECT_FALSE(Rendering::inkBounds(image, symbol).isEmpty());
    EXPECT_FALSE(Rendering::inkBounds(image, text).isEmpty());

    // Another choice of the settings changes the text and the pill's width.
    app->preferences.lockWeatherInfo.setValue(LockWeatherInfo::sun);
    settle();
    EXPECT_EQ(pill->content(), (WeatherPill::Content{QStringLiteral("sunrise.fill"), QStringLiteral("--:--")}));
    EXPECT_LT(view->layout().pill.width(), layout.pill.width());
    EXPECT_DOUBLE_EQ(view->layout().pill.center().x(), 220);
}

TEST_F(LockScreenPlayerViewUi, ClearStyleIsLessOpaqueForCardAndPill)
{
    report(true);
    showWeather();
    settle();
    const auto layout = view->layout();
    const QPoint inCard(int(layout.card.left()) + 8, int(layout.card.center().y()));
    const QPoint inPill(int(layout.pill.left()) + 4, int(layout.pill.center().y()));
    const QImage regular = render();
    app->preferences.lockPlayerStyle.setValue(LockPlayerStyle::clear);
    EXPECT_EQ(view->style(), LockPlayerStyle::clear);
    EXPECT_EQ(view->weatherPill()->style(), LockPlayerStyle::clear);
    const QImage clear = render();
    // Over black, the more opaque glass is the lighter.
    EXPECT_GT(qGray(regular.pixel(inCard)), qGray(clear.pixel(inCard)));
    EXPECT_GT(qGray(regular.pixel(inPill)), qGray(clear.pixel(inPill)));
}

TEST_F(LockScreenPlayerViewUi, WidgetsEnterAndLeaveWithTheState)
{
    report(true);
    settle();
    ASSERT_TRUE(view->card()->isVisible());
    EXPECT_DOUBLE_EQ(view->card()->opacity(), 1);

    state->setShowsPlayer(false);
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), 0);
    platform.scheduler.advance(0.1);
    // Fading and shrinking about its bottom edge.
    EXPECT_TRUE(view->card()->isVisible());
    EXPECT_LT(view->card()->opacity(), 1);
    EXPECT_LT(view->card()->scale(), 1);
    settle();
    EXPECT_FALSE(view->card()->isVisible());
    EXPECT_TRUE(Rendering::inkBounds(render(), QRect(QPoint(0, 0), LockScreenPlayerView::size.toSize())).isEmpty());

    showWeather();
    settle();
    EXPECT_TRUE(view->weatherPill()->isVisible());
    EXPECT_DOUBLE_EQ(view->layout().pill.bottom(), 630);
    EXPECT_DOUBLE_EQ(state->widgetsHeight(), view->layout().pill.height());
}

} // namespace
