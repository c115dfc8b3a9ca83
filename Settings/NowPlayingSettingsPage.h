#pragma once

#include "Settings/SettingsPage.h"

class AppModel;

// The media side of the notch: whether now playing shows, how long the media
// strip stays after pausing, the waveform, the song peek, the artwork flip,
// when the player hides, title cleaning, the extra button and which player is
// followed. Every row is bound to a setting.
class NowPlayingSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit NowPlayingSettingsPage(AppModel &model, QWidget *parent = nullptr);
};
