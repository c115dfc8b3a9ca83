#include "App/Preferences.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "QtPrinters.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsText.h"

#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Controls bound to the real settings, over user defaults in memory that
// record every write.
class SettingsControlsTest : public ::testing::Test {
protected:
    FakeUserDefaults defaults;
    Preferences preferences{defaults};

    int writesOf(const Setting<bool> &setting) const { return int(defaults.writes.count(setting.key())); }
    int writesOf(const Setting<double> &setting) const { return int(defaults.writes.count(setting.key())); }
    template <typename E>
    int writesOf(const Setting<E> &setting) const
    {
        return int(defaults.writes.count(setting.key()));
    }

    // Lays out and shows `widget` at `width` so clicks land where drawn.
    template <typename W>
    W *shown(W *widget, int width = 420)
    {
        m_owner.reset(widget);
        widget->resize(width, widget->sizeHint().height());
        widget->show();
        return widget;
    }

private:
    std::unique_ptr<QWidget> m_owner;
};

TEST_F(SettingsControlsTest, ToggleRowClickFlipsTheSettingBothWays)
{
    preferences.hideInFullscreen.setValue(true);
    defaults.writes.clear();
    auto *row = shown(new ToggleRow(QStringLiteral("Ocultar em tela cheia"), bindingOf(preferences.hideInFullscreen)));
    EXPECT_TRUE(row->toggle()->isChecked());

    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    EXPECT_FALSE(preferences.hideInFullscreen.value());
    EXPECT_FALSE(row->toggle()->isChecked());
    EXPECT_EQ(defaults.values.value(preferences.hideInFullscreen.key()), QVariant(false));

    // A click anywhere on the capsule, not only on the knob.
    QTest::mouseClick(row->toggle(), Qt::LeftButton, {}, QPoint(3, 19));
    EXPECT_TRUE(preferences.hideInFullscreen.value());
    EXPECT_TRUE(row->toggle()->isChecked());
    EXPECT_EQ(writesOf(preferences.hideInFullscreen), 2);
}

// The capsule turns to the accent and the 17-point knob travels, inset 2.5
// points, from the leading to the trailing end, animated.
TEST_F(SettingsControlsTest, TheSwitchKnobTravelsToTheTrailingEnd)
{
    preferences.hideInFullscreen.setValue(false);
    auto *row = shown(new ToggleRow(QStringLiteral("Ocultar em tela cheia"), bindingOf(preferences.hideInFullscreen)));
    AccentSwitch *toggle = row->toggle();
    const auto picture = [&] {
        QImage image(toggle->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        toggle->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    // Along the middle row the knob is bright; the capsule around it is not.
    const auto bright = [](const QImage &image, int x) { return qGray(image.pixel(x, 11)) > 180; };
    const auto knobBetween = [&](const QImage &image, int left, int right) {
        for (int x = left; x <= right; ++x) {
            if (!bright(image, x))
                return false;
        }
        return !bright(image, left - 2) && !bright(image, right + 2);
    };
    const auto near = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 && std::abs(a.blue() - b.blue()) <= 3;
    };
    const QImage off = picture();
    // 17 points across, 2.5 in: 2.5 ... 19.5 off, 18.5 ... 35.5 on.
    EXPECT_TRUE(knobBetween(off, 3, 18));
    EXPECT_TRUE(near(off.pixelColor(27, 2), QColor(41, 41, 41))) << "white at 0.16 on black";

    QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_TRUE(preferences.hideInFullscreen.value());
    EXPECT_TRUE(knobBetween(picture(), 3, 18)) << "the knob starts from where it was";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage now = picture();
            return knobBetween(now, 19, 34) && near(now.pixelColor(10, 2), SettingsStyle::accent());
        },
        5000))
        << "the knob settles at the trailing end on the accent";
}

