#include "Alerts/HUDController.h"

#include "App/AppModel.h"
#include "Notch/MicMutedIcon.h"
#include "Platform/AudioSystem.h"

#include <algorithm>
#include <cmath>

namespace {

// The level as a whole number from 0 to 100, without a percent sign.
QString percentage(float level)
{
    return QString::number(std::lround(double(level) * 100));
}

} // namespace

HUDController::HUDController(AppModel &model)
    : m_model(model)
    , m_keys(model.services().keyCapture)
    , m_volume(model.services().audio)
    , m_brightness(model.services().backlights)
    , m_retryTimers{RepeatingTimer(model.services().scheduler), RepeatingTimer(model.services().scheduler)}
    , m_settingsLoop(
          model.services().scheduler,
          [&model] {
              model.preferences.soundHUD.value();
              model.preferences.displayHUD.value();
          },
          [this] { startIfPossible(); })
{
    m_keys.handler = [this](MediaKey key, Qt::KeyboardModifiers modifiers, KeyHandling handling) {
        if (handling == KeyHandling::Handled)
            act(key, modifiers);
        // What the press found may have changed (a backlight came or went).
        updateTaking(MediaKeyMonitor::groupOf(key));
    };
    QObject::connect(&model.permissionNotifications, &PermissionNotifications::quibPermissionsChanged, &m_receiver, [this] { startIfPossible(); });
    AudioSystem &audio = model.services().audio;
    const auto outputChanged = [this] { updateTaking(MediaKeyGroup::volume); };
    QObject::connect(&audio, &AudioSystem::connectionStateChanged, &m_receiver, outputChanged);
    QObject::connect(&audio, &AudioSystem::defaultDeviceChanged, &m_receiver, outputChanged);
    QObject::connect(&audio, &AudioSystem::deviceChanged, &m_receiver, outputChanged);
    startIfPossible();
}

void HUDController::startIfPossible()
{
    startIfPossible(MediaKeyGroup::volume);
    startIfPossible(MediaKeyGroup::brightness);
}

void HUDController::startIfPossible(MediaKeyGroup group)
{
    RepeatingTimer &retry = m_retryTimers[size_t(group)];
    if (!isWanted(group)) {
        // Given back, a key goes to the desktop's own handling instead of
        // being replayed to the focused window.
        m_keys.stop(group);
        retry.stop();
        return;
    }
    updateTaking(group);
    if (m_keys.start(group)) {
        retry.stop();
        return;
    }
    if (!retry.isActive())
        retry.start(retryInterval, [this, group] { startIfPossible(group); });
}

bool HUDController::isWanted(MediaKeyGroup group) const
{
    const Preferences &preferences = m_model.preferences;
    return group == MediaKeyGroup::volume ? preferences.soundHUD.value() : preferences.displayHUD.value();
}

void HUDController::updateTaking(MediaKeyGroup group)
{
    bool canAct = isWanted(group);
    if (canAct && group == MediaKeyGroup::volume) {
        const AudioSystem &audio = m_model.services().audio;
        const auto output = audio.device(AudioScope::Output, audio.defaultDevice(AudioScope::Output));
        canAct = output && output->volume;
    } else if (canAct) {
        canAct = !m_brightness.controllableDisplays().isEmpty();
    }
    m_keys.setTaking(group, canAct);
}

void HUDController::act(MediaKey key, Qt::KeyboardModifiers modifiers)
{
    const float keyStep = stepFor(modifiers);
    switch (key) {
    case MediaKey::brightnessUp:
        changeBrightness(Direction::up, keyStep);
        break;
    case MediaKey::brightnessDown:
        changeBrightness(Direction::down, keyStep);
        break;
    default:
        changeVolume(key, keyStep);
        break;
    }
}

float HUDController::stepFor(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers fine = Qt::AltModifier | Qt::ShiftModifier;
    return (modifiers & fine) == fine ? fineStep : step;
}

float HUDController::stepped(float level, float step, Direction direction)
{
    const float moved = direction == Direction::up ? level + step : level - step;
    // Halves away from zero, as std::round does.
    return std::clamp(step * std::round(moved / step), 0.0f, 1.0f);
}

