#include "App/AppModel.h"

#include "Alerts/AppNotificationMonitor.h"

#include <QCoreApplication>

const AppModel::PeekSong AppModel::demoPeekSong{QStringLiteral("Uma Canção de Demonstração com um Título Bem Comprido"),
                                                QStringLiteral("Artista de Demonstração")};

AppModel::AppModel(const Services &services)
    : m_services(services)
    , nowPlaying(services.scheduler, services.workspace, services.windowServer)
    , weather(services.scheduler, services.location)
    , lyrics(LyricsModel::publicServiceUrl)
    , permissions(services, permissionNotifications, banners, AppNotificationMonitor::databasePath())
    , alerts(services.scheduler)
    , timers(services.scheduler)
    , banners(services.scheduler, services.workspace)
    , integrations(services.defaults)
    , mixer(services.audio, services.workspace, services.defaults, services.scheduler, QCoreApplication::applicationPid())
    , micMute(services.audio, services.keyCapture)
    , outputMute(services.audio)
    , claudeUsage(services)
    , preferences(services.defaults)
    , sounds(services.soundPlayer)
    , calendar(preferences, services, sounds, permissionNotifications)
    , updater(services.updates, services.defaults, banners)
    , m_peekWork(services.scheduler)
    , m_previewWork(services.scheduler)
{
    integrations.refresh();
    integrations.repairCommandLink();
}

AppModel::~AppModel() = default;

void AppModel::start(const MediaBridgeProcess::Files &bridgeFiles)
{
    applyMediaPreferences();
    nowPlaying.start(bridgeFiles);
    calendar.start();
    if (preferences.showWeather.value() || preferences.lockWeather.value())
        weather.start();
    observeMediaPreferences();
    observeCalendarPreferences();
    observeSong();
    claudeUsage.setEnabled(preferences.claudeUsageFromLogin.value());
    observeClaudeUsage();
}

void AppModel::applyMediaPreferences()
{
    nowPlaying.setIdleDuration(preferences.idleDuration.value());
    nowPlaying.setSourceFilter(NowPlayingModel::sourceFilter(preferences.mediaSource.value()));
}

void AppModel::observeMediaPreferences()
{
    m_mediaPreferencesLoop = std::make_unique<ObservationLoop>(
        m_services.scheduler,
        [this] {
            preferences.idleDuration.value();
            preferences.mediaSource.value();
            preferences.showWeather.value();
            preferences.lockWeather.value();
        },
        [this] {
            applyMediaPreferences();
            // Nothing stops the weather model: turning both settings off
            // keeps its last state.
            if (preferences.showWeather.value() || preferences.lockWeather.value())
                weather.start();
        });
}

void AppModel::observeCalendarPreferences()
{
    m_calendarPreferencesLoop = std::make_unique<ObservationLoop>(
        m_services.scheduler,
        [this] {
            preferences.calendarEnabled.value();
            preferences.reminderMinutes.value();
            preferences.keepEventCountdown.value();
            preferences.hourlyChime.value();
            preferences.disabledCalendarIDs.value();
        },
        [this] {
            calendar.reload();
            calendar.scheduleChime();
        });
}

void AppModel::observeSong()
{
    checkSong();
    m_songLoop = std::make_unique<ObservationLoop>(
        m_services.scheduler,
        [this] {
            nowPlaying.title();
            nowPlaying.artist();
        },
        [this] { checkSong(); }, songCheckDelay);
}

// Only a change to another song while playing peeks: not the song playing at
// launch, and not the same song again after the player stopped (an empty
// title leaves the last song remembered). The setting and the playing flag
// are read here, untracked: changing them alone raises nothing.
void AppModel::checkSong()
{
    const QString title = nowPlaying.title();
    const QString key = title.isEmpty() ? QString() : title + QChar(0x1F) + nowPlaying.artist();
    if (key.isEmpty() || key == m_lastSong)
        return;
    if (!m_lastSong.isEmpty() && preferences.songPeek.value() && nowPlaying.isPlaying())
        peekSong();
    m_lastSong = key;
}

void AppModel::observeClaudeUsage()
{
    m_claudeUsageLoop = std::make_unique<ObservationLoop>(
        m_services.scheduler, [this] { preferences.claudeUsageFromLogin.value(); },
        [this] { claudeUsage.setEnabled(preferences.claudeUsageFromLogin.value()); });
}

void AppModel::peekSong()
{
    m_isPeekingSong = true;
    m_peekWork.start(peekDuration, [this] { endPeek(); });
}

void AppModel::endPeek()
{
    m_isPeekingSong = false;
    m_isPeekForced = false;
    m_debugPeekSong = std::nullopt;
}

void AppModel::debugPeekSong(DebugPeek peek)
{
    m_isPeekForced = true;
    m_debugPeekSong = peek == DebugPeek::demoSong ? std::optional<PeekSong>(demoPeekSong) : std::nullopt;
    peekSong();
}

void AppModel::previewOpenNotch()
{
    m_isPreviewingOpen = true;
    m_previewWork.start(previewDuration, [this] { m_isPreviewingOpen = false; });
}
