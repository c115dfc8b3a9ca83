#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/XdgLoginItems.h"
#include "QtPrinters.h"
#include "RowTitled.h"
#include "Settings/ActionRow.h"
#include "Settings/GeneralSettingsPage.h"
#include "Settings/SettingsControls.h"
#include "Shared/SystemColors.h"
#include "Wait.h"

#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The fake services, with the settings in a real settings file and opening
// at login from `loginItems`.
Services servicesWith(FakePlatform &p, UserDefaults &defaults, LoginItems &loginItems)
{
    return Services{.scheduler = p.scheduler,
                    .defaults = defaults,
                    .notifications = p.notifications,
                    .workspace = p.workspace,
                    .soundPlayer = p.soundPlayer,
                    .audio = p.audio,
                    .keyCapture = p.keyCapture,
                    .windowServer = p.windowServer,
                    .screens = p.screens,
                    .eventStore = p.eventStore,
                    .location = p.location,
                    .credentials = p.credentials,
                    .pointer = p.pointer,
                    .backlights = p.backlights,
                    .updates = p.updates,
                    .powerSources = p.powerSources,
                    .bluetooth = p.bluetooth,
                    .sessionLock = p.sessionLock,
                    .loginItems = loginItems};
}

QLabel *labelWithText(QWidget &page, const QString &text)
{
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

// The page in a 429 × 712 detail, over the settings file.
class GeneralSettingsPageTest : public ::testing::Test {
protected:
    GeneralSettingsPageTest() { platform.loginItems.enabled = true; }

    GeneralSettingsPage &page()
    {
        if (!m_page) {
            m_page = std::make_unique<GeneralSettingsPage>(model);
            m_page->resize(429, 712);
            m_page->show();
            QCoreApplication::processEvents();
        }
        return *m_page;
    }
    // Scrolls `widget` into view so that clicks land on it.
    void reveal(QWidget *widget)
    {
        page().scrollArea()->ensureWidgetVisible(widget, 0, 40);
        QCoreApplication::processEvents();
    }
    QJsonObject settingsFile()
    {
        defaults.synchronize();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }
    bool isShown(QWidget *widget) { return widget && widget->isVisibleTo(&page()); }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quib/defaults.json"));
    FakePlatform platform;
    JsonUserDefaults defaults{platform.scheduler, path};
    AppModel model{servicesWith(platform, defaults, platform.loginItems)};

private:
    std::unique_ptr<GeneralSettingsPage> m_page;
};

} // namespace

TEST(GeneralSettingsLabels, WidthAndDelay)
{
    const std::pair<double, QString> widths[] = {{100, "100%"}, {135, "135%"}, {170, "170%"}, {102.9, "102%"},
                                                 {std::nan(""), "–%"}, {std::numeric_limits<double>::infinity(), "–%"}, {1e300, "–%"}};
    for (const auto &[width, text] : widths)
        EXPECT_EQ(GeneralSettingsPage::widthText(width), text) << width;
    const std::pair<double, QString> delays[] = {{0.1, "0.10s"}, {0, "0.00s"}, {0.6, "0.60s"}, {0.35, "0.35s"}};
    for (const auto &[delay, text] : delays)
        EXPECT_EQ(GeneralSettingsPage::hoverDelayText(delay), text) << delay;
}

