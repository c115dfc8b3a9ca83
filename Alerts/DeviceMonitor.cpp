#include "Alerts/DeviceMonitor.h"

#include "App/AppModel.h"
#include "LockScreen/SystemVolume.h"
#include "Platform/AudioSystem.h"
#include "Platform/Bluetooth.h"

#include <algorithm>
#include <cmath>

DeviceMonitor::DeviceMonitor(AppModel &model)
    : m_model(model)
    , m_audio(model.services().audio)
    , m_batteryTimer(model.services().scheduler)
    , m_followUp(model.services().scheduler)
{
    takeCurrentOutput();
    QObject::connect(&m_audio, &AudioSystem::defaultDeviceChanged, &m_receiver, [this](AudioScope scope) {
        if (scope == AudioScope::Output && m_audio.connectionState() == AudioSystem::ConnectionState::Ready)
            outputChanged();
    });
    QObject::connect(&m_audio, &AudioSystem::connectionStateChanged, &m_receiver, [this](AudioSystem::ConnectionState state) {
        if (state == AudioSystem::ConnectionState::Ready)
            takeCurrentOutput();
    });
}

void DeviceMonitor::takeCurrentOutput()
{
    const QString device = m_audio.defaultDevice(AudioScope::Output);
    if (device != m_lastDevice) {
        m_lastDevice = device;
        m_warnedLow = false;
    }
    updateBatteryWatch();
}

void DeviceMonitor::outputChanged()
{
    const QString device = m_audio.defaultDevice(AudioScope::Output);
    if (device == m_lastDevice)
        return;
    m_lastDevice = device;
    m_warnedLow = false;
    updateBatteryWatch();
    if (device.isEmpty() || !m_model.preferences.deviceAlerts.value())
        return;
    const std::optional<AudioDevice> entry = m_audio.device(AudioScope::Output, device);
    if (!entry || !entry->isBluetooth || entry->name.isEmpty())
        return;
    const QString name = entry->name;
    showConnected(name, battery(name));
    m_followUp.start(followUpDelay, [this, device, name] {
        const std::optional<NotchAlert> current = m_model.alerts.current();
        if (m_lastDevice != device || !current || current->kind != AlertKind::device)
            return;
        if (const std::optional<int> charge = battery(name)) {
            showConnected(name, charge);
            checkLow(name, *charge);
        }
    });
}

void DeviceMonitor::updateBatteryWatch()
{
    m_batteryTimer.stop();
    if (m_lastDevice.isEmpty() || !isBluetooth(m_lastDevice))
        return;
    m_batteryTimer.start(batteryWatchInterval, [this] {
        const std::optional<AudioDevice> device = m_lastDevice.isEmpty() ? std::nullopt : m_audio.device(AudioScope::Output, m_lastDevice);
        if (!device || device->name.isEmpty())
            return;
        if (const std::optional<int> charge = battery(device->name))
            checkLow(device->name, *charge);
    });
}

void DeviceMonitor::showConnected(const QString &name, std::optional<int> battery)
{
    if (!battery) {
        show(alert(name, shortName(name), Qt::white, QStringLiteral("Conectado"), QColor::fromRgbF(1, 1, 1, 0.7f)));
        return;
    }
    show(alert(name, shortName(name), Qt::white, QStringLiteral("%1%").arg(*battery), *battery > threshold() ? QColor(Qt::white) : lowRed()));
}

void DeviceMonitor::checkLow(const QString &name, int battery)
{
    const Preferences &preferences = m_model.preferences;
    if (!preferences.deviceAlerts.value() || !preferences.warnDeviceLowBattery.value() || battery > threshold() || m_warnedLow)
        return;
    m_warnedLow = true;
    show(alert(name, QStringLiteral("Bateria fraca"), lowRed(), QStringLiteral("%1%").arg(battery), lowRed()));
    if (preferences.soundOnDeviceLowBattery.value())
        m_model.sounds.play(Sounds::Kind::funk);
}

std::optional<int> DeviceMonitor::battery(const Bluetooth &bluetooth, const QString &name)
{
    // Reading devices must never make the system ask the user: without the
    // permission the battery is simply unknown.
    if (bluetooth.authorization() != BluetoothAuthorization::allowedAlways)
        return std::nullopt;
    for (const BluetoothDevice &device : bluetooth.audioDevices()) {
        if (!device.isConnected || device.name.isEmpty())
            continue;
        if (device.name != name && !name.contains(device.name) && !device.name.contains(name))
            continue;
        std::optional<int> lowest;
        for (quint32 charge : device.batteryCharges) {
            if (charge >= 1 && charge <= 100)
                lowest = std::min(lowest.value_or(100), int(charge));
        }
        if (lowest)
            return lowest;
    }
    return std::nullopt;
}

QString DeviceMonitor::shortName(const QString &name)
{
    enum class Keep { before, after };
    const std::pair<QString, Keep> separators[] = {
        {QStringLiteral(" de "), Keep::before}, {QStringLiteral(" do "), Keep::before}, {QStringLiteral(" da "), Keep::before},
        {QStringLiteral("\u2019s "), Keep::after}, {QStringLiteral("'s "), Keep::after},
    };
    for (const auto &[separator, keep] : separators) {
        const qsizetype at = name.indexOf(separator);
        if (at < 0)
            continue;
        const QString candidate = keep == Keep::before ? name.left(at) : name.mid(at + separator.size());
        if (!candidate.isEmpty())
            return candidate;
    }
    return name;
}

bool DeviceMonitor::isBluetooth(const QString &device) const
{
    const std::optional<AudioDevice> entry = m_audio.device(AudioScope::Output, device);
    return entry && entry->isBluetooth;
}

std::optional<int> DeviceMonitor::battery(const QString &name) const
{
    return battery(m_model.services().bluetooth, name);
}

int DeviceMonitor::threshold() const
{
    return int(std::trunc(m_model.preferences.deviceLowThreshold.value()));
}

NotchAlert DeviceMonitor::alert(const QString &name, const QString &title, const QColor &symbolColor, const QString &trailing,
                                const QColor &trailingColor) const
{
    NotchAlert alert;
    alert.kind = AlertKind::device;
    alert.symbol = SystemVolume::symbolForDeviceNamed(name);
    alert.symbolColor = symbolColor;
    alert.title = title;
    alert.trailing = trailing;
    alert.trailingColor = trailingColor;
    alert.sideWidth = sideWidth;
    return alert;
}

void DeviceMonitor::show(const NotchAlert &alert)
{
    m_model.alerts.show(alert, m_model.preferences.deviceDuration.value());
}
