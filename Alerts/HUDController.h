#pragma once

#include "Alerts/DisplayBrightness.h"
#include "Alerts/MediaKeyMonitor.h"
#include "Alerts/NotchAlert.h"
#include "LockScreen/SystemVolume.h"
#include "Support/Scheduler.h"

#include <QObject>

class AppModel;

// The volume and brightness indicator: takes the volume, mute and brightness
// keys, changes the default output's volume or every controllable display's
// brightness itself and shows the new level as an alert strip. A key it does
// not take (its setting is off, no output device, no controllable display)
// goes on to the desktop. Until the keys can be taken (another program holds
// one of them) it tries again every few seconds and whenever a permission
// may have changed. Main thread only.
class HUDController {
public:
    enum class Direction { up, down };

    // One sixteenth; one sixty-fourth with Alt and Shift held.
    static constexpr float step = 1.0f / 16;
    static constexpr float fineStep = 1.0f / 64;
    static constexpr double retryInterval = 4.0;
    // Side strips with and without the trailing number.
    static constexpr double sideWidthWithNumber = 100;
    static constexpr double sideWidthWithoutNumber = 92;

    explicit HUDController(AppModel &model);
    HUDController(const HUDController &) = delete;
    HUDController &operator=(const HUDController &) = delete;

    // Takes the keys, or keeps retrying until they can be taken.
    void startIfPossible();
    bool isRetrying() const { return m_retryTimer.isActive(); }

    // `key` is volumeUp, volumeDown or mute. True when the key was taken.
    bool changeVolume(MediaKey key, float step);
    // True when the key was taken.
    bool changeBrightness(Direction direction, float step);

    // The step for a key pressed with `modifiers`.
    static float stepFor(Qt::KeyboardModifiers modifiers);
    // The next level on the grid of `step`, held within 0...1.
    static float stepped(float level, float step, Direction direction);

    const MediaKeyMonitor &keys() const { return m_keys; }

private:
    NotchAlert volumeStrip() const;
    NotchAlert brightnessStrip(float level) const;
    static void fillLevel(NotchAlert &alert, float level, HUDStyle style, bool levelColors, LevelBase base, bool showNumber);

    AppModel &m_model;
    MediaKeyMonitor m_keys;
    SystemVolume m_volume;
    DisplayBrightness m_brightness;
    RepeatingTimer m_retryTimer;
    // Ends the permission notice's connection with the controller.
    QObject m_permissionsReceiver;
};
