#include "Settings/AccessibilityHint.h"
#include "Settings/DisplaySettingsPage.h"
#include "Settings/HUDStylePicker.h"
#include "Settings/SoundSettingsPage.h"
#include "SettingsFilePages.h"

#include <QLabel>

namespace {

class IndicatorSettingsPages : public SettingsFilePages {
protected:
    // Every switch titled in `titles` writes the setting of the same place
    // in `settings` to the file.
    void checkSwitches(const QStringList &titles, const QList<Setting<bool> *> &settings)
    {
        ASSERT_EQ(titles.size(), settings.size());
        for (qsizetype i = 0; i < titles.size(); ++i) {
            SCOPED_TRACE(titles[i].toStdString());
            AccentSwitch *toggle = switchOf(titles[i]);
            ASSERT_NE(toggle, nullptr);
            const bool before = settings[i]->value();
            EXPECT_EQ(toggle->isChecked(), before);
            QTest::mouseClick(toggle, Qt::LeftButton);
            EXPECT_EQ(stored(settings[i]->key()), QJsonValue(!before));
            // Turning one off hides and disables nothing.
            for (AccentSwitch *other : toggle->window()->findChildren<AccentSwitch *>())
                EXPECT_TRUE(other->isVisible() && other->isEnabled()) << other->accessibleName().toStdString();
        }
    }

    void clickTile(HUDStylePicker *picker, int index)
    {
        QTest::mouseClick(picker, Qt::LeftButton, {}, picker->tileRect(index).center().toPoint());
    }
};

TEST_F(IndicatorSettingsPages, DisplayPageWritesEveryRowToTheSettingsFile)
{
    auto page = shown(new DisplaySettingsPage(model));
    checkSwitches({QStringLiteral("Tela"), QStringLiteral("Mostrar o número (0 a 100)"), QStringLiteral("Cor conforme o brilho")},
                  {&preferences.displayHUD, &preferences.showBrightnessPercentage, &preferences.brightnessLevelColors});
    SliderRow *duration = rowTitled<SliderRow>(QStringLiteral("Duração"));
    ASSERT_NE(duration, nullptr);
    EXPECT_EQ(duration->valueText(), QStringLiteral("1.5s"));
    AccentSlider *slider = duration->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
    EXPECT_EQ(stored(preferences.displayDuration.key()), QJsonValue(5.0));
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(0, slider->height() / 2));
    EXPECT_EQ(stored(preferences.displayDuration.key()), QJsonValue(0.5));
    EXPECT_EQ(duration->valueText(), QStringLiteral("0.5s"));

    // The style tiles: "Brilho" sets the brightness bar's look only.
    const HUDStyle soundStyle = preferences.soundStyle.value();
    HUDStylePicker *picker = page->findChild<HUDStylePicker *>();
    ASSERT_NE(picker, nullptr);
    clickTile(picker, 0);
    EXPECT_EQ(stored(preferences.displayStyle.key()), QJsonValue(QStringLiteral("white")));
    clickTile(picker, 2);
    EXPECT_EQ(stored(preferences.displayStyle.key()), QJsonValue(QStringLiteral("glow")));
    EXPECT_EQ(preferences.soundStyle.value(), soundStyle);

    // Changed elsewhere, the page follows.
    preferences.displayStyle.setValue(HUDStyle::accent);
    preferences.displayDuration.setValue(3);
    EXPECT_EQ(picker->selectedIndex(), 1);
    EXPECT_EQ(duration->valueText(), QStringLiteral("3.0s"));
}

TEST_F(IndicatorSettingsPages, SoundPageWritesEveryRowToTheSettingsFile)
{
    auto page = shown(new SoundSettingsPage(model));
    checkSwitches({QStringLiteral("Som"), QStringLiteral("Mostrar o número (0 a 100)"), QStringLiteral("Cor conforme o volume"),
                   QStringLiteral("Mostrar o fone no lugar do alto-falante"), QStringLiteral("Mixer no notch"),
                   QStringLiteral("Silenciar com ⌃⌥M"), QStringLiteral("Mostrar ícone no notch enquanto estiver mudo"),
                   QStringLiteral("Som mudo: ícone no notch")},
                  {&preferences.soundHUD, &preferences.showVolumePercentage, &preferences.volumeLevelColors, &preferences.showOutputDevice,
                   &preferences.appMixer, &preferences.micShortcut, &preferences.showMicMutedIcon, &preferences.showSoundMutedIcon});

    const HUDStyle displayStyle = preferences.displayStyle.value();
    HUDStylePicker *picker = page->findChild<HUDStylePicker *>();
    ASSERT_NE(picker, nullptr);
    clickTile(picker, 2);
    EXPECT_EQ(stored(preferences.soundStyle.key()), QJsonValue(QStringLiteral("glow")));
    clickTile(picker, 0);
    EXPECT_EQ(stored(preferences.soundStyle.key()), QJsonValue(QStringLiteral("white")));
    EXPECT_EQ(preferences.displayStyle.value(), displayStyle);

    SliderRow *duration = rowTitled<SliderRow>(QStringLiteral("Duração"));
    ASSERT_NE(duration, nullptr);
    AccentSlider *slider = duration->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
    EXPECT_EQ(stored(preferences.soundDuration.key()), QJsonValue(5.0));
    EXPECT_EQ(preferences.displayDuration.value(), 1.5);
}

