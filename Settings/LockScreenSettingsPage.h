#pragma once

#include "Calendar/WeatherModel.h"
#include "Settings/SettingsPage.h"

#include <QProperty>

#include <array>
#include <optional>

class AppModel;

// What the program shows over the lock screen: the player, keeping the
// display awake, the lock and unlock sounds, the player's style, how long it
// stays after pausing, its volume row and position, and the weather pill with
// the kind of information it shows. The weather tiles preview the current
// weather and follow it while the page is open.
class LockScreenSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit LockScreenSettingsPage(AppModel &model, QWidget *parent = nullptr);

    // What the weather model holds, as the weather tiles read it.
    struct Weather {
        std::optional<double> temperature;
        std::optional<int> code;
        bool isDay = true;
        std::optional<WeatherModel::SunEvent> sunEvent;
        std::optional<int> precipitationChance;

        // Read inside a binding, each member is followed.
        static Weather of(const WeatherModel &model);
    };

    // The picture of one weather tile: a symbol and a text.
    struct TileText {
        QString symbol;
        QString text;
        bool operator==(const TileText &) const = default;
    };

    // The pictures of the tiles "Condições", "Sol" and "Chuva", in that
    // order, with stand-in values where the weather is not known yet.
    static std::array<TileText, 3> weatherTiles(const Weather &weather);

private:
    QProperty<std::array<TileText, 3>> m_weatherTiles;
    QPropertyNotifier m_repaintWeatherTiles;
};
