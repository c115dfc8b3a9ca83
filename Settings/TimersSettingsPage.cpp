#include "Settings/TimersSettingsPage.h"

#include "App/AppModel.h"
#include "Settings/SettingsBinding.h"
#include "Settings/SettingsControls.h"
#include "Shared/SystemColors.h"

#include <QLabel>

TimersSettingsPage::TimersSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::timers, parent)
{
    Preferences &preferences = model.preferences;
    SettingsCard *card = addCard();
    ToggleRow::Options inNotch;
    inNotch.icon = QStringLiteral("timer");
    inNotch.iconColor = SystemColors::orange();
    card->addRow(new ToggleRow(QStringLiteral("Mostrar timer no notch"), bindingOf(preferences.timerInNotch), inNotch));
    card->addDivider();
    ToggleRow::Options sound;
    sound.preview = [&model] { model.sounds.play(Sounds::Kind::submarine); };
    card->addRow(new ToggleRow(QStringLiteral("Som ao terminar"), bindingOf(preferences.timerSound), sound));
    // One line when it fits.
    addText(QStringLiteral("Inicie um timer clicando com o botão direito no notch › Timer."));
}
