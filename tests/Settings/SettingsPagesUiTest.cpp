#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "QtPrinters.h"
#include "Settings/CalendarSettingsPage.h"
#include "Settings/LockScreenSettingsPage.h"
#include "Settings/NowPlayingSettingsPage.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsRouter.h"
#include "Settings/SettingsView.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

// The pages on the app's model, whose settings are the real JSON store in a
// temporary folder; the other services are fakes.
class SettingsPagesTest : public ::testing::Test {
protected:
    Services services()
    {
        const Services fakes = platform.services();
        return Services{fakes.scheduler, defaults, fakes.notifications, fakes.workspace, fakes.soundPlayer, fakes.audio,
                        fakes.keyCapture, fakes.windowServer, fakes.screens, fakes.eventStore, fakes.location, fakes.credentials,
                        fakes.pointer, fakes.backlights, fakes.updates, fakes.powerSources, fakes.bluetooth, fakes.sessionLock, fakes.loginItems};
    }

    // The settings file as written so far.
    QJsonObject stored()
    {
        defaults.synchronize();
        QFile file(defaults.path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // Shows `page` at the settings window's detail size.
    template <typename Page>
    Page *shown(Page *page)
    {
        m_page.reset(page);
        page->resize(430, 712);
        page->show();
        QCoreApplication::processEvents();
        return page;
    }

    // The row of type `Row` whose own title label reads `title`.
    template <typename Row>
    Row *row(const QString &title) const
    {
        for (Row *candidate : m_page->findChildren<Row *>()) {
            for (QLabel *label : candidate->template findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
                if (label->text() == title)
                    return candidate;
            }
        }
        ADD_FAILURE() << "no row titled " << title.toStdString();
        return nullptr;
    }

    // The page's tile selectors, top to bottom.
    QList<TileSelector *> tileSelectors() const { return m_page->findChildren<TileSelector *>(); }

    // Whether a label reading `text` is on the page and shown.
    bool showsText(const QString &text) const
    {
        for (QLabel *label : m_page->findChildren<QLabel *>()) {
            if (label->text() == text && label->isVisibleTo(m_page.get()))
                return true;
        }
        return false;
    }

    static void clickTile(TileSelector *tiles, int index)
    {
        QTest::mouseClick(tiles, Qt::LeftButton, {}, tiles->tileRect(index).center().toPoint());
    }

    // A drag on `row`'s slider from its leading end to where `value` lies.
    static void dragTo(SliderRow *row, double lower, double upper, double value)
    {
        AccentSlider *slider = row->slider();
        const auto at = [&](double v) {
            return QPoint(int(std::lround(8 + (v - lower) / (upper - lower) * (slider->width() - 16))), slider->height() / 2);
        };
        QTest::mousePress(slider, Qt::LeftButton, {}, at(lower));
        QTest::mouseMove(slider, at((lower + value) / 2));
        QTest::mouseMove(slider, at(value));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at(value));
    }

    QTemporaryDir folder;
    FakePlatform platform;
    JsonUserDefaults defaults{platform.scheduler, folder.filePath(QStringLiteral("quib/defaults.json"))};
    AppModel model{services()};

private:
    std::unique_ptr<QWidget> m_page;
};

// The settings window makes these pages for their ids, a fresh one each time.
TEST_F(SettingsPagesTest, TheWindowMakesThePagesForTheirIds)
{
    SettingsRouter router;
    const std::unique_ptr<SettingsPage> nowPlaying(SettingsView::makePage(SettingsPageID::nowPlaying, model, router));
    const std::unique_ptr<SettingsPage> calendar(SettingsView::makePage(SettingsPageID::calendar, model, router));
    const std::unique_ptr<SettingsPage> lockScreen(SettingsView::makePage(SettingsPageID::lockScreen, model, router));
    EXPECT_NE(qobject_cast<NowPlayingSettingsPage *>(nowPlaying.get()), nullptr);
    EXPECT_NE(qobject_cast<CalendarSettingsPage *>(calendar.get()), nullptr);
    EXPECT_NE(qobject_cast<LockScreenSettingsPage *>(lockScreen.get()), nullptr);
    EXPECT_EQ(lockScreen->page(), SettingsPageID::lockScreen);
}

// MARK: Now playing

TEST_F(SettingsPagesTest, NowPlayingRowsWriteTheSettingsFile)
{
    shown(new NowPlayingSettingsPage(model));
    ASSERT_TRUE(model.preferences.nowPlayingEnabled.value());
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Tocando agora"))->toggle(), Qt::LeftButton);
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Esconder extras do título"))->toggle(), Qt::LeftButton);

    SliderRow *pause = row<SliderRow>(QStringLiteral("Tempo depois de pausar"));
    dragTo(pause, 0, 15, 7);
    EXPECT_EQ(pause->valueText(), QStringLiteral("7s"));

    const QList<TileSelector *> tiles = tileSelectors();
    ASSERT_EQ(tiles.size(), 2);
    ASSERT_EQ(tiles[0]->count(), 3);
    ASSERT_EQ(tiles[1]->count(), 4);
    clickTile(tiles[0], 2);
    clickTile(tiles[1], 2);

    PickerRow *source = row<PickerRow>(QStringLiteral("Mostrar música de"));
    ASSERT_EQ(source->menu()->count(), 3);
    EXPECT_EQ(source->menu()->itemText(2), QStringLiteral("Música"));
    source->menu()->setFocus();
    QTest::keyClick(source->menu(), Qt::Key_End);

    const QJsonObject file = stored();
    EXPECT_EQ(file.value(QStringLiteral("nowPlayingEnabled")), QJsonValue(false));
    EXPECT_EQ(file.value(QStringLiteral("hideTitleExtras")), QJsonValue(true));
    EXPECT_EQ(file.value(QStringLiteral("idleDuration")), QJsonValue(7.0));
    EXPECT_EQ(file.value(QStringLiteral("waveformStyle")), QJsonValue(QStringLiteral("gradient")));
    EXPECT_EQ(file.value(QStringLiteral("extraButton")), QJsonValue(QStringLiteral("repeat"))) << "the raw value of repeatMode";
    EXPECT_EQ(file.value(QStringLiteral("mediaSource")), QJsonValue(QStringLiteral("music")));

    // With now playing off, every other row still takes input.
    for (QWidget *control : {static_cast<QWidget *>(row<ToggleRow>(QStringLiteral("Animação de virar a capa"))), static_cast<QWidget *>(pause),
                             static_cast<QWidget *>(tiles[1]), static_cast<QWidget *>(source)}) {
        EXPECT_TRUE(control->isVisible());
        EXPECT_TRUE(control->isEnabled());
    }
}

// The pause slider offers the whole seconds 0 to 15, and nothing between.
TEST_F(SettingsPagesTest, ThePauseSliderOffersTheWholeSecondsUpTo15)
{
    shown(new NowPlayingSettingsPage(model));
    SliderRow *pause = row<SliderRow>(QStringLiteral("Tempo depois de pausar"));
    std::set<double> offered;
    QPropertyNotifier record = model.preferences.idleDuration.bindable().addNotifier(
        [&] { offered.insert(model.preferences.idleDuration.value()); });
    AccentSlider *slider = pause->slider();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, 4));
    for (int x = slider->width() - 1; x >= 0; --x)
        QTest::mouseMove(slider, QPoint(x, 4));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(0, 4));
    std::set<double> seconds;
    for (int s = 0; s <= 15; ++s)
        seconds.insert(s);
    EXPECT_EQ(offered, seconds);
    EXPECT_EQ(pause->valueText(), QStringLiteral("0s"));
}

