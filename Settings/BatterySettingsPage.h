#pragma once

#include "Settings/SettingsPage.h"

class AppModel;
class PowerSources;
class QLabel;

// The "Bateria" page: the battery monitor's alert strips. On a computer
// without an internal battery the card is shown dimmed and takes no input,
// with a note under it. The battery is read once, when the page is built.
class BatterySettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit BatterySettingsPage(AppModel &model, QWidget *parent = nullptr);

    // The card takes input (and the note is absent) only when the battery
    // monitor finds an internal battery.
    static bool hasBattery(const PowerSources &sources);
    static QString noBatteryNote() { return QStringLiteral("Este Mac não tem bateria."); }

    SettingsCard *card() const { return m_card; }
    // The note under the card; none on a computer with a battery.
    QLabel *note() const { return m_note; }

private:
    SettingsCard *m_card;
    QLabel *m_note = nullptr;
};