TEST_F(SettingsControlsTest, ASwitchWhoseWriteDoesNotTakeShowsTheStoredValue)
{
    int attempts = 0;
    QProperty<bool> source(false);
    SettingsBinding<bool> refusing{[&] { return source.value(); }, [&](const bool &) { ++attempts; }};
    auto *row = shown(new ToggleRow(QStringLiteral("Abrir ao iniciar sessão"), refusing));

    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(row->toggle()->isChecked()) << "the switch goes back to the stored value";
}

TEST_F(SettingsControlsTest, PreviewButtonPlaysWithoutFlippingTheSwitch)
{
    preferences.hideInFullscreen.setValue(false);
    defaults.writes.clear();
    int played = 0;
    ToggleRow::Options options;
    options.preview = [&] { ++played; };
    auto *row = shown(new ToggleRow(QStringLiteral("Som ao conectar"), bindingOf(preferences.hideInFullscreen), options));

    ASSERT_NE(row->previewButton(), nullptr);
    EXPECT_EQ(row->previewButton()->toolTip(), QStringLiteral("Ouvir"));
    QTest::mouseClick(row->previewButton(), Qt::LeftButton);
    EXPECT_EQ(played, 1);
    EXPECT_FALSE(preferences.hideInFullscreen.value());
    EXPECT_FALSE(row->toggle()->isChecked());
    EXPECT_EQ(writesOf(preferences.hideInFullscreen), 0);

    auto *plain = new ToggleRow(QStringLiteral("Sem prévia"), bindingOf(preferences.hideInFullscreen));
    EXPECT_EQ(plain->previewButton(), nullptr);
    delete plain;
}

TEST_F(SettingsControlsTest, ToggleRowMeasures)
{
    // Title inset: 12 points without an icon, after the 18-point icon column
    // and 8 points of spacing with one; at least 42 points tall, also with a
    // hint that wraps.
    struct Case {
        const char *what;
        std::optional<QString> icon;
        std::optional<QString> hint;
        int titleLeft;
    };
    const Case cases[] = {
        {"plain", std::nullopt, std::nullopt, 12},
        {"icon", QStringLiteral("bolt.fill"), std::nullopt, 12 + 18 + 8},
        {"icon and hint", QStringLiteral("bolt.fill"),
         QStringLiteral("Um texto de ajuda longo o bastante para quebrar em mais de uma linha nesta largura estreita"), 12 + 18 + 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ToggleRow::Options options;
        options.icon = c.icon;
        options.hint = c.hint;
        // In a card, as the pages place it, at the height the card asks for.
        auto *card = shown(new SettingsCard, 300);
        auto *row = new ToggleRow(QStringLiteral("Título"), bindingOf(preferences.hideInFullscreen), options);
        card->addRow(row);
        card->resize(300, card->heightForWidth(300) > 0 ? card->heightForWidth(300) : card->sizeHint().height());
        QCoreApplication::processEvents();
        QLabel *title = nullptr;
        for (QLabel *label : row->findChildren<QLabel *>()) {
            if (label->text() == QStringLiteral("Título"))
                title = label;
        }
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->geometry().left(), c.titleLeft);
        EXPECT_GE(row->height(), 42);
        EXPECT_EQ(row->toggle()->size(), QSize(38, 22));
        EXPECT_EQ(row->toggle()->geometry().right() + 1, row->width() - 12);
    }
}

