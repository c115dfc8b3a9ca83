#include "Settings/BatterySettingsPage.h"

#include "Alerts/BatteryMonitor.h"
#include "App/AppModel.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsControls.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>

BatterySettingsPage::BatterySettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::battery, parent)
    , m_card(addCard())
{
    Preferences &preferences = model.preferences;
    ToggleRowOptions alerts;
    alerts.icon = QStringLiteral("bolt.fill");
    const LowBatteryRows low =
        lowBatteryRows(preferences.warnLowBattery, preferences.lowBatteryThreshold, preferences.soundOnLowBattery, model.sounds);
    addRows(m_card, {
                        new ToggleRow(QStringLiteral("Bateria"), bindingOf(preferences.batteryAlerts), alerts),
                        durationRow(preferences.batteryDuration, 1, 10),
                        new ToggleRow(QStringLiteral("Avisar ao conectar e desconectar o carregador"), bindingOf(preferences.chargingAlert)),
                        new ToggleRow(QStringLiteral("Avisar no modo Pouca Energia"), bindingOf(preferences.notifyLowPowerMode)),
                        low.warn,
                        low.threshold,
                        low.sound,
                    });

    if (hasBattery(model.services().powerSources))
        return;
    // The painted controls do not dim themselves when disabled: the whole
    // card is drawn at half opacity.
    m_card->setEnabled(false);
    auto *dimmed = new QGraphicsOpacityEffect(m_card);
    dimmed->setOpacity(0.5);
    m_card->setGraphicsEffect(dimmed);
    m_note = pageNote(noBatteryNote());
    m_note->setContentsMargins(6, 0, 0, 0);
    addWidget(m_note);
}

bool BatterySettingsPage::hasBattery(const PowerSources &sources)
{
    return BatteryMonitor::read(sources).has_value();
}
