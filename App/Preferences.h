#pragma once

#include "Platform/UserDefaults.h"
#include "Support/RawEnum.h"

#include <QBindable>
#include <QProperty>
#include <QSet>
#include <QString>

enum class DisplayMode { all, notched, main };
enum class SimulatedStyle { notch, pill };
enum class SideColumn { calendar, claude, both };
enum class IdleActivity { none, playing, calendar, duo };
enum class WaveformStyle { monochrome, colored, gradient };
enum class ExtraButton { none, shuffle, repeatMode, copy };
enum class MediaSource { any, spotify, music };
enum class LockPlayerStyle { glass, clear };
enum class LockWeatherInfo { conditions, sun, precipitation };
enum class HUDStyle { white, accent, glow };

template <>
inline constexpr std::array rawEnumCases<DisplayMode>{std::pair{DisplayMode::all, "all"}, std::pair{DisplayMode::notched, "notched"},
                                                      std::pair{DisplayMode::main, "main"}};
template <>
inline constexpr std::array rawEnumCases<SimulatedStyle>{std::pair{SimulatedStyle::notch, "notch"}, std::pair{SimulatedStyle::pill, "pill"}};
template <>
inline constexpr std::array rawEnumCases<SideColumn>{std::pair{SideColumn::calendar, "calendar"}, std::pair{SideColumn::claude, "claude"},
                                                     std::pair{SideColumn::both, "both"}};
template <>
inline constexpr std::array rawEnumCases<IdleActivity>{std::pair{IdleActivity::none, "none"}, std::pair{IdleActivity::playing, "playing"},
                                                       std::pair{IdleActivity::calendar, "calendar"}, std::pair{IdleActivity::duo, "duo"}};
template <>
inline constexpr std::array rawEnumCases<WaveformStyle>{std::pair{WaveformStyle::monochrome, "monochrome"},
                                                        std::pair{WaveformStyle::colored, "colored"},
                                                        std::pair{WaveformStyle::gradient, "gradient"}};
template <>
inline constexpr std::array rawEnumCases<ExtraButton>{std::pair{ExtraButton::none, "none"}, std::pair{ExtraButton::shuffle, "shuffle"},
                                                      std::pair{ExtraButton::repeatMode, "repeat"}, std::pair{ExtraButton::copy, "copy"}};
template <>
inline constexpr std::array rawEnumCases<MediaSource>{std::pair{MediaSource::any, "any"}, std::pair{MediaSource::spotify, "spotify"},
                                                      std::pair{MediaSource::music, "music"}};
template <>
inline constexpr std::array rawEnumCases<LockPlayerStyle>{std::pair{LockPlayerStyle::glass, "glass"}, std::pair{LockPlayerStyle::clear, "clear"}};
template <>
inline constexpr std::array rawEnumCases<LockWeatherInfo>{std::pair{LockWeatherInfo::conditions, "conditions"},
                                                          std::pair{LockWeatherInfo::sun, "sun"},
                                                          std::pair{LockWeatherInfo::precipitation, "precipitation"}};
template <>
inline constexpr std::array rawEnumCases<HUDStyle>{std::pair{HUDStyle::white, "white"}, std::pair{HUDStyle::accent, "accent"},
                                                   std::pair{HUDStyle::glow, "glow"}};

using StringSet = QSet<QString>;

// One persisted setting: an observable value kept in the user defaults under
// its key. Reading value() inside a binding or an ObservationLoop tracks it.
// setValue() always writes the user defaults; observers hear only of a real
// change.
template <typename T>
class Setting {
public:
    Setting(UserDefaults &defaults, QString key, T loaded)
        : m_defaults(defaults)
        , m_key(std::move(key))
        , m_property(std::move(loaded))
    {
    }
    Setting(const Setting &) = delete;
    Setting &operator=(const Setting &) = delete;

