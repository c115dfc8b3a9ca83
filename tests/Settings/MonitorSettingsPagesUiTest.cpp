#include "Alerts/FocusMonitor.h"
#include "Platform/FocusFiles.h"
#include "Settings/BatterySettingsPage.h"
#include "Settings/ConnectivitySettingsPage.h"
#include "Settings/FocusSettingsPage.h"
#include "Settings/FullDiskAccessWarning.h"
#include "SettingsFilePages.h"
#include "Support/AtomicFile.h"

#include <QDir>

namespace {

// Clicks a row's slider at its trailing end, which gives the range's upper
// bound.
void clickSliderEnd(SliderRow *row)
{
    ASSERT_NE(row, nullptr);
    AccentSlider *slider = row->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
}

struct SwitchCase {
    const char *title;
    Setting<bool> Preferences::*setting;
};

class MonitorSettingsPages : public SettingsFilePages {
protected:
    // Every switch writes its own setting to the file, both ways.
    void checkSwitches(std::initializer_list<SwitchCase> cases)
    {
        for (const SwitchCase &c : cases) {
            SCOPED_TRACE(c.title);
            Setting<bool> &setting = preferences.*c.setting;
            AccentSwitch *toggle = switchOf(QString::fromUtf8(c.title));
            ASSERT_NE(toggle, nullptr);
            ASSERT_TRUE(toggle->isEnabled());
            const bool before = setting.value();
            EXPECT_EQ(toggle->isChecked(), before);
            QTest::mouseClick(toggle, Qt::LeftButton);
            EXPECT_EQ(setting.value(), !before);
            EXPECT_EQ(stored(setting.key()), QJsonValue(!before));
            QTest::mouseClick(toggle, Qt::LeftButton);
            EXPECT_EQ(stored(setting.key()), QJsonValue(before));
        }
    }
};

TEST_F(MonitorSettingsPages, BatteryPageWritesEveryRowToTheSettingsFile)
{
    platform.powerSources.battery = FakePowerSources::batteryAt(80, false);
    auto page = shown(new BatterySettingsPage(model));
    EXPECT_EQ(page->note(), nullptr);
    EXPECT_FALSE(showsText(BatterySettingsPage::noBatteryNote()));
    EXPECT_TRUE(page->card()->isEnabled());

    checkSwitches({{"Bateria", &Preferences::batteryAlerts},
                   {"Avisar ao conectar e desconectar o carregador", &Preferences::chargingAlert},
                   {"Avisar no modo Pouca Energia", &Preferences::notifyLowPowerMode},
                   {"Avisar com bateria fraca", &Preferences::warnLowBattery},
                   {"Som com bateria fraca", &Preferences::soundOnLowBattery}});

    // Switching the alerts off leaves the other rows enabled.
    preferences.batteryAlerts.setValue(false);
    for (AccentSwitch *toggle : page->findChildren<AccentSwitch *>())
        EXPECT_TRUE(toggle->isEnabled()) << toggle->accessibleName().toStdString();

    SliderRow *duration = rowTitled<SliderRow>(QStringLiteral("Duração"));
    SliderRow *threshold = rowTitled<SliderRow>(QStringLiteral("Limite de bateria fraca"));
    ASSERT_TRUE(duration && threshold);
    EXPECT_EQ(duration->valueText(), QStringLiteral("4.0s"));
    EXPECT_EQ(threshold->valueText(), QStringLiteral("10%"));
    clickSliderEnd(duration);
    clickSliderEnd(threshold);
    EXPECT_EQ(stored(preferences.batteryDuration.key()), QJsonValue(10.0));
    EXPECT_EQ(stored(preferences.lowBatteryThreshold.key()), QJsonValue(50.0));
    EXPECT_EQ(duration->valueText(), QStringLiteral("10.0s"));
    EXPECT_EQ(threshold->valueText(), QStringLiteral("50%"));
}

TEST_F(MonitorSettingsPages, WithoutABatteryTheCardIsDimmedAndTakesNoInput)
{
    platform.powerSources.battery = std::nullopt;
    auto page = shown(new BatterySettingsPage(model));
    ASSERT_NE(page->note(), nullptr);
    EXPECT_TRUE(showsText(QStringLiteral("Este Mac não tem bateria.")));
    EXPECT_EQ(page->note()->font().pixelSize(), 12);
    EXPECT_FALSE(page->card()->isEnabled());
    EXPECT_NE(page->card()->graphicsEffect(), nullptr) << "drawn dimmed";

    const auto switches = page->findChildren<AccentSwitch *>();
    EXPECT_EQ(switches.size(), 5) << "every row is still shown";
    const bool before = preferences.batteryAlerts.value();
    QTest::mouseClick(switchOf(QStringLiteral("Bateria")), Qt::LeftButton);
    clickSliderEnd(rowTitled<SliderRow>(QStringLiteral("Duração")));
    EXPECT_EQ(preferences.batteryAlerts.value(), before);
    EXPECT_EQ(preferences.batteryDuration.value(), 4);
    EXPECT_TRUE(stored(preferences.batteryAlerts.key()).isUndefined());
}

TEST_F(MonitorSettingsPages, ASettingChangedElsewhereShowsOnTheBatteryPage)
{
    platform.powerSources.battery = FakePowerSources::batteryAt(40, true, true);
    auto page = shown(new BatterySettingsPage(model));
    preferences.chargingAlert.setValue(false);
    preferences.batteryDuration.setValue(2.5);
    preferences.lowBatteryThreshold.setValue(35);
    EXPECT_FALSE(switchOf(QStringLiteral("Avisar ao conectar e desconectar o carregador"))->isChecked());
    EXPECT_EQ(rowTitled<SliderRow>(QStringLiteral("Duração"))->valueText(), QStringLiteral("2.5s"));
    EXPECT_EQ(rowTitled<SliderRow>(QStringLiteral("Limite de bateria fraca"))->valueText(), QStringLiteral("35%"));
}

TEST_F(MonitorSettingsPages, ThePlayButtonsPlayFunkAndLeaveTheirSwitch)
{
    platform.powerSources.battery = FakePowerSources::batteryAt(80, false);
    auto battery = shown(new BatterySettingsPage(model));
    ToggleRow *row = rowTitled<ToggleRow>(QStringLiteral("Som com bateria fraca"));
    ASSERT_TRUE(row && row->previewButton());
    const bool before = preferences.soundOnLowBattery.value();
    QTest::mouseClick(row->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Funk")});
    EXPECT_EQ(preferences.soundOnLowBattery.value(), before);
    battery.reset();

    auto connectivity = shown(new ConnectivitySettingsPage(model));
    row = rowTitled<ToggleRow>(QStringLiteral("Som com bateria fraca"));
    ASSERT_TRUE(row && row->previewButton());
    QTest::mouseClick(row->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), (QStringList{QStringLiteral("Funk"), QStringLiteral("Funk")}));
    EXPECT_EQ(preferences.soundOnDeviceLowBattery.value(), true);
    // The other switches have no play button.
    EXPECT_EQ(rowTitled<ToggleRow>(QStringLiteral("Avisar com bateria fraca"))->previewButton(), nullptr);
}

TEST_F(MonitorSettingsPages, ConnectivityPageWritesEveryRowToTheSettingsFile)
{
    auto page = shown(new ConnectivitySettingsPage(model));
    checkSwitches({{"Conectividade", &Preferences::deviceAlerts},
                   {"Avisar com bateria fraca", &Preferences::warnDeviceLowBattery},
                   {"Som com bateria fraca", &Preferences::soundOnDeviceLowBattery}});
    SliderRow *duration = rowTitled<SliderRow>(QStringLiteral("Duração"));
    SliderRow *threshold = rowTitled<SliderRow>(QStringLiteral("Limite de bateria fraca"));
    ASSERT_TRUE(duration && threshold);
    EXPECT_EQ(threshold->valueText(), QStringLiteral("20%"));
    clickSliderEnd(duration);
    clickSliderEnd(threshold);
    EXPECT_EQ(stored(preferences.deviceDuration.key()), QJsonValue(10.0));
    EXPECT_EQ(stored(preferences.deviceLowThreshold.key()), QJsonValue(50.0));
    EXPECT_TRUE(showsText(QStringLiteral("Mostra AirPods e fones Bluetooth quando viram a saída de áudio. A bateria aparece quando o "
                                         "Bluetooth está permitido em Permissões.")));
    // A change made elsewhere shows.
    preferences.deviceAlerts.setValue(false);
    EXPECT_FALSE(switchOf(QStringLiteral("Conectividade"))->isChecked());
}

// The Focus page over a monitor of a Focus folder of its own.
class FocusSettingsPageTest : public MonitorSettingsPages {
protected:
    QString focusFolder() const { return folder.filePath(QStringLiteral("focus")); }
    // The modes of the fixture, and its assertions `name` ("work" is the
    // Focus named Trabalho, "none" no Focus).
    void writeAssertions(const char *name)
    {
        ASSERT_TRUE(QDir().mkpath(focusFolder()));
        const auto copy = [this](const QString &fixture, const char *file) {
            QFile source(QStringLiteral(QUIB_TEST_FIXTURES "/focus/") + fixture);
            ASSERT_TRUE(source.open(QIODevice::ReadOnly));
            ASSERT_TRUE(AtomicFile::write(focusFolder() + u'/' + QString::fromLatin1(file), source.readAll()));
        };
        copy(QStringLiteral("ModeConfigurations.json"), FocusFiles::modeConfigurationsName);
        copy(QStringLiteral("assertions-%1.json").arg(QString::fromLatin1(name)), FocusFiles::assertionsName);
    }
    FocusMonitor &startMonitor()
    {
        monitor.emplace(model, focusFolder(), [](std::function<void()> work) { work(); });
        QCoreApplication::sendPostedEvents();
        return *monitor;
    }
    // The files changed: the monitor reads them 0.3 s later.
    void reportChange()
    {
        monitor->scheduleRead();
        platform.scheduler.advance(FocusMonitor::readDelay);
        QCoreApplication::sendPostedEvents();
    }

