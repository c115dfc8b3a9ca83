#pragma once

#include "Settings/SettingsPage.h"

class AppModel;

// The "Tela" page: the brightness level indicator that replaces the
// desktop's own.
class DisplaySettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit DisplaySettingsPage(AppModel &model, QWidget *parent = nullptr);
};