TEST_F(SettingsControlsTest, SliderClickAndDragWriteSnappedValues)
{
    preferences.hoverDelay.setValue(0.1);
    defaults.writes.clear();
    auto format = [](double v) { return QString::number(v, 'f', 2) + QStringLiteral(" s"); };
    auto *row = shown(new SliderRow(QStringLiteral("Atraso"), bindingOf(preferences.hoverDelay), 0, 1, 0.1, format));
    AccentSlider *slider = row->slider();
    ASSERT_GT(slider->width(), 100);
    const double travel = slider->width() - 16;
    const auto at = [&](double fraction) { return QPoint(int(std::lround(8 + fraction * travel)), slider->height() / 2); };

    // A plain click moves to the clicked step at once.
    QTest::mouseClick(slider, Qt::LeftButton, {}, at(0.72));
    EXPECT_DOUBLE_EQ(preferences.hoverDelay.value(), 0.7);
    EXPECT_EQ(row->valueText(), QStringLiteral("0.70 s"));
    EXPECT_EQ(writesOf(preferences.hoverDelay), 1);

    // A drag that stays within one step writes once.
    defaults.writes.clear();
    QTest::mousePress(slider, Qt::LeftButton, {}, at(0.31));
    for (const double f : {0.32, 0.33, 0.34, 0.29, 0.27})
        QTest::mouseMove(slider, at(f));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(0.27));
    EXPECT_DOUBLE_EQ(preferences.hoverDelay.value(), 0.3);
    EXPECT_EQ(writesOf(preferences.hoverDelay), 1);

    // Dragging past either end gives exactly the bound.
    QTest::mousePress(slider, Qt::LeftButton, {}, at(0.5));
    QTest::mouseMove(slider, QPoint(slider->width() + 80, 4));
    EXPECT_EQ(preferences.hoverDelay.value(), 1.0);
    QTest::mouseMove(slider, QPoint(-80, 4));
    EXPECT_EQ(preferences.hoverDelay.value(), 0.0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(-80, 4));
    EXPECT_EQ(defaults.values.value(preferences.hoverDelay.key()), QVariant(0.0));
}

TEST_F(SettingsControlsTest, TileClickSelectsAndTheSelectedOneWritesAgain)
{
    const std::vector<IdleActivity> values{IdleActivity::none, IdleActivity::playing, IdleActivity::calendar, IdleActivity::duo};
    std::vector<TileOption> options;
    for (const char *label : {"Nenhum", "Tocando", "Calendário", "Duo"})
        options.push_back({QString::fromUtf8(label), {}});
    preferences.idleActivity.setValue(IdleActivity::duo);
    defaults.writes.clear();
    auto *tiles = shown(new TileSelector(options, indexBindingOf(preferences.idleActivity, values), 48));
    EXPECT_EQ(tiles->selectedIndex(), 3);

    // Four tiles share the row inside 12 points of padding, 10 apart.
    EXPECT_DOUBLE_EQ(tiles->tileRect(0).left(), 12);
    EXPECT_DOUBLE_EQ(tiles->tileRect(1).left() - tiles->tileRect(0).right(), 10);
    EXPECT_DOUBLE_EQ(tiles->tileRect(3).right(), tiles->width() - 12);

    QTest::mouseClick(tiles, Qt::LeftButton, {}, tiles->tileRect(1).center().toPoint());
    EXPECT_EQ(preferences.idleActivity.value(), IdleActivity::playing);
    EXPECT_EQ(tiles->selectedIndex(), 1);
    EXPECT_EQ(writesOf(preferences.idleActivity), 1);

    // The label under the picture is part of the tile.
    QTest::mouseClick(tiles, Qt::LeftButton, {}, QPoint(int(tiles->tileRect(1).center().x()), int(tiles->tileRect(1).bottom()) - 2));
    EXPECT_EQ(preferences.idleActivity.value(), IdleActivity::playing);
    EXPECT_EQ(writesOf(preferences.idleActivity), 2) << "the selected tile writes its value again";

    // The gap between two tiles selects nothing.
    const QPointF gap((tiles->tileRect(1).right() + tiles->tileRect(2).left()) / 2, tiles->tileRect(1).center().y());
    QTest::mouseClick(tiles, Qt::LeftButton, {}, gap.toPoint());
    EXPECT_EQ(writesOf(preferences.idleActivity), 2);
}