    std::optional<FocusMonitor> monitor;
};

TEST_F(FocusSettingsPageTest, TheStatusLineFollowsTheActiveFocusWhileShown)
{
    writeAssertions("none");
    startMonitor();
    ASSERT_TRUE(monitor->hasAccess());
    auto page = shown(new FocusSettingsPage(model, &*monitor));
    EXPECT_TRUE(page->status()->isVisible());
    EXPECT_FALSE(page->warning()->isVisible());
    EXPECT_EQ(page->status()->text(), QStringLiteral("Nenhum Foco ativo agora."));

    writeAssertions("work");
    reportChange();
    EXPECT_EQ(page->status()->text(), QStringLiteral("Agora: Trabalho ativado."));

    writeAssertions("none");
    reportChange();
    EXPECT_EQ(page->status()->text(), QStringLiteral("Nenhum Foco ativo agora."));
}

TEST_F(FocusSettingsPageTest, TheWarningGivesWayToTheLineOnceTheFolderCanBeRead)
{
    startMonitor();
    ASSERT_FALSE(monitor->hasAccess());
    auto page = shown(new FocusSettingsPage(model, &*monitor));
    EXPECT_TRUE(page->warning()->isVisible());
    EXPECT_FALSE(page->status()->isVisible());
    EXPECT_TRUE(showsText(QStringLiteral("Precisa de Acesso Total ao Disco")));
    EXPECT_EQ(page->warning()->explanation()->text(), FocusSettingsPage::warningExplanation());

    // Full Disk Access has no settings panel here: the button says what to do.
    QTest::mouseClick(page->warning()->openSettingsButton(), Qt::LeftButton);
    ASSERT_TRUE(model.banners.current());
    EXPECT_EQ(model.banners.current()->title, model.permissions.settingsHint(PermissionKind::fullDiskAccess).title);

    writeAssertions("none");
    platform.scheduler.advance(FocusMonitor::retryInterval);
    QCoreApplication::sendPostedEvents();
    ASSERT_TRUE(monitor->hasAccess());
    EXPECT_FALSE(page->warning()->isVisible());
    EXPECT_TRUE(page->status()->isVisible());
    EXPECT_EQ(page->status()->text(), QStringLiteral("Nenhum Foco ativo agora."));
}

TEST_F(FocusSettingsPageTest, BeforeTheMonitorExistsTheWarningsButtonDoesNothing)
{
    auto page = shown(new FocusSettingsPage(model, nullptr));
    EXPECT_TRUE(page->warning()->isVisible());
    EXPECT_FALSE(page->status()->isVisible());
    QTest::mouseClick(page->warning()->openSettingsButton(), Qt::LeftButton);
    EXPECT_TRUE(platform.workspace.openedLinks.isEmpty());
    EXPECT_TRUE(platform.workspace.openedSettingsPanels.isEmpty());
    EXPECT_FALSE(model.banners.current());

    checkSwitches({{"Foco", &Preferences::focusAlerts}});
    SliderRow *duration = rowTitled<SliderRow>(QStringLiteral("Duração"));
    ASSERT_NE(duration, nullptr);
    EXPECT_EQ(duration->valueText(), QStringLiteral("3.0s"));
    clickSliderEnd(duration);
    EXPECT_EQ(stored(preferences.focusDuration.key()), QJsonValue(10.0));
}

} // namespace
