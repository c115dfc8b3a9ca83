#pragma once

#include "App/Preferences.h"
#include "NowPlaying/MediaBridgeProcess.h"
#include "Support/BackgroundRunner.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QJsonObject>
#include <QProperty>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class WindowServer;
class Workspace;

// The app's one picture of the media playing anywhere: the song, play state,
// position, shuffle and repeat, artwork with its tint, and the playing
// application. Fed by the media bridge; sends the player views' transport
// commands to it. Main thread only, apart from artwork decoding.
class NowPlayingModel {
public:
    static constexpr double optimisticHold = 0.8;
    static constexpr double staleReportWindow = 0.5;
    static constexpr int maximumArtworkPixels = 720;

    // `runner` (artwork decoding) defaults to Qt's global thread pool.
    NowPlayingModel(Scheduler &scheduler, Workspace &workspace, WindowServer &windowServer, BackgroundRunner runner = {});
    ~NowPlayingModel();
    NowPlayingModel(const NowPlayingModel &) = delete;
    NowPlayingModel &operator=(const NowPlayingModel &) = delete;

    // The source filter a media-source setting stands for: none for any
    // player, else every identifier the application has here.
    static std::optional<QStringList> sourceFilter(MediaSource source);

    // Follows application activations and starts the bridge.
    void start(const MediaBridgeProcess::Files &files = MediaBridgeProcess::Files::bundled());
    // Applies one object of the bridge; only "state" objects change anything.
    void handle(const QJsonObject &message);

    QString title() const { return m_title.value(); }
    QBindable<QString> bindableTitle() { return &m_title; }
    QString artist() const { return m_artist.value(); }
    QBindable<QString> bindableArtist() { return &m_artist; }
    QString album() const { return m_album.value(); }
    QBindable<QString> bindableAlbum() { return &m_album; }
    double duration() const { return m_duration.value(); }
    QBindable<double> bindableDuration() { return &m_duration; }
    bool isPlaying() const { return m_isPlaying.value(); }
    QBindable<bool> bindableIsPlaying() { return &m_isPlaying; }
    QImage artwork() const { return m_artwork.value(); }
    QBindable<QImage> bindableArtwork() { return &m_artwork; }
    int artworkVersion() const { return m_artworkVersion.value(); }
    QBindable<int> bindableArtworkVersion() { return &m_artworkVersion; }
    QColor tint() const { return m_tint.value(); }
    QBindable<QColor> bindableTint() { return &m_tint; }
    QString appName() const { return m_appName.value(); }
    QBindable<QString> bindableAppName() { return &m_appName; }
    std::optional<QString> bundleIdentifier() const { return m_bundleIdentifier.value(); }
    QBindable<std::optional<QString>> bindableBundleIdentifier() { return &m_bundleIdentifier; }
    bool isActive() const { return m_isActive.value(); }
    QBindable<bool> bindableIsActive() { return &m_isActive; }
    int shuffleMode() const { return m_shuffleMode.value(); }
    QBindable<int> bindableShuffleMode() { return &m_shuffleMode; }
    int repeatMode() const { return m_repeatMode.value(); }
    QBindable<int> bindableRepeatMode() { return &m_repeatMode; }
    bool sourceIsFrontmost() const { return m_sourceIsFrontmost.value(); }
    QBindable<bool> bindableSourceIsFrontmost() { return &m_sourceIsFrontmost; }

    double idleDuration() const { return m_idleDuration.value(); }
    QBindable<double> bindableIdleDuration() { return &m_idleDuration; }
    // A change alone reschedules nothing; the next activity update uses it.
    void setIdleDuration(double seconds) { m_idleDuration = seconds; }
    std::optional<QStringList> sourceFilter() const { return m_sourceFilter.value(); }
    QBindable<std::optional<QStringList>> bindableSourceFilter() { return &m_sourceFilter; }
    void setSourceFilter(const std::optional<QStringList> &filter);

    // The title is set and, with a source filter, the playing application
    // has one of the filter's identifiers.
    bool hasMedia() const;
    // The position in seconds at `date` (monotonic clock), extrapolated from
    // the last report.
    double elapsed(MonotonicTime date) const;
    // The title, with Extras::hide without bracketed or dashed extras
    // ("(Remastered 2009)", "- Radio Edit"); a title that would be left
    // empty comes back whole.
    enum class Extras { keep, hide };
    QString displayTitle(Extras extras) const;

    // The bridge process, once started (the app stops it at quit).
    MediaBridgeProcess *bridge() const { return m_bridge.get(); }

    void togglePlayPause();
    void nextTrack();
    void previousTrack();
    void seek(double seconds);
    void toggleShuffle();
    void cycleRepeat();
    void copyToPasteboard();
    void openSourceApp();

    // The accent colour of an artwork image.
    static QColor averageColor(const QImage &image);

private:
    struct PendingPlayState {
        bool value;
        MonotonicTime until;
    };
    struct DecodedArtwork {
        QImage image;
        QColor tint;
    };
    static std::optional<DecodedArtwork> decode(const QByteArray &base64);

    void send(const QString &command);
    void setPlayingOptimistically(bool playing);
    void updateActivity();
    void updateFrontmost();
    void decodeArtwork(const QString &base64);
    void publishArtwork(quint64 request, const DecodedArtwork &artwork);
    void clearArtwork();

    Scheduler &m_scheduler;
    Workspace &m_workspace;
    WindowServer &m_windowServer;
    BackgroundRunner m_runner;

    QProperty<QString> m_title;
    QProperty<QString> m_artist;
    QProperty<QString> m_album;
    QProperty<double> m_duration{0};
    QProperty<bool> m_isPlaying{false};
    QProperty<QImage> m_artwork;
    QProperty<int> m_artworkVersion{0};
    QProperty<QColor> m_tint{QColor(Qt::white)};
    QProperty<QString> m_appName;
    QProperty<std::optional<QString>> m_bundleIdentifier;
    QProperty<bool> m_isActive{false};
    QProperty<int> m_shuffleMode{0};
    QProperty<int> m_repeatMode{0};
    QProperty<bool> m_sourceIsFrontmost{false};
    QProperty<double> m_idleDuration{3.0};
    QProperty<std::optional<QStringList>> m_sourceFilter;
    QProperty<double> m_elapsedSnapshot{0};
    // On the monotonic clock: the extrapolation measures a duration.
    QProperty<MonotonicTime> m_snapshotDate;
    QProperty<double> m_rate{1.0};
    // A report or a seek has set the position: only then can a pause report
    // be older than it.
    bool m_hasSnapshot = false;

    std::unique_ptr<MediaBridgeProcess> m_bridge;
    Delay m_idleWork;
    std::optional<PendingPlayState> m_pendingPlayState;
    // Artwork changes are numbered: a decoding publishes only when nothing
    // newer (another decoding or a clear) has been applied since it started.
    quint64 m_artworkRequests = 0;
    quint64 m_appliedArtworkRequest = 0;
    // Decoded artwork finds the model through this on the main thread, and
    // finds nothing once the model is gone.
    std::shared_ptr<NowPlayingModel *> m_self;
};