// The highlight moves to the clicked tile; clicking the selected tile again
// leaves the picture as it was.
TEST_F(SettingsControlsTest, TheHighlightFollowsTheSelection)
{
    const std::vector<IdleActivity> values{IdleActivity::none, IdleActivity::playing, IdleActivity::calendar};
    preferences.idleActivity.setValue(IdleActivity::none);
    auto *tiles = shown(new TileSelector({{QStringLiteral("Nenhum"), {}}, {QStringLiteral("Tocando"), {}}, {QStringLiteral("Calendário"), {}}},
                                         indexBindingOf(preferences.idleActivity, values), 48));
    const auto picture = [&] {
        QImage image(tiles->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        tiles->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    // The fill in the middle of a tile's picture area, and its border.
    const auto fillOf = [&](const QImage &image, int index) {
        return image.pixelColor(tiles->tileRect(index).center().toPoint().x(), int(tiles->tileRect(index).top()) + 24);
    };
    const auto borderOf = [&](const QImage &image, int index) {
        return image.pixelColor(tiles->tileRect(index).center().toPoint().x(), int(tiles->tileRect(index).top()));
    };
    // Tiles start at fractional positions: their edges may differ by a shade.
    const auto alike = [](const QColor &a, const QColor &b) {
        return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 && std::abs(a.blue() - b.blue()) <= 2;
    };
    const QImage before = picture();
    EXPECT_GT(fillOf(before, 0).green(), fillOf(before, 0).red() + 5) << "the selected tile is tinted with the accent";
    EXPECT_EQ(fillOf(before, 1), fillOf(before, 2));

    QTest::mouseClick(tiles, Qt::LeftButton, {}, tiles->tileRect(1).center().toPoint());
    const QImage moving = picture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return picture() != moving; }, 5000)) << "the highlight animates";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage now = picture();
            return alike(fillOf(now, 1), fillOf(before, 0)) && alike(fillOf(now, 0), fillOf(before, 1))
                && alike(borderOf(now, 1), borderOf(before, 0)) && alike(borderOf(now, 0), borderOf(before, 1));
        },
        5000))
        << "the highlight settles on the clicked tile";
    const QImage after = picture();
    EXPECT_FALSE(alike(borderOf(after, 1), borderOf(after, 0))) << "the selected tile's border is the accent";

    QTest::mouseClick(tiles, Qt::LeftButton, {}, tiles->tileRect(1).center().toPoint());
    EXPECT_EQ(picture(), after);
}

TEST_F(SettingsControlsTest, PickerChoiceWrites)
{
    const std::vector<DisplayMode> values{DisplayMode::all, DisplayMode::notched, DisplayMode::main};
    preferences.displayMode.setValue(DisplayMode::all);
    defaults.writes.clear();
    auto *row = shown(new PickerRow(QStringLiteral("Mostrar em"),
                                    {QStringLiteral("Todas as telas"), QStringLiteral("Telas com notch"), QStringLiteral("Tela principal")},
                                    indexBindingOf(preferences.displayMode, values)));
    EXPECT_EQ(row->menu()->currentIndex(), 0);
    EXPECT_GE(row->height(), 42);

    row->menu()->setFocus();
    QTest::keyClick(row->menu(), Qt::Key_Down);
    EXPECT_EQ(preferences.displayMode.value(), DisplayMode::notched);
    QTest::keyClick(row->menu(), Qt::Key_End);
    EXPECT_EQ(preferences.displayMode.value(), DisplayMode::main);
    EXPECT_EQ(defaults.values.value(preferences.displayMode.key()), QVariant(QStringLiteral("main")));
    EXPECT_EQ(writesOf(preferences.displayMode), 2);
}

