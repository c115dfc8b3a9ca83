#include "Settings/ConnectivitySettingsPage.h"

#include "App/AppModel.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsControls.h"

#include <QLabel>

ConnectivitySettingsPage::ConnectivitySettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::connectivity, parent)
{
    Preferences &preferences = model.preferences;
    ToggleRowOptions alerts;
    alerts.icon = QStringLiteral("headphones");
    const LowBatteryRows low = lowBatteryRows(preferences.warnDeviceLowBattery, preferences.deviceLowThreshold,
                                              preferences.soundOnDeviceLowBattery, model.sounds);
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Conectividade"), bindingOf(preferences.deviceAlerts), alerts),
                           durationRow(preferences.deviceDuration, 1, 10),
                           low.warn,
                           low.threshold,
                           low.sound,
                       });
    addWidget(pageNote(QStringLiteral("Mostra AirPods e fones Bluetooth quando viram a saída de áudio. A bateria aparece quando o "
                                      "Bluetooth está permitido em Permissões.")));
}
