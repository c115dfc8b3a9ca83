#pragma once

#include "Alerts/DisplayBrightness.h"
#include "Alerts/MediaKeyMonitor.h"
#include "Alerts/NotchAlert.h"
#include "LockScreen/SystemVolume.h"
#include "Support/Observation.h"
#include "Support/Scheduler.h"

#include <QObject>

#include <array>

class AppModel;

// The volume and brightness indicator: takes the volume, mute and brightness
// keys, changes the default output's volume or every controllable display's
// brightness itself and shows the new level as an alert strip. The volume
// keys are held while their setting is on, the brightness keys while
// theirs is; a held key it cannot act on (no output device, no controllable
// display) goes on to the focused window. Until a group of keys can be taken
// (another program holds one of them) it tries again every few seconds and
// whenever a permission may have changed. Main thread only.
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

    // Takes the keys each setting wants and keeps retrying those that cannot
    // be taken yet; gives back those no setting wants.
    void startIfPossible();
    bool isRetrying(MediaKeyGroup group) const { return m_retryTimers[size_t(group)].isActive(); }

    // `key` is volumeUp, volumeDown or mute. False when there was nothing to
    // act on.
    bool changeVolume(MediaKey key, float step);
    // False when there was nothing to act on.
    bool changeBrightness(Direction direction, float step);

    // The step for a key pressed with `modifiers`.
    static float stepFor(Qt::KeyboardModifiers modifiers);
    // The next level on the grid of `step`, held within 0...1.
    static float stepped(float level, float step, Direction direction);

    const MediaKeyMonitor &keys() const { return m_keys; }

private:
    void startIfPossible(MediaKeyGroup group);
    bool isWanted(MediaKeyGroup group) const;
    // Tells the key monitor whether the next press of `group` can be acted on.
    void updateTaking(MediaKeyGroup group);
    void act(MediaKey key, Qt::KeyboardModifiers modifiers);
    NotchAlert volumeStrip() const;
    NotchAlert brightnessStrip(float level) const;
    static void fillLevel(NotchAlert &alert, float level, HUDStyle style, bool levelColors, LevelBase base, bool showNumber);

    AppModel &m_model;
    MediaKeyMonitor m_keys;
    SystemVolume m_volume;
    DisplayBrightness m_brightness;
    std::array<RepeatingTimer, 2> m_retryTimers;
    ObservationLoop m_settingsLoop;
    // Ends the connections to the permission notice and the sound server
    // with the controller.
    QObject m_receiver;
};