TEST_F(SettingsControlsTest, ASettingChangedElsewhereShowsOnEveryControl)
{
    const std::vector<IdleActivity> idle{IdleActivity::none, IdleActivity::playing, IdleActivity::calendar, IdleActivity::duo};
    const std::vector<DisplayMode> modes{DisplayMode::all, DisplayMode::notched, DisplayMode::main};
    QWidget page;
    auto *toggle = new ToggleRow(QStringLiteral("Ocultar"), bindingOf(preferences.hideInFullscreen), {}, &page);
    auto *slider = new SliderRow(QStringLiteral("Atraso"), bindingOf(preferences.hoverDelay), 0, 1, 0.1,
                                 [](double v) { return QString::number(v); }, &page);
    auto *picker = new PickerRow(QStringLiteral("Mostrar em"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                                 indexBindingOf(preferences.displayMode, modes), std::nullopt, &page);
    auto *tiles = new TileSelector({{QStringLiteral("a"), {}}, {QStringLiteral("b"), {}}, {QStringLiteral("c"), {}}, {QStringLiteral("d"), {}}},
                                   indexBindingOf(preferences.idleActivity, idle), 48, &page);

    preferences.hideInFullscreen.setValue(!preferences.hideInFullscreen.value());
    preferences.hoverDelay.setValue(0.4);
    preferences.displayMode.setValue(DisplayMode::main);
    preferences.idleActivity.setValue(IdleActivity::calendar);
    EXPECT_EQ(toggle->toggle()->isChecked(), preferences.hideInFullscreen.value());
    EXPECT_EQ(slider->valueText(), QStringLiteral("0.4"));
    EXPECT_EQ(picker->menu()->currentIndex(), 2);
    EXPECT_EQ(tiles->selectedIndex(), 2);
}

TEST_F(SettingsControlsTest, ShowWhileFollowsThePredicate)
{
    QWidget page;
    auto *row = new QWidget(&page);
    showWhile(row, [this] { return preferences.hideInFullscreen.value() && preferences.hoverDelay.value() > 0.2; });
    page.show();
    preferences.hideInFullscreen.setValue(true);
    preferences.hoverDelay.setValue(0.1);
    EXPECT_FALSE(row->isVisible());
    preferences.hoverDelay.setValue(0.5);
    EXPECT_TRUE(row->isVisible());
    preferences.hideInFullscreen.setValue(false);
    EXPECT_FALSE(row->isVisible());

    // A row not yet in a page does not open as a window; the card it joins
    // shows it.
    auto *unplaced = new QWidget;
    showWhile(unplaced, [this] { return preferences.hoverDelay.value() > 0.2; });
    EXPECT_FALSE(unplaced->isVisible());
    auto *card = new SettingsCard(&page);
    card->addRow(unplaced);
    card->show();
    EXPECT_TRUE(unplaced->isVisible());
    preferences.hoverDelay.setValue(0.1);
    EXPECT_FALSE(unplaced->isVisible());
}

// The slider's tick row holds as many dots as the rule gives.
TEST_F(SettingsControlsTest, TheSliderDrawsItsDots)
{
    struct Case {
        double lower, upper, step;
        int dots;
    };
    for (const Case c : {Case{100, 170, 5, 15}, Case{-150, 150, 10, 31}, Case{0, 1, 0, 11}, Case{3, 3, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.lower << "..." << c.upper << " step " << c.step);
        double value = c.lower;
        AccentSlider slider({[&] { return value; }, [&](const double &v) { value = v; }}, c.lower, c.upper, c.step, 16);
        slider.resize(400, slider.sizeHint().height());
        EXPECT_EQ(slider.height(), 16 + 5);
        QImage image(slider.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        slider.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // Count the runs of lit pixels along the middle of the 2-point row.
        int runs = 0;
        bool inRun = false;
        for (int x = 0; x < image.width(); ++x) {
            const bool lit = qGray(image.pixel(x, 16 + 3)) > 20;
            runs += lit && !inRun;
            inRun = lit;
        }
        EXPECT_EQ(runs, c.dots);
    }
}

// Through the real settings store: a click lands in the settings file.
TEST(SettingsControlsFile, AClickReachesTheSettingsFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("quib/defaults.json"));
    ManualScheduler scheduler;
    JsonUserDefaults defaults(scheduler, path);
    Preferences preferences(defaults);
    const bool before = preferences.hideInFullscreen.value();
    ToggleRow row(QStringLiteral("Ocultar em tela cheia"), bindingOf(preferences.hideInFullscreen));
    row.show();

    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    defaults.synchronize();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(stored.value(preferences.hideInFullscreen.key()).toBool(true), !before);
}

} // namespace