TEST_F(IndicatorSettingsPages, TheMixerRowFollowsTheGainsAndItsButtonResetsThem)
{
    auto page = shown(new SoundSettingsPage(model));
    EXPECT_EQ(page->mixerStatusLabel()->text(), QStringLiteral("Todos os apps em 100%"));
    EXPECT_FALSE(page->resetButton()->isEnabled());
    EXPECT_EQ(page->mixerStatusLabel()->parentWidget()->height(), 40);

    // Lowered in the notch's mixer meanwhile.
    model.mixer.setGain(0.5, QStringLiteral("alpha"));
    EXPECT_EQ(page->mixerStatusLabel()->text(), QStringLiteral("1 app(s) com volume próprio"));
    EXPECT_TRUE(page->resetButton()->isEnabled());
    model.mixer.setGain(0.2, QStringLiteral("beta"));
    EXPECT_EQ(page->mixerStatusLabel()->text(), QStringLiteral("2 app(s) com volume próprio"));
    EXPECT_EQ(stored(QStringLiteral("appVolumes")).toObject().size(), 2);

    const bool mixerOn = preferences.appMixer.value();
    QTest::mouseClick(page->resetButton(), Qt::LeftButton);
    EXPECT_TRUE(model.mixer.gains().isEmpty());
    EXPECT_EQ(page->mixerStatusLabel()->text(), QStringLiteral("Todos os apps em 100%"));
    EXPECT_FALSE(page->resetButton()->isEnabled());
    EXPECT_TRUE(stored(QStringLiteral("appVolumes")).toObject().isEmpty());
    EXPECT_EQ(preferences.appMixer.value(), mixerOn);
}

// The three tiles show the bar at the same level whatever the page's
// colour settings: the fill reaches 62% of an 80-point track in each.
TEST_F(IndicatorSettingsPages, TheStyleTilesPreviewTheSameLevel)
{
    preferences.volumeLevelColors.setValue(true);
    auto page = shown(new SoundSettingsPage(model));
    HUDStylePicker *picker = page->findChild<HUDStylePicker *>();
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->count(), 3);
    QImage image(picker->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    picker->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        const QRectF tile = picker->tileRect(index);
        // The 5-point bar is centred in the 44-point picture on top of the
        // tile, 80 points long.
        const int barRow = int(tile.top()) + 22;
        const int left = int(tile.center().x()) - 40;
        const auto ink = [&](int x) { return qGray(image.pixel(x, barRow)); };
        // Filled up to 49.6 points: at 44 the fill, at 56 the faint track
        // alone, which runs to the end.
        EXPECT_GT(ink(left + 44), ink(left + 56) + 40);
        EXPECT_GT(ink(left + 76), ink(left - 8));
        EXPECT_EQ(ink(left + 56), ink(left + 70)) << "the track is even past the fill";
    }
    EXPECT_EQ(HUDStylePicker::label(HUDStyle::white), QStringLiteral("Branco"));
    EXPECT_EQ(HUDStylePicker::label(HUDStyle::accent), QStringLiteral("Destaque"));
    EXPECT_EQ(HUDStylePicker::label(HUDStyle::glow), QStringLiteral("Brilho"));
}

// Another program holds the volume keys: the media keys cannot be taken,
// which stands for a missing Accessibility permission.
void holdVolumeKeys(FakePlatform &platform, bool held)
{
    platform.keyCapture.heldElsewhere.clear();
    if (held)
        platform.keyCapture.heldElsewhere.append(KeyCombination{Qt::Key_VolumeUp, Qt::NoModifier});
}

TEST_F(IndicatorSettingsPages, TheHintShowsTheFineStepsWhileTheKeysCanBeTaken)
{
    model.permissions.refresh();
    ASSERT_EQ(model.permissions.status(PermissionKind::accessibility), PermissionStatus::granted);
    auto page = shown(new DisplaySettingsPage(model));
    AccessibilityHint *hint = page->findChild<AccessibilityHint *>();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->fineSteps()->isVisible());
    EXPECT_EQ(hint->fineSteps()->text(), QStringLiteral("Use ⌥⇧ junto com as teclas para ajustes mais finos."));
    EXPECT_FALSE(hint->warning()->isVisible());

    // While the line shows, nothing is read again: a key taken elsewhere now
    // shows only when the page appears again.
    holdVolumeKeys(platform, true);
    platform.scheduler.advance(3 * AccessibilityHint::refreshInterval);
    EXPECT_TRUE(hint->fineSteps()->isVisible());
    page.reset();
    auto sound = shown(new SoundSettingsPage(model));
    hint = sound->findChild<AccessibilityHint *>();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->warning()->isVisible()) << "read again when the page appears";
    EXPECT_FALSE(hint->fineSteps()->isVisible());
}

TEST_F(IndicatorSettingsPages, TheWarningGoesOnceThePermissionIsThere)
{
    holdVolumeKeys(platform, true);
    model.permissions.refresh();
    auto page = shown(new SoundSettingsPage(model));
    AccessibilityHint *hint = page->findChild<AccessibilityHint *>();
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(hint->warning()->isVisible());
    EXPECT_TRUE(showsText(QStringLiteral("Precisa da permissão de Acessibilidade para capturar as teclas.")));

    // "Permitir" asks again and, still missing, opens the keyboard settings.
    platform.workspace.settingsPanels = {SettingsPanel::keyboardShortcuts};
    QTest::mouseClick(hint->allowButton(), Qt::LeftButton);
    EXPECT_EQ(platform.workspace.openedSettingsPanels, QList<SettingsPanel>{SettingsPanel::keyboardShortcuts});
    EXPECT_TRUE(hint->warning()->isVisible());

    // Given meanwhile in the desktop's settings: the page notices within a
    // second, without being opened again.
    holdVolumeKeys(platform, false);
    platform.scheduler.advance(AccessibilityHint::refreshInterval);
    EXPECT_FALSE(hint->warning()->isVisible());
    EXPECT_TRUE(hint->fineSteps()->isVisible());

    // Already there: "Permitir" is not shown, and nothing more opens.
    EXPECT_EQ(platform.workspace.openedSettingsPanels.size(), 1);
}

} // namespace
