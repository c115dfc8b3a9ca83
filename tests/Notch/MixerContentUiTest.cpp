#include "Alerts/BannerViews.h"
#include "Audio/AudioMixer.h"
#include "Notch/MixerContent.h"
#include "Notch/NotchSlider.h"
#include "Notch/NotchViewModel.h"
#include "NotchFixture.h"
#include "SceneDriver.h"
#include "Settings/SettingsStyle.h"

#include <gtest/gtest.h>

namespace {

// The fixture's screen has a simulated notch 190 × 24; the mixer is 420
// wide, its rows 364 wide from x 28.
constexpr double notchHeight = 24;
constexpr double rowsLeft = 28;
constexpr double rowsWidth = 420 - 2 * 28;
// The "Geral" row, the divider and then the list.
constexpr double systemTop = notchHeight + 4;
constexpr double dividerTop = systemTop + 26 + 4;
constexpr double listTop = dividerTop + 1 + 4;
// The sliders' left edge: before the 34-point percentage and a spacing of 10.
constexpr double sliderLeft = rowsLeft + rowsWidth - 34 - 10 - 170;

const QString music = QStringLiteral("org.example.Music");
const QString browser = QStringLiteral("org.example.Browser");
const QString videos = QStringLiteral("org.example.Videos");

AudioStream playback(quint32 index, qint64 pid, bool corked = false)
{
    AudioStream stream;
    stream.index = index;
    stream.processIdentifier = pid;
    stream.isCorked = corked;
    stream.volume = {1, 1};
    return stream;
}

class MixerContentUi : public ::testing::Test, public NotchFixture {
protected:
    MixerContentUi()
    {
        addApplication(501, music, QStringLiteral("Música"));
        addApplication(502, browser, QStringLiteral("Navegador"));
        addApplication(503, videos, QStringLiteral("Vídeos"));
    }

    void addApplication(qint64 pid, const QString &id, const QString &name)
    {
        platform.workspace.processes.insert(pid, FakeWorkspace::Process{1, Workspace::RunningApplication{pid, id, name, true}});
    }
    // The server's streams change and the mixer looks again.
    void setStreams(const QList<AudioStream> &streams)
    {
        platform.audio.changeStreams(streams);
        mixer().refresh();
    }
    AudioMixer &mixer() { return app->mixer; }

    MixerContent *show()
    {
        content = new MixerContent(model, nullptr);
        size = model.shapeSize(NotchState::mixer());
        content->setSize(size);
        driver.scene.addItem(content);
        driver.show(QRectF(QPointF(), size));
        return content;
    }
    QImage render() { return driver.render(QRectF(QPointF(), size)); }
    QPointF sliderPoint(const MixerRow *row, double fraction) const
    {
        const NotchSlider *slider = row->slider();
        return slider->mapToScene(QPointF(slider->width() * fraction, NotchSlider::height / 2));
    }

    NotchViewModel model{NotchMetrics(platform.screens.screens().first(), SimulatedStyle::notch), *app};
    SceneDriver driver;
    MixerContent *content = nullptr;
    QSizeF size;
};

// The accent-coloured pixels of a horizontal line.
QPair<int, int> accentSpan(const QImage &image, int y)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        const QColor colour = image.pixelColor(x, y);
        if (colour.green() - colour.red() > 60) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return {first, last};
}

} // namespace

TEST(MixerRow, PercentagesTakeHalvesAwayFromZero)
{
    struct Row {
        double value;
        const char *text;
    };
    const Row rows[] = {{0.125, "13%"}, {0.625, "63%"}, {0.004, "0%"}, {1.0, "100%"}, {0, "0%"}, {0.995, "100%"}};
    for (const Row &row : rows)
        EXPECT_EQ(MixerRow::percentText(row.value), QString::fromUtf8(row.text)) << row.value;
}

TEST(MixerContent, CloseButtonCentredInTheNotchBandButAtLeastThreeDown)
{
    EXPECT_DOUBLE_EQ(MixerContent::closeButtonTop(32), 7);
    EXPECT_DOUBLE_EQ(MixerContent::closeButtonTop(24), 3);
    EXPECT_DOUBLE_EQ(MixerContent::closeButtonTop(20), 3);
}