    T value() const { return m_property.value(); }
    void setValue(const T &value)
    {
        m_property.setValue(value);
        m_defaults.setObject(m_key, persisted(value));
    }
    QBindable<T> bindable() { return QBindable<T>(&m_property); }
    const QString &key() const { return m_key; }

    static QVariant persisted(const T &value);

private:
    friend class Preferences;
    // Construction only: sets the loaded value without writing it back.
    void restore(const T &value) { m_property.setValue(value); }

    UserDefaults &m_defaults;
    QString m_key;
    QProperty<T> m_property;
};

template <typename T>
QVariant Setting<T>::persisted(const T &value)
{
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, double>) {
        return value;
    } else if constexpr (std::is_same_v<T, StringSet>) {
        QVariantList members;
        for (const QString &member : value)
            members.append(member);
        return members;
    } else {
        return rawValue(value);
    }
}

// Every user setting of the app, named after its key in the user defaults.
// The user defaults are read once, here; afterwards the values in memory are
// the truth for the run.
//
// X(type, name, default): one line per setting, in declaration order.
#define QUIB_SETTINGS(X)                                                                                                                   \
    /* Notch */                                                                                                                            \
    X(DisplayMode, displayMode, DisplayMode::all)                                                                                          \
    X(double, openWidth, 100)                                                                                                              \
    X(bool, hideInFullscreen, true)                                                                                                        \
    X(bool, hideFromScreenCapture, false)                                                                                                  \
    X(bool, simulatedNotch, true)                                                                                                          \
    X(SimulatedStyle, simulatedStyle, SimulatedStyle::notch)                                                                               \
    X(IdleActivity, idleActivity, IdleActivity::duo)                                                                                       \
    X(bool, contrastOutline, true)                                                                                                         \
    X(bool, expandOnHover, true)                                                                                                           \
    X(double, hoverDelay, 0.1)                                                                                                             \
    X(bool, hapticFeedback, true)                                                                                                          \
    /* Media and open panel */                                                                                                             \
    X(bool, nowPlayingEnabled, true)                                                                                                       \
    X(double, idleDuration, 3)                                                                                                             \
    X(WaveformStyle, waveformStyle, WaveformStyle::colored)                                                                                \
    X(bool, showWaveform, true)                                                                                                            \
    X(bool, songPeek, true)                                                                                                                \
    X(bool, eventProgress, true)                                                                                                           \
    X(SideColumn, sideColumn, SideColumn::both)                                                                                            \
    X(bool, claudeUsageFromLogin, false)                                                                                                   \
    X(bool, artworkFlip, true)                                                                                                             \
    X(bool, hideWhenSourceActive, false)                                                                                                   \
    X(bool, hideTitleExtras, false)                                                                                                        \
    X(ExtraButton, extraButton, ExtraButton::none)                                                                                         \
    X(MediaSource, mediaSource, MediaSource::any)                                                                                          \
    /* Calendar */                                                                                                                         \
    X(bool, calendarEnabled, true)                                                                                                         \
    X(double, reminderMinutes, 15)                                                                                                         \
    X(bool, soundOnEvent, true)                                                                                                            \
    X(bool, keepEventCountdown, true)                                                                                                      \
    X(bool, hourlyChime, false)                                                                                                            \
    X(bool, useCalendarColor, true)                                                                                                        \
    X(bool, showWeather, true)                                                                                                             \
    X(StringSet, disabledCalendarIDs, StringSet())                                                                                         \
    /* Lock screen */                                                                                                                      \
    X(bool, lockScreenPlayer, true)                                                                                                        \
    X(double, keepAwakeMinutes, 0)                                                                                                         \
    X(bool, soundOnLock, false)                                                                                                            \
    X(bool, soundOnUnlock, false)                                                                                                          \
    X(LockPlayerStyle, lockPlayerStyle, LockPlayerStyle::glass)                                                                            \
    X(double, lockIdleMinutes, 10)                                                                                                         \
    X(bool, lockShowVolume, true)                                                                                                          \
    X(double, lockOffset, 0)                                                                                                               \
    X(bool, lockWeather, true)                                                                                                             \
    X(LockWeatherInfo, lockWeatherInfo, LockWeatherInfo::conditions)                                                                       \
    /* Brightness and volume indicator */                                                                                                  \
    X(bool, displayHUD, true)                                                                                                              \
    X(double, displayDuration, 1.5)                                                                                                        \
    X(HUDStyle, displayStyle, HUDStyle::glow)                                                                                              \
    X(bool, showBrightnessPercentage, true)                                                                                                \
    X(bool, brightnessLevelColors, true)                                                                                                   \
    X(bool, soundHUD, true)                                                                                                                \
    X(double, soundDuration, 1.5)                                                                                                          \
    X(HUDStyle, soundStyle, HUDStyle::accent)                                                                                              \
    X(bool, showVolumePercentage, true)                                                                                                    \
    X(bool, volumeLevelColors, true)                                                                                                       \
    X(bool, showOutputDevice, true)                                                                                                        \
    /* Mixer and microphone */                                                                                                             \
    X(bool, appMixer, true)                                                                                                                \
    X(bool, micShortcut, true)                                                                                                             \
    X(bool, showMicMutedIcon, true)                                                                                                        \
    X(bool, showSoundMutedIcon, true)                                                                                                      \
    /* Battery */                                                                                                                          \
    X(bool, batteryAlerts, true)                                                                                                           \
    X(double, batteryDuration, 4)                                                                                                          \
    X(bool, chargingAlert, true)                                                                                                           \
    X(bool, notifyLowPowerMode, true)                                                                                                      \
    X(bool, warnLowBattery, true)                                                                                                          \
    X(double, lowBatteryThreshold, 10)                                                                                                     \
    X(bool, soundOnLowBattery, true)                                                                                                       \
    /* Audio devices */                                                                                                                    \
    X(bool, deviceAlerts, true)                                                                                                            \
    X(double, deviceDuration, 4)                                                                                                           \
    X(bool, warnDeviceLowBattery, true)                                                                                                    \
    X(double, deviceLowThreshold, 20)                                                                                                      \
    X(bool, soundOnDeviceLowBattery, true)                                                                                                 \
    /* Focus */                                                                                                                            \
    X(bool, focusAlerts, true)                                                                                                             \
    X(double, focusDuration, 3)                                                                                                            \
    /* Alerts from scripts and the coding agent */                                                                                         \
    X(bool, externalAlerts, true)                                                                                                          \
    X(double, externalDuration, 6)                                                                                                         \
    X(bool, soundOnExternal, true)                                                                                                         \
    X(bool, externalSkipFrontmost, true)                                                                                                   \
    /* Notifications of other apps */                                                                                                      \
    X(bool, appNotifications, true)                                                                                                        \
    X(double, notificationDuration, 5)                                                                                                     \
    X(bool, hideNotificationContent, false)                                                                                                \
    X(StringSet, mutedNotificationApps, StringSet())                                                                                       \
    /* Timers */                                                                                                                           \
    X(bool, timerSound, true)                                                                                                              \
    X(bool, timerInNotch, true)

class Preferences {
public:
    explicit Preferences(UserDefaults &defaults);
    Preferences(const Preferences &) = delete;
    Preferences &operator=(const Preferences &) = delete;

    static constexpr int settingCount = 81;

private:
    UserDefaults &m_defaults;

public:
#define QUIB_DECLARE_SETTING(Type, name, fallback) Setting<Type> name;
    QUIB_SETTINGS(QUIB_DECLARE_SETTING)
#undef QUIB_DECLARE_SETTING

    // Which columns the open panel has. Computed at each read through the
    // settings, so bindings that read them follow those settings.
    bool opensPlayer() const;
    bool opensCalendar() const;

    // The value registered for each key (the 81 defaults, in persisted form).
    static QVariantMap registeredDefaults();
};
