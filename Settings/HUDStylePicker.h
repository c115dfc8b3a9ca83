#pragma once

#include "App/Preferences.h"
#include "Settings/SettingsControls.h"

// The three looks of the level indicator's bar as tiles ("Branco",
// "Destaque", "Brilho"), each previewing its bar at the same level, with
// neither the level colours nor the page's other settings.
class HUDStylePicker : public TileSelector {
    Q_OBJECT
public:
    static constexpr double tileHeight = 44;
    static constexpr double previewLevel = 0.62;

    explicit HUDStylePicker(Setting<HUDStyle> &selection, QWidget *parent = nullptr);

    // The tiles' styles, in the order of the cases.
    static const std::vector<HUDStyle> &styles();
    static QString label(HUDStyle style);
};