TEST_F(MixerContentUi, WithoutApplicationsTheGeneralRowTheDividerAndThePlaceholder)
{
    show();
    EXPECT_EQ(size, QSizeF(420, notchHeight + 79)) << "as high as with one application";
    EXPECT_EQ(content->systemRow()->title(), QStringLiteral("Geral"));
    EXPECT_EQ(content->systemRow()->pos(), QPointF(rowsLeft, systemTop));
    EXPECT_EQ(content->systemRow()->boundingRect(), QRectF(0, 0, rowsWidth, 26));
    EXPECT_EQ(content->dividerRect(), QRectF(rowsLeft, dividerTop, rowsWidth, 1));
    EXPECT_TRUE(content->applicationRows().isEmpty());
    EXPECT_EQ(content->placeholder()->opacity(), 1);
    EXPECT_EQ(content->placeholder()->pos(), QPointF(rowsLeft, listTop));

    const QImage image = render();
    // Nothing in the notch band.
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(0, 0, int(size.width()), int(notchHeight))).isEmpty());
    // The divider: white at 0.1 over black, across the rows' width.
    EXPECT_NEAR(image.pixelColor(int(rowsLeft) + 1, int(dividerTop)).red(), 26, 2);
    EXPECT_NEAR(image.pixelColor(int(rowsLeft + rowsWidth) - 1, int(dividerTop)).red(), 26, 2);
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(0, int(dividerTop), int(rowsLeft), 1)).isEmpty());
    // The symbol in the leading 22 points, the placeholder text at the
    // leading edge of the list's first row.
    const QRect symbol = Rendering::inkBounds(image, QRect(0, int(systemTop), int(rowsLeft + 22), 26));
    ASSERT_FALSE(symbol.isEmpty());
    EXPECT_GE(symbol.left(), int(rowsLeft));
    const QRect placeholder = Rendering::inkBounds(image, QRect(0, int(listTop), int(size.width()), 32));
    ASSERT_FALSE(placeholder.isEmpty());
    EXPECT_NEAR(placeholder.left(), rowsLeft, 2);
    EXPECT_LT(placeholder.right(), rowsLeft + rowsWidth);
    EXPECT_NEAR(placeholder.center().y(), listTop + 16, 2) << "one line, centred in the 32-point row";
}

TEST_F(MixerContentUi, TheGeneralRowFollowsTheOutputVolumeAndItsSliderSetsIt)
{
    // As the notch's controller does while a mixer is shown.
    mixer().systemVolume().startObserving();
    show();
    MixerRow *general = content->systemRow();
    EXPECT_EQ(general->percentage(), QStringLiteral("100%")) << "the speakers' volume";
    const struct {
        float volume;
        const char *text;
    } rows[] = {{0.125f, "13%"}, {0.625f, "63%"}, {0.004f, "0%"}, {1.0f, "100%"}};
    for (const auto &row : rows) {
        mixer().systemVolume().set(row.volume);
        EXPECT_EQ(general->percentage(), QString::fromUtf8(row.text));
        EXPECT_DOUBLE_EQ(general->slider()->value(), row.volume);
    }

    // Every move is written at once (the pointer lands on whole pixels).
    platform.audio.writes.clear();
    driver.press(sliderPoint(general, 0.5));
    driver.drag(sliderPoint(general, 0));
    driver.drag(sliderPoint(general, 1));
    driver.drag(sliderPoint(general, 0.5));
    driver.release(sliderPoint(general, 0.5));
    EXPECT_EQ(platform.audio.writes, (QStringList{QStringLiteral("volume Output speakers 0.5"), QStringLiteral("volume Output speakers 0"),
                                                  QStringLiteral("volume Output speakers 1"), QStringLiteral("volume Output speakers 0.5")}));
    EXPECT_EQ(general->percentage(), QStringLiteral("50%"));
}

TEST_F(MixerContentUi, AnApplicationWithoutAGainShowsAFullSliderAtOneHundredPercent)
{
    setStreams({playback(1, 501)});
    show();
    ASSERT_EQ(content->applicationRows().size(), 1);
    MixerRow *row = content->applicationRow(music);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->title(), QStringLiteral("Música"));
    EXPECT_EQ(row->percentage(), QStringLiteral("100%"));
    EXPECT_EQ(row->slider()->value(), 1);
    EXPECT_EQ(row->pos(), QPointF(rowsLeft, listTop));
    EXPECT_EQ(content->placeholder()->opacity(), 0);
    EXPECT_EQ(size.height(), notchHeight + 79);

    const QImage image = render();
    const auto [first, last] = accentSpan(image, int(listTop + 16));
    EXPECT_EQ(first, int(sliderLeft));
    EXPECT_EQ(last, int(sliderLeft) + 169);
    const QRect percentage = Rendering::inkBounds(image, QRect(int(sliderLeft) + 171, int(listTop), 60, 32));
    ASSERT_FALSE(percentage.isEmpty());
    EXPECT_LE(percentage.right(), int(rowsLeft + rowsWidth));
    EXPECT_GT(percentage.left(), int(sliderLeft) + 170 + 10 - 1);
}