bool HUDController::changeVolume(MediaKey key, float step)
{
    if (!isWanted(MediaKeyGroup::volume))
        return false;
    m_volume.refreshDevice();
    if (!m_volume.isAvailable())
        return false;
    if (key == MediaKey::mute) {
        m_volume.setMuted(!m_volume.isMuted());
    } else {
        if (m_volume.isMuted())
            m_volume.setMuted(false);
        const Direction direction = key == MediaKey::volumeUp ? Direction::up : Direction::down;
        // Another mixer may have set the device past full: a step up never
        // lowers it, and the strip shows full.
        if (direction == Direction::down || !m_volume.isAboveFull())
            m_volume.set(stepped(m_volume.volume(), step, direction));
    }
    m_model.alerts.show(volumeStrip(), m_model.preferences.soundDuration.value());
    return true;
}

// The level half of a volume or brightness strip: a white symbol, the bar
// and, when asked for, the level as a number.
void HUDController::fillLevel(NotchAlert &alert, float level, HUDStyle style, bool levelColors, LevelBase base, bool showNumber)
{
    alert.symbolColor = Qt::white;
    alert.level = level;
    alert.barStyle = style;
    alert.levelColors = levelColors;
    alert.levelBase = base;
    if (showNumber)
        alert.trailing = percentage(level);
    alert.trailingColor = Qt::white;
    alert.sideWidth = showNumber ? sideWidthWithNumber : sideWidthWithoutNumber;
}

NotchAlert HUDController::volumeStrip() const
{
    const float level = m_volume.volume();
    NotchAlert alert;
    alert.kind = AlertKind::volume;
    if (m_volume.isMuted() || level < 0.001f) {
        alert.symbol = QStringLiteral("speaker.slash.fill");
        alert.symbolColor = MicMutedIcon::red();
        alert.trailing = QStringLiteral("Mudo");
        alert.trailingColor = MicMutedIcon::red();
        alert.sideWidth = sideWidthWithoutNumber;
        return alert;
    }
    const Preferences &preferences = m_model.preferences;
    if (preferences.showOutputDevice.value() && m_volume.isBluetooth())
        alert.symbol = SystemVolume::symbolForDeviceNamed(m_volume.deviceName().value_or(QString()));
    else if (level < 0.34f)
        alert.symbol = QStringLiteral("speaker.wave.1.fill");
    else if (level < 0.67f)
        alert.symbol = QStringLiteral("speaker.wave.2.fill");
    else
        alert.symbol = QStringLiteral("speaker.wave.3.fill");
    fillLevel(alert, level, preferences.soundStyle.value(), preferences.volumeLevelColors.value(), LevelBase::white,
              preferences.showVolumePercentage.value());
    return alert;
}

bool HUDController::changeBrightness(Direction direction, float step)
{
    if (!isWanted(MediaKeyGroup::brightness))
        return false;
    const QStringList displays = m_brightness.controllableDisplays();
    if (displays.isEmpty())
        return false;
    // The strip shows the built-in display's level when it is listed, else
    // the first display's.
    std::optional<float> first;
    std::optional<float> builtIn;
    for (const QString &display : displays) {
        const auto read = m_brightness.brightness(display);
        const float current = read && *read >= 0 ? *read : 0.5f;
        const float level = m_brightness.levelToward(display, current, stepped(current, step, direction));
        // A display that cannot be set keeps its level; the strip still
        // shows the one it would hold.
        m_brightness.setBrightness(display, level);
        if (!first)
            first = level;
        if (!builtIn && m_brightness.isBuiltIn(display))
            builtIn = level;
    }
    m_model.alerts.show(brightnessStrip(builtIn.value_or(*first)), m_model.preferences.displayDuration.value());
    return true;
}

NotchAlert HUDController::brightnessStrip(float level) const
{
    const Preferences &preferences = m_model.preferences;
    NotchAlert alert;
    alert.kind = AlertKind::brightness;
    alert.symbol = level < 0.5f ? QStringLiteral("sun.min.fill") : QStringLiteral("sun.max.fill");
    fillLevel(alert, level, preferences.displayStyle.value(), preferences.brightnessLevelColors.value(), LevelBase::blue,
              preferences.showBrightnessPercentage.value());
    return alert;
}