TEST_F(GeneralSettingsPageTest, ASwitchASliderATileAndAPickerReachTheSettingsFile)
{
    model.preferences.hideInFullscreen.setValue(true);
    auto *fullscreen = rowTitled<ToggleRow>(page(), QStringLiteral("Esconder em tela cheia"));
    ASSERT_NE(fullscreen, nullptr);
    QTest::mouseClick(fullscreen->toggle(), Qt::LeftButton);

    auto *width = rowTitled<SliderRow>(page(), QStringLiteral("Largura"));
    ASSERT_NE(width, nullptr);
    reveal(width);
    AccentSlider *slider = width->slider();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseMove(slider, QPoint(slider->width() / 2, 8));
    QTest::mouseMove(slider, QPoint(slider->width() + 50, 8));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() + 50, 8));
    EXPECT_EQ(width->valueText(), QStringLiteral("170%"));
    EXPECT_TRUE(model.isPreviewingOpen()) << "the notch opens while the width changes";
    platform.scheduler.advance(AppModel::previewDuration);
    EXPECT_FALSE(model.isPreviewingOpen());

    const auto tiles = page().findChildren<TileSelector *>();
    ASSERT_EQ(tiles.size(), 2);
    reveal(tiles[0]);
    QTest::mouseClick(tiles[0], Qt::LeftButton, {}, tiles[0]->tileRect(1).center().toPoint());
    reveal(tiles[1]);
    QTest::mouseClick(tiles[1], Qt::LeftButton, {}, tiles[1]->tileRect(2).center().toPoint());

    auto *picker = rowTitled<PickerRow>(page(), QStringLiteral("Mostrar em"));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->menu()->itemText(1), QStringLiteral("Tela com notch"));
    picker->menu()->setFocus();
    QTest::keyClick(picker->menu(), Qt::Key_End);

    const QJsonObject stored = settingsFile();
    EXPECT_EQ(stored.value(QStringLiteral("hideInFullscreen")), QJsonValue(false));
    EXPECT_EQ(stored.value(QStringLiteral("openWidth")).toDouble(), 170);
    EXPECT_EQ(stored.value(QStringLiteral("simulatedStyle")), QJsonValue(QStringLiteral("pill")));
    EXPECT_EQ(stored.value(QStringLiteral("idleActivity")), QJsonValue(QStringLiteral("calendar")));
    EXPECT_EQ(stored.value(QStringLiteral("displayMode")), QJsonValue(QStringLiteral("main")));
}

