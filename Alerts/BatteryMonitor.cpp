#include "Alerts/BatteryMonitor.h"

#include "App/AppModel.h"
#include "Platform/PowerSources.h"

#include <algorithm>
#include <cmath>

namespace {

QString percentText(int percent)
{
    return QStringLiteral("%1%").arg(percent);
}

NotchAlert batteryAlert(const QString &symbol, const QColor &color, const QString &title, int percent)
{
    NotchAlert alert;
    alert.kind = AlertKind::battery;
    alert.symbol = symbol;
    alert.symbolColor = color;
    alert.title = title;
    alert.trailing = percentText(percent);
    alert.trailingColor = color;
    alert.sideWidth = BatteryMonitor::sideWidth;
    return alert;
}

} // namespace

BatteryMonitor::BatteryMonitor(AppModel &model)
    : m_model(model)
    , m_sources(model.services().powerSources)
{
    auto whileAlive = [alive = std::weak_ptr<bool>(m_alive)](auto work) {
        return [alive, work] {
            if (alive.lock())
                work();
        };
    };
    m_sources.observeChanges(whileAlive([this] { update(); }));
    m_sources.observeLowPowerMode(whileAlive([this] { lowPowerChanged(); }));
    if (const auto reading = read(m_sources))
        m_lastPluggedIn = reading->pluggedIn;
}

std::optional<BatteryMonitor::Reading> BatteryMonitor::read(const PowerSources &sources)
{
    const auto battery = sources.internalBattery();
    if (!battery)
        return std::nullopt;
    // A capacity that is missing or not a number counts as no charge, or as
    // a full scale of 100.
    const double current = battery->currentCapacity && std::isfinite(*battery->currentCapacity) ? *battery->currentCapacity : 0.0;
    const double maximum = battery->maxCapacity && std::isfinite(*battery->maxCapacity) ? std::max(*battery->maxCapacity, 1.0) : 100.0;
    // std::round takes halves away from zero; a report outside 0...100 shows
    // as its nearest bound.
    const double percent = std::clamp(std::round(current / maximum * 100.0), 0.0, 100.0);
    return Reading{int(percent), battery->isCharging, battery->isOnACPower};
}

double BatteryMonitor::duration() const
{
    return m_model.preferences.batteryDuration.value();
}

void BatteryMonitor::update()
{
    const auto reading = read(m_sources);
    if (!reading)
        return;
    const Preferences &preferences = m_model.preferences;
    if (!preferences.batteryAlerts.value()) {
        m_lastPluggedIn = reading->pluggedIn;
        return;
    }

    if (m_lastPluggedIn && *m_lastPluggedIn != reading->pluggedIn && preferences.chargingAlert.value())
        m_model.alerts.show(chargerAlert(*reading), duration());

    // A stored threshold that is not a finite number warns never.
    const double threshold = std::trunc(preferences.lowBatteryThreshold.value());
    if (reading->pluggedIn || !std::isfinite(threshold) || reading->percent > threshold) {
        m_warnedLow = false;
    } else if (!m_warnedLow && preferences.warnLowBattery.value()) {
        m_warnedLow = true;
        m_model.alerts.show(lowBatteryAlert(reading->percent), duration());
        if (preferences.soundOnLowBattery.value())
            m_model.sounds.play(Sounds::Kind::funk);
    }

    m_lastPluggedIn = reading->pluggedIn;
}

void BatteryMonitor::lowPowerChanged()
{
    const Preferences &preferences = m_model.preferences;
    if (!preferences.batteryAlerts.value() || !preferences.notifyLowPowerMode.value())
        return;
    const auto reading = read(m_sources);
    if (!reading)
        return;
    const PowerMode mode = m_sources.isLowPowerModeEnabled() ? PowerMode::lowPower : PowerMode::normal;
    m_model.alerts.show(powerModeAlert(mode, reading->percent), duration());
}

QString BatteryMonitor::batterySymbol(int percent)
{
    if (percent <= 12)
        return QStringLiteral("battery.0percent");
    if (percent <= 37)
        return QStringLiteral("battery.25percent");
    if (percent <= 62)
        return QStringLiteral("battery.50percent");
    if (percent <= 87)
        return QStringLiteral("battery.75percent");
    return QStringLiteral("battery.100percent");
}

NotchAlert BatteryMonitor::chargerAlert(const Reading &reading)
{
    if (reading.pluggedIn)
        return batteryAlert(QStringLiteral("battery.100percent.bolt"), chargingGreen(), QStringLiteral("Carregando"), reading.percent);
    return batteryAlert(batterySymbol(reading.percent), Qt::white, QStringLiteral("Na bateria"), reading.percent);
}

NotchAlert BatteryMonitor::lowBatteryAlert(int percent)
{
    return batteryAlert(QStringLiteral("battery.25percent"), lowBatteryRed(), QStringLiteral("Bateria fraca"), percent);
}

NotchAlert BatteryMonitor::powerModeAlert(PowerMode mode, int percent)
{
    if (mode == PowerMode::lowPower)
        return batteryAlert(batterySymbol(percent), lowPowerAmber(), QStringLiteral("Pouca Energia"), percent);
    return batteryAlert(batterySymbol(percent), Qt::white, QStringLiteral("Energia normal"), percent);
}