TEST_F(MixerContentUi, DraggingARowSetsThatApplicationsGainAsItMoves)
{
    setStreams({playback(1, 501), playback(2, 502)});
    show();
    MixerRow *row = content->applicationRow(music);
    ASSERT_TRUE(row);
    driver.press(sliderPoint(row, 0.5));
    EXPECT_EQ(mixer().gains(), (QHash<QString, double>{{music, 0.5}}));
    EXPECT_EQ(row->percentage(), QStringLiteral("50%"));
    ASSERT_TRUE(platform.audio.liveTap({501}));
    EXPECT_FLOAT_EQ(platform.audio.liveTap({501})->gain, 0.5f);
    driver.drag(sliderPoint(row, 0.1));
    EXPECT_FLOAT_EQ(platform.audio.liveTap({501})->gain, 0.1f);
    EXPECT_EQ(row->percentage(), QStringLiteral("10%"));
    EXPECT_EQ(content->applicationRow(music), row) << "the row stays while its gain changes";
    EXPECT_EQ(content->applicationRow(browser)->percentage(), QStringLiteral("100%"));

    // At the end of the slider the application plays at full level again.
    driver.drag(sliderPoint(row, 1.2));
    driver.release(sliderPoint(row, 1.2));
    EXPECT_TRUE(mixer().gains().isEmpty());
    EXPECT_EQ(row->percentage(), QStringLiteral("100%"));
    EXPECT_EQ(row->slider()->value(), 1);
    EXPECT_FALSE(platform.audio.liveTap({501}));
}

TEST_F(MixerContentUi, AnApplicationKeptForItsGainAloneIsDimmed)
{
    setStreams({playback(1, 501), playback(2, 502)});
    mixer().setGain(0.3, videos);
    setStreams({playback(1, 501), playback(3, 503, true)});
    show();
    ASSERT_EQ(content->applicationRows().size(), 2) << "the paused application stays for its gain";
    EXPECT_EQ(content->applicationRow(videos)->leading()->opacity(), 0.5);
    EXPECT_EQ(content->applicationRow(videos)->percentage(), QStringLiteral("30%"));
    EXPECT_EQ(content->applicationRow(music)->leading()->opacity(), 1);

    setStreams({playback(1, 501), playback(3, 503)});
    EXPECT_EQ(content->applicationRow(videos)->leading()->opacity(), 1);
}

TEST_F(MixerContentUi, IconsComeFromTheDesktopEntryElseTheGenericSymbol)
{
    QImage icon(44, 44, QImage::Format_ARGB32);
    icon.fill(QColor(220, 30, 30));
    platform.workspace.installed.insert(music, {QStringLiteral("/usr/share/applications/org.example.Music.desktop"), QStringLiteral("Música")});
    platform.workspace.icons.insert(QStringLiteral("/usr/share/applications/org.example.Music.desktop"), icon);
    setStreams({playback(1, 501), playback(2, 502)});
    show();
    auto *musicIcon = qobject_cast<AppIcon *>(content->applicationRow(music)->leading());
    auto *browserIcon = qobject_cast<AppIcon *>(content->applicationRow(browser)->leading());
    ASSERT_TRUE(musicIcon && browserIcon);
    EXPECT_TRUE(musicIcon->showsApplicationIcon());
    EXPECT_FALSE(browserIcon->showsApplicationIcon());

    // Rows in name order: Música, then Navegador. Each icon fills its 22 ×
    // 22 square, centred in the 32-point row.
    ASSERT_EQ(content->applicationRows(), (QList<MixerRow *>{content->applicationRow(music), content->applicationRow(browser)}));
    const QImage image = render();
    const QRect first = Rendering::inkBounds(image, QRect(0, int(listTop), int(rowsLeft + 22), 32));
    EXPECT_EQ(first, QRect(int(rowsLeft), int(listTop) + 5, 22, 22));
    EXPECT_NEAR(image.pixelColor(first.center()).red(), 220, 2);
    // The generic symbol: white at 0.4, inside the square.
    const QRect second = Rendering::inkBounds(image, QRect(0, int(listTop) + 32, int(rowsLeft + 22), 32));
    ASSERT_FALSE(second.isEmpty());
    EXPECT_TRUE(QRect(int(rowsLeft), int(listTop) + 32 + 5, 22, 22).contains(second));
    int brightest = 0;
    for (int y = second.top(); y <= second.bottom(); ++y)
        for (int x = second.left(); x <= second.right(); ++x)
            brightest = std::max(brightest, image.pixelColor(x, y).red());
    EXPECT_NEAR(brightest, 102, 3);
}