TEST_F(SettingsPagesTest, NowPlayingFollowsChangesMadeElsewhere)
{
    shown(new NowPlayingSettingsPage(model));
    Preferences &preferences = model.preferences;
    preferences.songPeek.setValue(false);
    preferences.idleDuration.setValue(12);
    preferences.waveformStyle.setValue(WaveformStyle::monochrome);
    preferences.extraButton.setValue(ExtraButton::copy);
    preferences.mediaSource.setValue(MediaSource::spotify);
    EXPECT_FALSE(row<ToggleRow>(QStringLiteral("Mostrar a música nova ao trocar"))->toggle()->isChecked());
    EXPECT_EQ(row<SliderRow>(QStringLiteral("Tempo depois de pausar"))->valueText(), QStringLiteral("12s"));
    EXPECT_EQ(tileSelectors()[0]->selectedIndex(), 0);
    EXPECT_EQ(tileSelectors()[1]->selectedIndex(), 3);
    EXPECT_EQ(row<PickerRow>(QStringLiteral("Mostrar música de"))->menu()->currentIndex(), 1);
}

// The three waveform samples share the track and the bar's size; only the
// bar's fill differs.
TEST_F(SettingsPagesTest, WaveformSamplesDifferOnlyInTheBarsFill)
{
    model.preferences.waveformStyle.setValue(WaveformStyle::colored);
    shown(new NowPlayingSettingsPage(model));
    TileSelector *tiles = tileSelectors()[0];
    QImage image(tiles->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    tiles->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // The samples' rows: the bar from 35 points left of the centre for 46,
    // the bare track for the 24 after it.
    const auto sample = [&](int index, double offset) {
        const QRectF tile = tiles->tileRect(index);
        return image.pixelColor(int(std::floor(tile.center().x() + offset)), int(tile.top() + 48 / 2.0));
    };
    // Unselected tiles: monochrome (0) and gradient (2).
    EXPECT_EQ(sample(0, 20), sample(2, 20)) << "the same bare track";
    EXPECT_EQ(sample(0, -45), sample(2, -45)) << "nothing beyond the track";
    EXPECT_NE(sample(0, -30), sample(2, -30)) << "different bars";
    const QColor white = sample(0, -30);
    EXPECT_EQ(white.red(), white.blue()) << "the monochrome bar is grey";
    EXPECT_GT(sample(2, 8).red(), sample(2, -30).red()) << "the gradient runs from the accent towards orange";
    // The gradient's bar ends where the monochrome one does.
    EXPECT_NE(sample(2, 9), sample(2, 14));
    EXPECT_NE(sample(0, 9), sample(0, 14));
    EXPECT_EQ(sample(0, 14), sample(2, 14));
}

// MARK: Calendar

TEST_F(SettingsPagesTest, CalendarRowsWriteTheSettingsFileAndPlay)
{
    model.preferences.hourlyChime.setValue(false);
    shown(new CalendarSettingsPage(model));
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Calendário"))->toggle(), Qt::LeftButton);

    SliderRow *reminder = row<SliderRow>(QStringLiteral("Contagem antes do evento"));
    dragTo(reminder, 0, 60, 0);
    EXPECT_EQ(reminder->valueText(), QStringLiteral("não"));
    dragTo(reminder, 0, 60, 42);
    EXPECT_EQ(reminder->valueText(), QStringLiteral("40m"));

    const QList<TileSelector *> tiles = tileSelectors();
    ASSERT_EQ(tiles.size(), 1);
    ASSERT_EQ(tiles[0]->count(), 3);
    clickTile(tiles[0], 1);

    // The play buttons play without switching anything.
    ToggleRow *chime = row<ToggleRow>(QStringLiteral("Toque de hora em hora"));
    QTest::mouseClick(chime->previewButton(), Qt::LeftButton);
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Som ao avisar evento"))->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), (QStringList{QStringLiteral("Hero"), QStringLiteral("Glass")}));
    EXPECT_FALSE(chime->toggle()->isChecked());

    const QJsonObject file = stored();
    EXPECT_EQ(file.value(QStringLiteral("calendarEnabled")), QJsonValue(false));
    EXPECT_EQ(file.value(QStringLiteral("reminderMinutes")), QJsonValue(40.0));
    EXPECT_EQ(file.value(QStringLiteral("sideColumn")), QJsonValue(QStringLiteral("claude")));
    EXPECT_EQ(file.value(QStringLiteral("hourlyChime")), QJsonValue(false));
    EXPECT_FALSE(file.contains(QStringLiteral("soundOnEvent")));
}

TEST_F(SettingsPagesTest, CalendarFollowsChangesMadeElsewhere)
{
    shown(new CalendarSettingsPage(model));
    model.preferences.reminderMinutes.setValue(0);
    model.preferences.sideColumn.setValue(SideColumn::calendar);
    model.preferences.useCalendarColor.setValue(false);
    EXPECT_EQ(row<SliderRow>(QStringLiteral("Contagem antes do evento"))->valueText(), QStringLiteral("não"));
    EXPECT_EQ(tileSelectors()[0]->selectedIndex(), 0);
    EXPECT_FALSE(row<ToggleRow>(QStringLiteral("Usar a cor do calendário"))->toggle()->isChecked());
}

// The list of calendars: a check box per calendar that adds or removes only
// its own identifier; identifiers of calendars that are gone stay.
TEST_F(SettingsPagesTest, CalendarCheckBoxesSwitchOnlyTheirOwnCalendar)
{
    platform.eventStore.calendarList = {{QStringLiteral("work"), QStringLiteral("Trabalho"), QStringLiteral("Google"), QColor(Qt::red)},
                                        {QStringLiteral("home"), QStringLiteral("Casa"), QStringLiteral("iCloud"), QColor(Qt::green)}};
    model.preferences.disabledCalendarIDs.setValue({QStringLiteral("work"), QStringLiteral("gone")});
    model.calendar.checkAuthorization();
    auto *page = shown(new CalendarSettingsPage(model));

    const QList<CalendarToggleRow *> rows = page->findChildren<CalendarToggleRow *>();
    ASSERT_EQ(rows.size(), 2) << "no row for the calendar that is gone";
    CalendarToggleRow *work = rows[0]->calendar().id == QStringLiteral("work") ? rows[0] : rows[1];
    CalendarToggleRow *home = work == rows[0] ? rows[1] : rows[0];
    EXPECT_FALSE(work->isOn());
    EXPECT_TRUE(home->isOn());
    EXPECT_TRUE(showsText(QStringLiteral("Trabalho")));
    EXPECT_TRUE(showsText(QStringLiteral("iCloud")));

    const auto disabledInFile = [&] {
        StringSet identifiers;
        for (const QJsonValue &identifier : stored().value(QStringLiteral("disabledCalendarIDs")).toArray())
            identifiers.insert(identifier.toString());
        return identifiers;
    };
    QTest::mouseClick(home->checkBox(), Qt::LeftButton);
    EXPECT_FALSE(home->isOn());
    EXPECT_EQ(disabledInFile(), (StringSet{QStringLiteral("work"), QStringLiteral("gone"), QStringLiteral("home")}));

    QTest::mouseClick(work->checkBox(), Qt::LeftButton);
    EXPECT_TRUE(work->isOn());
    EXPECT_EQ(disabledInFile(), (StringSet{QStringLiteral("gone"), QStringLiteral("home")}));

    // The model reloads after such a change; the same calendars keep their rows.
    model.calendar.reload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page->findChildren<CalendarToggleRow *>(), rows);

    // Only the check box toggles; the title does not.
    QLabel *title = nullptr;
    for (QLabel *label : home->findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("Casa"))
            title = label;
    }
    ASSERT_NE(title, nullptr);
    QTest::mouseClick(title, Qt::LeftButton);
    EXPECT_FALSE(home->isOn());

    // A change made elsewhere shows on the row.
    model.preferences.disabledCalendarIDs.setValue({});
    EXPECT_TRUE(home->isOn());
    EXPECT_TRUE(work->isOn());
}

