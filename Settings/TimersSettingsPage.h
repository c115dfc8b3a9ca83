#pragma once

#include "Settings/SettingsPage.h"

class AppModel;

// The "Timers" page: the countdown timers that the notch's menu starts.
class TimersSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit TimersSettingsPage(AppModel &model, QWidget *parent = nullptr);
};
