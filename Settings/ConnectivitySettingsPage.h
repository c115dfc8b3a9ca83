#pragma once

#include "Settings/SettingsPage.h"

class AppModel;

// The "Conectividade" page: the alert strips of Bluetooth audio devices
// that become the sound output, and their low-battery warning.
class ConnectivitySettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit ConnectivitySettingsPage(AppModel &model, QWidget *parent = nullptr);
};