// Without access the card asks for it; with access and no calendars it says
// so; calendars that appear while the page is open get their rows.
TEST_F(SettingsPagesTest, TheCalendarCardFollowsAccessAndTheCalendars)
{
    const QString askForAccess = QStringLiteral("Permita o acesso ao Calendário em Ajustes do Sistema › Privacidade");
    const QString noCalendars = QStringLiteral("Nenhum calendário encontrado");
    platform.eventStore.status = EventStore::AuthorizationStatus::denied;
    model.calendar.checkAuthorization();
    auto *page = shown(new CalendarSettingsPage(model));
    EXPECT_TRUE(showsText(askForAccess));
    EXPECT_FALSE(showsText(noCalendars));

    platform.eventStore.status = EventStore::AuthorizationStatus::fullAccess;
    model.calendar.checkAuthorization();
    QCoreApplication::processEvents();
    EXPECT_TRUE(showsText(noCalendars));
    EXPECT_FALSE(showsText(askForAccess));
    EXPECT_TRUE(page->findChildren<CalendarToggleRow *>().isEmpty());

    platform.eventStore.calendarList = {{QStringLiteral("a"), QStringLiteral("Pessoal"), QString(), std::nullopt},
                                        {QStringLiteral("b"), QStringLiteral("Feriados"), QString(), std::nullopt}};
    model.calendar.reload();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(showsText(noCalendars));
    const QList<CalendarToggleRow *> rows = page->findChildren<CalendarToggleRow *>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0]->isVisibleTo(page));
    // One divider between the two rows, none before the first.
    const QList<RowDivider *> dividers = rows[0]->parentWidget()->findChildren<RowDivider *>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(dividers.size(), 1);
    EXPECT_GT(dividers[0]->y(), rows[0]->y());
}

