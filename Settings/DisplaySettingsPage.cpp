#include "Settings/DisplaySettingsPage.h"

#include "App/AppModel.h"
#include "Settings/AccessibilityHint.h"
#include "Settings/HUDStylePicker.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsControls.h"

DisplaySettingsPage::DisplaySettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::display, parent)
{
    Preferences &preferences = model.preferences;
    ToggleRowOptions indicator;
    indicator.icon = QStringLiteral("sun.max.fill");
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Tela"), bindingOf(preferences.displayHUD), indicator),
                           durationRow(preferences.displayDuration, 0.5, 5),
                           new HUDStylePicker(preferences.displayStyle),
                           new ToggleRow(QStringLiteral("Mostrar o número (0 a 100)"), bindingOf(preferences.showBrightnessPercentage)),
                           new ToggleRow(QStringLiteral("Cor conforme o brilho"), bindingOf(preferences.brightnessLevelColors),
                                         withHint(QStringLiteral("Azul, amarelo e vermelho perto de 100"))),
                       });
    addWidget(new AccessibilityHint(model));
}
