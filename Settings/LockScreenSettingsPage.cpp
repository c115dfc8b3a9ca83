#include "Settings/LockScreenSettingsPage.h"

#include "App/AppModel.h"
#include "Calendar/WeatherCode.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsValueText.h"
#include "Settings/TilePreviews.h"
#include "Shared/SystemColors.h"

#include <QPainter>

namespace {

// A sample of the lock-screen player's look: a 110 × 20 white capsule, filled
// and bordered as `style` draws the player.
void paintLockStylePreview(QPainter &painter, const QRectF &box, LockPlayerStyle style)
{
    const bool glass = style == LockPlayerStyle::glass;
    const QRectF capsule(box.center().x() - 55, box.center().y() - 10, 110, 20);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, glass ? 0.22f : 0.06f));
    painter.drawRoundedRect(capsule, 10, 10);
    // The border lies inside the capsule's edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, glass ? 0.25f : 0.18f), 1));
    painter.drawRoundedRect(capsule.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
    painter.restore();
}

TileOption lockStyleTile(const QString &label, LockPlayerStyle style)
{
    return {label, [style](QPainter &painter, const QRectF &box) { paintLockStylePreview(painter, box, style); }};
}

SliderRow *minutesSlider(const QString &title, Setting<double> &setting, double lower)
{
    return new SliderRow(title, bindingOf(setting), lower, 30, 1,
                         SettingsValueText::inWholeUnits(QStringLiteral("m")));
}

} // namespace

LockScreenSettingsPage::LockScreenSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::lockScreen, parent)
{
    Preferences &preferences = model.preferences;
    Sounds &sounds = model.sounds;

    SettingsCard *card = addCard();
    ToggleRow::Options player;
    player.icon = QStringLiteral("lock.fill");
    card->addRow(new ToggleRow(QStringLiteral("Tela de bloqueio"), bindingOf(preferences.lockScreenPlayer), player));
    card->addDivider();
    card->addRow(minutesSlider(QStringLiteral("Manter a tela acesa"), preferences.keepAwakeMinutes, 0));
    card->addDivider();
    ToggleRow::Options lockSound;
    lockSound.preview = [&sounds] { sounds.play(Sounds::Kind::lockChime); };
    card->addRow(new ToggleRow(QStringLiteral("Som ao bloquear"), bindingOf(preferences.soundOnLock), lockSound));
    card->addDivider();
    ToggleRow::Options unlockSound;
    unlockSound.preview = [&sounds] { sounds.play(Sounds::Kind::unlock); };
    card->addRow(new ToggleRow(QStringLiteral("Som ao desbloquear"), bindingOf(preferences.soundOnUnlock), unlockSound));

    addSectionLabel(QStringLiteral("Tocando agora"));
    SettingsCard *playing = addCard();
    playing->addRow(new TileSelector({lockStyleTile(QStringLiteral("Vidro"), LockPlayerStyle::glass),
                                      lockStyleTile(QStringLiteral("Transparente"), LockPlayerStyle::clear)},
                                     indexBindingOf(preferences.lockPlayerStyle, {LockPlayerStyle::glass, LockPlayerStyle::clear}), 44));
    playing->addDivider();
    playing->addRow(minutesSlider(QStringLiteral("Tempo depois de pausar"), preferences.lockIdleMinutes, 1));
    playing->addDivider();
    playing->addRow(new ToggleRow(QStringLiteral("Mostrar controle de volume"), bindingOf(preferences.lockShowVolume)));
    playing->addDivider();
    playing->addRow(new SliderRow(QStringLiteral("Ajuste de posição"), bindingOf(preferences.lockOffset), -150, 150, 10,
                                  SettingsValueText::inWholeUnits(QStringLiteral("px"))));

    addSectionLabel(QStringLiteral("Clima"));
    SettingsCard *weather = addCard();
    ToggleRow::Options weatherIcon;
    weatherIcon.icon = QStringLiteral("cloud.sun.fill");
    weatherIcon.iconColor = SystemColors::cyan();
    weather->addRow(new ToggleRow(QStringLiteral("Clima"), bindingOf(preferences.lockWeather), weatherIcon));
    weather->addDivider();
    m_weatherTiles.setBinding([&model] { return weatherTiles(Weather::of(model.weather)); });
    std::vector<TileOption> tiles;
    const QString labels[] = {QStringLiteral("Condições"), QStringLiteral("Sol"), QStringLiteral("Chuva")};
    for (std::size_t i = 0; i < 3; ++i) {
        tiles.push_back({labels[i], [this, i](QPainter &painter, const QRectF &box) {
                             const TileText tile = m_weatherTiles.value()[i];
                             paintTileText(painter, box, tile.symbol, tile.text);
                         }});
    }
    auto *weatherInfo = new TileSelector(
        std::move(tiles),
        indexBindingOf(preferences.lockWeatherInfo, {LockWeatherInfo::conditions, LockWeatherInfo::sun, LockWeatherInfo::precipitation}), 44);
    enableWhile(weatherInfo, [&preferences] { return preferences.lockWeather.value(); });
    m_repaintWeatherTiles = m_weatherTiles.addNotifier([weatherInfo] { weatherInfo->update(); });
    weather->addRow(weatherInfo);
}

LockScreenSettingsPage::Weather LockScreenSettingsPage::Weather::of(const WeatherModel &model)
{
    return {model.temperature(), model.code(), model.isDay(), model.sunEvent(), model.precipitationChance()};
}

std::array<LockScreenSettingsPage::TileText, 3> LockScreenSettingsPage::weatherTiles(const Weather &weather)
{
    TileText conditions{QStringLiteral("sun.max.fill"), QStringLiteral("24°")};
    if (weather.temperature && weather.code)
        conditions = {WeatherCode::symbol(*weather.code, weather.isDay), WeatherModel::temperatureText(weather.temperature)};
    TileText sun{QStringLiteral("sunrise.fill"), QStringLiteral("06:20")};
    if (weather.sunEvent)
        sun = {weather.sunEvent->symbol, weather.sunEvent->time};
    const TileText precipitation{QStringLiteral("umbrella.fill"), QString::number(weather.precipitationChance.value_or(12)) + QStringLiteral("%")};
    return {conditions, sun, precipitation};
}