// MARK: Lock screen

TEST_F(SettingsPagesTest, LockScreenRowsWriteTheSettingsFileAndPlay)
{
    shown(new LockScreenSettingsPage(model));
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Tela de bloqueio"))->toggle(), Qt::LeftButton);
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Mostrar controle de volume"))->toggle(), Qt::LeftButton);

    SliderRow *offset = row<SliderRow>(QStringLiteral("Ajuste de posição"));
    dragTo(offset, -150, 150, -150);
    EXPECT_EQ(offset->valueText(), QStringLiteral("-150px"));
    dragTo(offset, -150, 150, -20);
    EXPECT_EQ(offset->valueText(), QStringLiteral("-20px"));

    // Dragged past the leading end: the idle time stops at 1 minute, keeping
    // awake goes down to 0.
    SliderRow *idle = row<SliderRow>(QStringLiteral("Tempo depois de pausar"));
    SliderRow *awake = row<SliderRow>(QStringLiteral("Manter a tela acesa"));
    for (SliderRow *slider : {idle, awake}) {
        dragTo(slider, 0, 30, 10);
        QTest::mousePress(slider->slider(), Qt::LeftButton, {}, QPoint(-40, 4));
        QTest::mouseRelease(slider->slider(), Qt::LeftButton, {}, QPoint(-40, 4));
    }
    EXPECT_EQ(idle->valueText(), QStringLiteral("1m"));
    EXPECT_EQ(awake->valueText(), QStringLiteral("0m"));

    const QList<TileSelector *> tiles = tileSelectors();
    ASSERT_EQ(tiles.size(), 2);
    ASSERT_EQ(tiles[0]->count(), 2);
    ASSERT_EQ(tiles[1]->count(), 3);
    clickTile(tiles[0], 1);
    clickTile(tiles[1], 1);

    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Som ao bloquear"))->previewButton(), Qt::LeftButton);
    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Som ao desbloquear"))->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), (QStringList{QStringLiteral("QuibLockChime"), QStringLiteral("QuibUnlock")}));

    const QJsonObject file = stored();
    EXPECT_EQ(file.value(QStringLiteral("lockScreenPlayer")), QJsonValue(false));
    EXPECT_EQ(file.value(QStringLiteral("lockShowVolume")), QJsonValue(false));
    EXPECT_EQ(file.value(QStringLiteral("lockOffset")), QJsonValue(-20.0));
    EXPECT_EQ(file.value(QStringLiteral("lockIdleMinutes")), QJsonValue(1.0));
    EXPECT_EQ(file.value(QStringLiteral("keepAwakeMinutes")), QJsonValue(0.0));
    EXPECT_EQ(file.value(QStringLiteral("lockPlayerStyle")), QJsonValue(QStringLiteral("clear")));
    EXPECT_EQ(file.value(QStringLiteral("lockWeatherInfo")), QJsonValue(QStringLiteral("sun")));
    EXPECT_FALSE(file.contains(QStringLiteral("soundOnLock")));
    EXPECT_FALSE(file.contains(QStringLiteral("soundOnUnlock")));
}

