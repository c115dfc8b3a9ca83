#include "NowPlaying/NowPlayingModel.h"

#include "Platform/ApplicationIdentifiers.h"
#include "Platform/WindowServer.h"
#include "Platform/Workspace.h"
#include "Support/EpochTime.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

std::optional<double> finiteNumber(const QJsonValue &value)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

// The integer part of a number, 0 when it is absent or out of range.
int integerOf(const QJsonValue &value)
{
    const std::optional<double> number = finiteNumber(value);
    if (!number || std::abs(*number) > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(std::trunc(*number));
}

QString stringOf(const QJsonValue &value)
{
    return value.isString() ? value.toString() : QString();
}

bool isBlank(QChar character)
{
    return character == u'\t' || character.category() == QChar::Separator_Space;
}

} // namespace

NowPlayingModel::NowPlayingModel(Scheduler &scheduler, Workspace &workspace, WindowServer &windowServer, BackgroundRunner runner)
    : m_scheduler(scheduler)
    , m_workspace(workspace)
    , m_windowServer(windowServer)
    , m_runner(runnerOrGlobalThreadPool(std::move(runner)))
    , m_snapshotDate(scheduler.monotonicNow())
    , m_idleWork(scheduler)
    , m_self(std::make_shared<NowPlayingModel *>(this))
{
}

NowPlayingModel::~NowPlayingModel() = default;

std::optional<QStringList> NowPlayingModel::sourceFilter(MediaSource source)
{
    switch (source) {
    case MediaSource::any:
        return std::nullopt;
    case MediaSource::spotify:
        return ApplicationIdentifiers::desktopIdentifiers(QStringLiteral("com.spotify.client"));
    case MediaSource::music:
        return ApplicationIdentifiers::desktopIdentifiers(QStringLiteral("com.apple.Music"));
    }
    return std::nullopt;
}

void NowPlayingModel::start(const MediaBridgeProcess::Files &files)
{
    // The window server outlives the model only in tests.
    m_windowServer.observeActivation([model = std::weak_ptr<NowPlayingModel *>(m_self)] {
        if (const auto self = model.lock())
            (*self)->updateFrontmost();
    });
    m_bridge = std::make_unique<MediaBridgeProcess>(m_scheduler, [this](const QJsonObject &message) { handle(message); }, files);
    m_bridge->start();
}

void NowPlayingModel::handle(const QJsonObject &message)
{
    if (stringOf(message.value(u"type")) != u"state")
        return;
    const MonotonicTime now = m_scheduler.monotonicNow();

    bool playing = finiteNumber(message.value(u"playing")).value_or(0) != 0;
    if (m_pendingPlayState) {
        if (now < m_pendingPlayState->until && playing != m_pendingPlayState->value)
            playing = m_pendingPlayState->value;
        else
            m_pendingPlayState.reset();
    }

    m_title = stringOf(message.value(u"title"));
    m_artist = stringOf(message.value(u"artist"));
    m_album = stringOf(message.value(u"album"));
    const double duration = finiteNumber(message.value(u"duration")).value_or(0);
    m_duration = duration > 0 ? duration : 0;
    const double rate = finiteNumber(message.value(u"rate")).value_or(1);
    m_rate = rate != 0 ? rate : 1;

    if (const std::optional<double> elapsed = finiteNumber(message.value(u"elapsed"))) {
        // The bridge stamps the position with the wall clock; held on the
        // monotonic clock, it keeps moving steadily when the wall clock steps.
        const std::optional<double> timestamp = finiteNumber(message.value(u"timestamp"));
        const std::optional<QDateTime> date = timestamp ? EpochTime::fromSeconds(*timestamp) : std::nullopt;
        const MonotonicTime stamp = date ? m_scheduler.monotonicAt(*date) : now;
        // A pause report that is not newer than the position we hold
        // describes the past: keep the position where it visibly is. Before
        // any position is known there is nothing for it to be older than.
        if (!playing && m_hasSnapshot && m_snapshotDate.value().secondsTo(stamp) <= staleReportWindow) {
            if (m_isPlaying) {
                m_elapsedSnapshot = NowPlayingModel::elapsed(now);
                m_snapshotDate = now;
            }
        } else {
            m_elapsedSnapshot = *elapsed;
            m_snapshotDate = stamp;
            m_hasSnapshot = true;
        }
    }

    m_isPlaying = playing;
    m_shuffleMode = integerOf(message.value(u"shuffle"));
    m_repeatMode = integerOf(message.value(u"repeat"));

    const std::optional<double> pid = finiteNumber(message.value(u"pid"));
    if (pid && *pid >= 1 && *pid <= std::numeric_limits<qint32>::max()) {
        if (const auto application = m_workspace.runningApplication(static_cast<qint64>(*pid))) {
            m_bundleIdentifier = application->bundleIdentifier.isEmpty() ? std::nullopt : std::optional(application->bundleIdentifier);
            m_appName = application->localizedName;
        }
    }

    updateFrontmost();

    if (message.value(u"artwork").isString()) {
        const QString artwork = message.value(u"artwork").toString();
        if (artwork.isEmpty())
            clearArtwork();
        else
            decodeArtwork(artwork);
    }

    updateActivity();
}