TEST_F(GeneralSettingsPageTest, ChangesMadeElsewhereShowAtOnce)
{
    model.preferences.simulatedNotch.setValue(true);
    model.preferences.expandOnHover.setValue(true);
    auto *outline = rowTitled<ToggleRow>(page(), QStringLiteral("Contorno de contraste"));
    auto *width = rowTitled<SliderRow>(page(), QStringLiteral("Largura"));
    auto *delay = rowTitled<SliderRow>(page(), QStringLiteral("Tempo para abrir"));
    QLabel *styles = labelWithText(page(), QStringLiteral("Telas sem notch"));
    const auto tiles = page().findChildren<TileSelector *>();
    ASSERT_TRUE(outline && width && delay && styles);

    model.preferences.contrastOutline.setValue(!outline->toggle()->isChecked());
    EXPECT_EQ(outline->toggle()->isChecked(), model.preferences.contrastOutline.value());
    model.preferences.openWidth.setValue(135);
    EXPECT_EQ(width->valueText(), QStringLiteral("135%"));
    model.preferences.simulatedStyle.setValue(SimulatedStyle::pill);
    EXPECT_EQ(tiles[0]->selectedIndex(), 1);

    // The simulated styles with their text only while the simulated notch is
    // on; the delay and its divider only while hovering opens the notch.
    EXPECT_TRUE(isShown(styles));
    EXPECT_TRUE(isShown(tiles[0]));
    model.preferences.simulatedNotch.setValue(false);
    EXPECT_FALSE(isShown(styles));
    EXPECT_FALSE(isShown(tiles[0]));
    EXPECT_FALSE(isShown(labelWithText(page(), QStringLiteral("A pílula flutua logo abaixo do topo, como a Dynamic Island do iPhone. Telas "
                                                                   "com notch de verdade continuam com o notch."))));
    model.preferences.simulatedNotch.setValue(true);
    EXPECT_TRUE(isShown(tiles[0]));

    auto *card = qobject_cast<SettingsCard *>(delay->parentWidget());
    ASSERT_NE(card, nullptr);
    const auto shownRows = [&] {
        int visible = 0;
        for (QWidget *child : card->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            visible += child->isVisibleTo(card) ? 1 : 0;
        return visible;
    };
    EXPECT_EQ(shownRows(), 7) << "four rows and three dividers";
    model.preferences.expandOnHover.setValue(false);
    EXPECT_FALSE(isShown(delay));
    EXPECT_EQ(shownRows(), 5) << "the delay went with its divider";
}

TEST_F(GeneralSettingsPageTest, VerPermissoesAsksForThePermissionsWindowOnEveryPress)
{
    QSignalSpy asked(&model.permissionNotifications, &PermissionNotifications::quibShowPermissions);
    auto *row = rowTitled<ActionRow>(page(), QStringLiteral("O que o Quib pode acessar"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->button()->text(), QStringLiteral("Ver permissões"));
    EXPECT_FALSE(row->status()->isVisibleTo(row));
    reveal(row);
    QTest::mouseClick(row->button(), Qt::LeftButton);
    QTest::mouseClick(row->button(), Qt::LeftButton);
    EXPECT_EQ(asked.count(), 2);
}

TEST_F(GeneralSettingsPageTest, LaunchAtLoginStartsFromTheSystemAndChangesIt)
{
    auto *row = page().launchAtLoginRow();
    EXPECT_TRUE(row->toggle()->isChecked()) << "read when the page is made";
    EXPECT_TRUE(row->toggle()->isEnabled());
    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    EXPECT_EQ(platform.loginItems.changes, QList<bool>({false}));
    EXPECT_FALSE(platform.loginItems.enabled);
    EXPECT_FALSE(row->toggle()->isChecked());
    EXPECT_TRUE(page().launchAtLoginError().isEmpty());
}

// A refused change puts the switch back to the system's state and says why;
// putting it back asks for no second change.
TEST_F(GeneralSettingsPageTest, ARefusedChangePutsTheSwitchBackOnceAndSaysWhy)
{
    platform.loginItems.enabled = false;
    platform.loginItems.failure = QStringLiteral("Permission denied");
    auto *row = page().launchAtLoginRow();
    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    EXPECT_EQ(platform.loginItems.changes, QList<bool>({true}));
    EXPECT_FALSE(row->toggle()->isChecked());
    EXPECT_EQ(page().launchAtLoginError(), GeneralSettingsPage::launchAtLoginFailure(QStringLiteral("Permission denied")));
    QLabel *shown = labelWithText(page(), page().launchAtLoginError());
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(isShown(shown));
    EXPECT_EQ(shown->palette().color(QPalette::WindowText), SystemColors::red());

    // The next change that works clears the message.
    platform.loginItems.failure.reset();
    QTest::mouseClick(row->toggle(), Qt::LeftButton);
    EXPECT_EQ(platform.loginItems.changes, QList<bool>({true, true}));
    EXPECT_TRUE(row->toggle()->isChecked());
    EXPECT_FALSE(isShown(shown));
}

TEST_F(GeneralSettingsPageTest, APageMadeAgainReadsWhatTheSystemSaysNow)
{
    platform.loginItems.enabled = false;
    EXPECT_FALSE(page().launchAtLoginRow()->toggle()->isChecked());
    platform.loginItems.enabled = true;
    GeneralSettingsPage again(model);
    EXPECT_TRUE(again.launchAtLoginRow()->toggle()->isChecked());
    EXPECT_EQ(platform.loginItems.statusReads, 2);
}

// Over the real autostart folder of a temporary configuration.
TEST(GeneralSettingsLaunchAtLogin, TheSwitchWritesAndRemovesTheAutostartEntry)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString entry = XdgLoginItems::entryPath(QStringLiteral("com.brenvask.Quib"));
    XdgLoginItems loginItems(entry, QStringLiteral("/usr/bin/quib"));
    FakePlatform platform;
    AppModel model(servicesWith(platform, platform.defaults, loginItems));
    GeneralSettingsPage page(model);
    page.show();
    AccentSwitch *toggle = page.launchAtLoginRow()->toggle();
    ASSERT_TRUE(waitUntil([&] { return toggle->isEnabled(); })) << "the status was read";
    EXPECT_FALSE(toggle->isChecked());

    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return XdgLoginItems::isEnabled(entry); }));
    EXPECT_TRUE(toggle->isChecked());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(entry); }));
    EXPECT_FALSE(toggle->isChecked());
    qunsetenv("XDG_CONFIG_HOME");
}