// With the weather off, its tiles are dimmed to half and take no click; the
// choice stays as it was.
TEST_F(SettingsPagesTest, TheWeatherTilesAreDimmedAndIdleWhileTheWeatherIsOff)
{
    model.preferences.lockWeatherInfo.setValue(LockWeatherInfo::precipitation);
    shown(new LockScreenSettingsPage(model));
    TileSelector *weather = tileSelectors()[1];
    // Drawn as part of its card, as the page draws it.
    QWidget *card = weather->parentWidget();
    const auto picture = [&] {
        QImage image(card->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        card->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.copy(weather->geometry());
    };
    // The brightest grey of the picture: the tile texts.
    const auto brightest = [](const QImage &image) {
        int most = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                most = std::max(most, qGray(image.pixel(x, y)));
        }
        return most;
    };
    const int lit = brightest(picture());
    EXPECT_TRUE(weather->isEnabled());

    QTest::mouseClick(row<ToggleRow>(QStringLiteral("Clima"))->toggle(), Qt::LeftButton);
    ASSERT_FALSE(model.preferences.lockWeather.value());
    EXPECT_FALSE(weather->isEnabled());
    const QImage off = picture();
    // Half way between the card's own fill (in the selector's padding) and
    // the brightest text.
    const int fill = qGray(off.pixel(off.width() / 2, 3));
    EXPECT_NEAR(brightest(off), (lit + fill) / 2, 2) << "drawn at half opacity";
    clickTile(weather, 0);
    EXPECT_EQ(model.preferences.lockWeatherInfo.value(), LockWeatherInfo::precipitation);
    EXPECT_EQ(stored().value(QStringLiteral("lockWeatherInfo")), QJsonValue(QStringLiteral("precipitation")));
    EXPECT_EQ(stored().value(QStringLiteral("lockWeather")), QJsonValue(false));

    // Turned on elsewhere: the tiles come back at full opacity and take clicks.
    model.preferences.lockWeather.setValue(true);
    EXPECT_TRUE(weather->isEnabled());
    EXPECT_EQ(brightest(picture()), lit);
    clickTile(weather, 0);
    EXPECT_EQ(model.preferences.lockWeatherInfo.value(), LockWeatherInfo::conditions);
}

// The weather tiles redraw when the forecast arrives while the page is open.
TEST_F(SettingsPagesTest, TheWeatherTilesFollowTheWeather)
{
    auto *page = shown(new LockScreenSettingsPage(model));
    TileSelector *weather = tileSelectors()[1];
    page->scrollArea()->ensureWidgetVisible(weather);
    const auto picture = [&] {
        QImage image(weather->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        weather->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.copy(weather->tileRect(2).toAlignedRect());
    };
    const QImage standIn = picture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !weather->visibleRegion().isEmpty(); }, 2000));

    class PaintCounter : public QObject {
    public:
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    QCoreApplication::processEvents();
    weather->installEventFilter(&counter);
    model.weather.bindablePrecipitationChance().setValue(80);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000)) << "the page repaints the tiles";
    EXPECT_NE(picture(), standIn);

    // A chance of 12% reads as the stand-in does.
    model.weather.bindablePrecipitationChance().setValue(12);
    EXPECT_EQ(picture(), standIn);
}

} // namespace