void NowPlayingModel::setSourceFilter(const std::optional<QStringList> &filter)
{
    if (filter == m_sourceFilter.value())
        return;
    m_sourceFilter = filter;
    updateActivity();
}

bool NowPlayingModel::hasMedia() const
{
    if (m_title.value().isEmpty())
        return false;
    const std::optional<QStringList> filter = m_sourceFilter.value();
    if (!filter)
        return true;
    const std::optional<QString> source = m_bundleIdentifier.value();
    return source && filter->contains(*source);
}

double NowPlayingModel::elapsed(MonotonicTime date) const
{
    double position = m_elapsedSnapshot.value();
    if (m_isPlaying.value())
        position += m_snapshotDate.value().secondsTo(date) * m_rate.value();
    if (position <= 0)
        position = 0;
    const double duration = m_duration.value();
    if (duration > 0)
        position = std::min(position, duration);
    return position;
}

QString NowPlayingModel::displayTitle(Extras extras) const
{
    const QString title = m_title.value();
    if (extras == Extras::keep)
        return title;
    static const QString words = QStringLiteral(
        "(feat|ft|with|remaster|remastered|live|edit|version|mix|remix|mono|stereo|deluxe|explicit|bonus|acoustic|demo|instrumental)");
    static const QRegularExpression bracketed(QStringLiteral("\\s*[\\(\\[][^\\)\\]]*\\b") + words + QStringLiteral("\\b[^\\)\\]]*[\\)\\]]"),
                                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression dashed(QStringLiteral("\\s+[-\u2013\u2014]\\s+[^-\u2013\u2014]*\\b") + words + QStringLiteral("\\b.*$"),
                                           QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString cleaned = title;
    cleaned.remove(bracketed);
    cleaned.remove(dashed);
    qsizetype start = 0;
    qsizetype end = cleaned.size();
    while (start < end && isBlank(cleaned.at(start)))
        ++start;
    while (end > start && isBlank(cleaned.at(end - 1)))
        --end;
    cleaned = cleaned.mid(start, end - start);
    return cleaned.isEmpty() ? title : cleaned;
}

void NowPlayingModel::send(const QString &command)
{
    if (m_bridge)
        m_bridge->send(command);
}

void NowPlayingModel::togglePlayPause()
{
    setPlayingOptimistically(!m_isPlaying.value());
    send(QStringLiteral("toggle"));
}

void NowPlayingModel::nextTrack()
{
    send(QStringLiteral("next"));
}

void NowPlayingModel::previousTrack()
{
    send(QStringLiteral("prev"));
}

void NowPlayingModel::seek(double seconds)
{
    m_elapsedSnapshot = seconds;
    m_snapshotDate = m_scheduler.monotonicNow();
    m_hasSnapshot = true;
    // QString::number ignores the user's locale: the bridge reads a point.
    send(QStringLiteral("seek ") + QString::number(seconds, 'f', 3));
}

void NowPlayingModel::toggleShuffle()
{
    m_shuffleMode = m_shuffleMode.value() == 0 ? 1 : 0;
    send(QStringLiteral("shuffle"));
}

void NowPlayingModel::cycleRepeat()
{
    m_repeatMode = (m_repeatMode.value() % 3 + 1) % 3;
    send(QStringLiteral("repeat"));
}

void NowPlayingModel::copyToPasteboard()
{
    if (!hasMedia())
        return;
    const QString artist = m_artist.value();
    m_workspace.setClipboardText(artist.isEmpty() ? m_title.value() : m_title.value() + QStringLiteral(" — ") + artist);
}

void NowPlayingModel::openSourceApp()
{
    const std::optional<QString> identifier = m_bundleIdentifier.value();
    if (!identifier)
        return;
    if (const std::optional<QString> url = m_workspace.urlForApplication(*identifier))
        m_workspace.openApplication(*url);
}

void NowPlayingModel::setPlayingOptimistically(bool playing)
{
    const MonotonicTime now = m_scheduler.monotonicNow();
    if (playing != m_isPlaying.value()) {
        m_elapsedSnapshot = elapsed(now);
        m_snapshotDate = now;
    }
    m_isPlaying = playing;
    m_pendingPlayState = PendingPlayState{playing, now.addMSecs(static_cast<qint64>(optimisticHold * 1000))};
    updateActivity();
}

void NowPlayingModel::updateActivity()
{
    m_idleWork.cancel();
    if (m_isPlaying.value() && hasMedia()) {
        m_isActive = true;
    } else if (m_isActive.value()) {
        m_idleWork.start(m_idleDuration.value(), [this] {
            if (!m_isPlaying.value())
                m_isActive = false;
        });
    }
}

void NowPlayingModel::updateFrontmost()
{
    const auto frontmost = m_workspace.frontmostApplication();
    const std::optional<QString> source = m_bundleIdentifier.value();
    m_sourceIsFrontmost = frontmost && !frontmost->bundleIdentifier.isEmpty() && source == frontmost->bundleIdentifier;
}

std::optional<NowPlayingModel::DecodedArtwork> NowPlayingModel::decode(const QByteArray &base64)
{
    QByteArray::FromBase64Result bytes = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes || bytes.decoded.isEmpty())
        return std::nullopt;
    QBuffer buffer(&bytes.decoded);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && std::max(size.width(), size.height()) > maximumArtworkPixels)
        reader.setScaledSize(size.scaled(maximumArtworkPixels, maximumArtworkPixels, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    // Readers that cannot tell the size up front are scaled afterwards.
    if (std::max(image.width(), image.height()) > maximumArtworkPixels)
        image = image.scaled(maximumArtworkPixels, maximumArtworkPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return DecodedArtwork{image, averageColor(image)};
}

QColor NowPlayingModel::averageColor(const QImage &image)
{
    if (image.isNull())
        return QColor(Qt::white);
    // Scaling down smoothly averages the whole image into one pixel.
    const QImage pixel =
        image.convertToFormat(QImage::Format_RGBA8888_Premultiplied).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const uchar *bytes = pixel.constBits();
    const QColor average = QColor::fromRgb(bytes[0], bytes[1], bytes[2]);
    const float saturation = average.hsvSaturationF();
    if (saturation < 0.15f)
        return QColor::fromRgbF(1, 1, 1, 0.85f);
    return QColor::fromHsvF(average.hsvHueF(), std::min(saturation * 1.1f, 0.75f), std::max(average.valueF(), 0.85f), 1);
}

void NowPlayingModel::decodeArtwork(const QString &base64)
{
    const quint64 request = ++m_artworkRequests;
    const std::weak_ptr<NowPlayingModel *> model = m_self;
    m_runner([text = base64.toLatin1(), request, model] {
        const std::optional<DecodedArtwork> artwork = decode(text);
        if (!artwork)
            return;
        // The application object lives as long as the process; the model is
        // looked up again on the main thread, where it is destroyed.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, request, artwork = *artwork] {
                if (const auto self = model.lock())
                    (*self)->publishArtwork(request, artwork);
            },
            Qt::QueuedConnection);
    });
}

void NowPlayingModel::publishArtwork(quint64 request, const DecodedArtwork &artwork)
{
    if (request <= m_appliedArtworkRequest)
        return;
    m_appliedArtworkRequest = request;
    m_artwork = artwork.image;
    m_tint = artwork.tint;
    m_artworkVersion = m_artworkVersion.value() + 1;
}

void NowPlayingModel::clearArtwork()
{
    m_appliedArtworkRequest = ++m_artworkRequests;
    m_artwork = QImage();
    m_artworkVersion = m_artworkVersion.value() + 1;
}