TEST_F(MixerContentUi, ACloseButtonOnlyWhilePinnedAndItClosesTheMixer)
{
    show();
    CloseButton *close = content->closeButton();
    EXPECT_FALSE(close->isVisible());

    model.setMixerPinned(true);
    EXPECT_TRUE(close->isVisible());
    EXPECT_EQ(close->toolTip(), QStringLiteral("Fechar o mixer"));
    EXPECT_EQ(close->mapRectToScene(close->boundingRect()), QRectF(size.width() - 26 - 18, 3, 18, 18));
    const QImage image = render();
    const QRect drawn = Rendering::inkBounds(image, QRect(int(size.width()) - 60, 0, 60, int(notchHeight)));
    EXPECT_TRUE(QRect(int(size.width()) - 44, 3, 18, 18).contains(drawn));
    EXPECT_FALSE(drawn.isEmpty());

    // Without a close action the button does nothing.
    driver.click(QPointF(size.width() - 35, 12));
    int closed = 0;
    model.closeMixer = [&closed] { ++closed; };
    driver.click(QPointF(size.width() - 35, 12));
    EXPECT_EQ(closed, 1);

    model.setMixerPinned(false);
    EXPECT_FALSE(close->isVisible());
}

TEST_F(MixerContentUi, TheCloseButtonSitsInATallerNotchBand)
{
    platform.screens.setScreens({FakeScreens::notchedScreen(QStringLiteral("eDP-1"), QRect(0, 0, 1512, 982), 37, 200, 32)});
    NotchViewModel notched(NotchMetrics(platform.screens.screens().first(), SimulatedStyle::notch), *app);
    notched.setMixerPinned(true);
    MixerContent mixerContent(notched);
    mixerContent.setSize(notched.shapeSize(NotchState::mixer()));
    EXPECT_EQ(mixerContent.closeButton()->pos(), QPointF(notched.shapeSize(NotchState::mixer()).width() - 44, 7));
    EXPECT_EQ(mixerContent.systemRow()->pos(), QPointF(rowsLeft, 32 + 4));
}

TEST_F(MixerContentUi, AChangeOfTheListSlidesAndFadesTheRowsOverAFifthOfASecond)
{
    setStreams({playback(2, 502)});
    show();
    MixerRow *navegador = content->applicationRow(browser);
    ASSERT_TRUE(navegador);

    // Música sorts first: it fades in at the top, Navegador slides down.
    setStreams({playback(1, 501), playback(2, 502)});
    MixerRow *musica = content->applicationRow(music);
    ASSERT_TRUE(musica);
    EXPECT_EQ(content->applicationRow(browser), navegador) << "a row is kept by its application";
    EXPECT_TRUE(content->isAnimatingList());
    EXPECT_EQ(musica->opacity(), 0);
    EXPECT_EQ(musica->y(), listTop);
    EXPECT_EQ(navegador->y(), listTop);
    // Frames come 60 times a second: the middle frame is a little before
    // 0.1 s.
    platform.scheduler.advance(0.1);
    EXPECT_NEAR(musica->opacity(), 0.5, 0.15) << "about halfway";
    EXPECT_NEAR(navegador->y(), listTop + 16, 5);
    platform.scheduler.advance(0.08);
    EXPECT_TRUE(content->isAnimatingList());
    platform.scheduler.advance(0.04);
    EXPECT_FALSE(content->isAnimatingList());
    EXPECT_EQ(musica->opacity(), 1);
    EXPECT_EQ(navegador->y(), listTop + 32);

    // Both leave: they fade out where they are and the placeholder returns.
    setStreams({});
    EXPECT_TRUE(content->applicationRows().isEmpty());
    EXPECT_EQ(content->placeholder()->opacity(), 0);
    platform.scheduler.advance(0.1);
    EXPECT_NEAR(navegador->opacity(), 0.5, 0.15);
    EXPECT_EQ(navegador->y(), listTop + 32);
    platform.scheduler.advance(0.12);
    EXPECT_EQ(content->placeholder()->opacity(), 1);
    // The leaving rows are gone: the general row, the placeholder and the
    // close button remain.
    EXPECT_EQ(content->childItems().size(), 3);
}

TEST_F(MixerContentUi, AnApplicationThatComesBackWhileLeavingKeepsItsRow)
{
    setStreams({playback(1, 501)});
    show();
    MixerRow *row = content->applicationRow(music);
    setStreams({});
    platform.scheduler.advance(0.05);
    setStreams({playback(1, 501)});
    EXPECT_EQ(content->applicationRow(music), row);
    platform.scheduler.advance(0.22);
    EXPECT_EQ(row->opacity(), 1);
    EXPECT_EQ(content->applicationRows(), QList<MixerRow *>{row});
}
