#pragma once

#include "Alerts/BannerCenter.h"
#include "Alerts/NotchAlertCenter.h"
#include "Alerts/TimerModel.h"
#include "App/ClaudeUsage.h"
#include "App/Integrations.h"
#include "App/Preferences.h"
#include "App/Updater.h"
#include "Audio/AudioMixer.h"
#include "Audio/MicMute.h"
#include "Audio/OutputMute.h"
#include "Calendar/CalendarModel.h"
#include "Calendar/WeatherModel.h"
#include "NowPlaying/LyricsModel.h"
#include "NowPlaying/NowPlayingModel.h"
#include "Onboarding/PermissionsModel.h"
#include "Platform/Services.h"
#include "Shared/PermissionNotifications.h"
#include "Shared/Sounds.h"
#include "Support/Observation.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QProperty>
#include <QString>

#include <memory>
#include <optional>

// The root model: owns every model for the life of the process. Controllers
// and monitors receive it and reach the models and the platform services
// through it. It also runs the app-wide reactions that belong to no single
// model (media, calendar and usage settings, the song peek) and holds the
// flags through which the notch shows the song peek and the open preview.
class AppModel {
public:
    static constexpr double peekDuration = 4.5;
    static constexpr double previewDuration = 1.5;
    // The song check waits this long after the title or artist changes, so
    // that a title and an artist that arrive apart count as one change.
    static constexpr double songCheckDelay = 0.25;

    // A title and artist shown by the peek in place of the current song.
    struct PeekSong {
        QString title;
        QString artist;
        bool operator==(const PeekSong &) const = default;
    };
    // The diagnostic peek's song: long enough for the peek's title to scroll.
    static const PeekSong demoPeekSong;

    // A diagnostic peek of the current song, or of the demo song.
    enum class DebugPeek { currentSong, demoSong };

    explicit AppModel(const Services &services);
    ~AppModel();
    AppModel(const AppModel &) = delete;
    AppModel &operator=(const AppModel &) = delete;

    const Services &services() const { return m_services; }

    // Starts the long-running models (the media bridge with `bridgeFiles`;
    // none starts no bridge) and arms the app-wide observations. Called
    // once, first thing at launch.
    void start(const MediaBridgeProcess::Files &bridgeFiles = MediaBridgeProcess::Files::bundled());

    // Pushes the media settings into the now-playing model.
    void applyMediaPreferences();

    // Raises the song peek for 4.5 s; a new call restarts the 4.5 s.
    void peekSong();
    // A peek that shows even without media; with DebugPeek::demoSong it
    // shows the demo song instead of the current one.
    void debugPeekSong(DebugPeek peek);
    // Shows the open panel as a preview until 1.5 s after the last call.
    void previewOpenNotch();

    // The song peek is on.
    bool isPeekingSong() const { return m_isPeekingSong.value(); }
    QBindable<bool> bindableIsPeekingSong() { return &m_isPeekingSong; }
    // The peek shows even without media (the diagnostic peek).
    bool isPeekForced() const { return m_isPeekForced.value(); }
    QBindable<bool> bindableIsPeekForced() { return &m_isPeekForced; }
    // The open panel is shown as a preview.
    bool isPreviewingOpen() const { return m_isPreviewingOpen.value(); }
    QBindable<bool> bindableIsPreviewingOpen() { return &m_isPreviewingOpen; }
    std::optional<PeekSong> debugPeekSong() const { return m_debugPeekSong.value(); }
    QBindable<std::optional<PeekSong>> bindableDebugPeekSong() { return &m_debugPeekSong; }

private:
    Services m_services;

public:
    NowPlayingModel nowPlaying;
    WeatherModel weather;
    LyricsModel lyrics;

    // "QuibPermissionsChanged" and "QuibShowPermissions".
    PermissionNotifications permissionNotifications;
    PermissionsModel permissions;
    NotchAlertCenter alerts;
    TimerModel timers;
    BannerCenter banners;
    Integrations integrations;

    AudioMixer mixer;
    MicMute micMute;
    OutputMute outputMute;
    ClaudeUsage claudeUsage;
    Preferences preferences;
    Sounds sounds;
    CalendarModel calendar;
    Updater updater;

private:
    void observeMediaPreferences();
    void observeCalendarPreferences();
    void observeSong();
    void observeClaudeUsage();
    void checkSong();
    void endPeek();

    QProperty<bool> m_isPeekingSong{false};
    QProperty<bool> m_isPeekForced{false};
    QProperty<std::optional<PeekSong>> m_debugPeekSong;
    Delay m_peekWork;
    // The key (title, U+001F, artist) of the last song seen; empty until the
    // first one.
    QString m_lastSong;
    QProperty<bool> m_isPreviewingOpen{false};
    Delay m_previewWork;

    std::unique_ptr<ObservationLoop> m_mediaPreferencesLoop;
    std::unique_ptr<ObservationLoop> m_calendarPreferencesLoop;
    std::unique_ptr<ObservationLoop> m_songLoop;
    std::unique_ptr<ObservationLoop> m_claudeUsageLoop;
};
