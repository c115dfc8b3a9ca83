#include "Platform/Linux/PulseAudioSystem.h"

#include "Platform/Linux/PulseStreamTap.h"
#include "Platform/Linux/StreamVolumeRecord.h"
#include "Support/Log.h"
#include "Support/Scheduler.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHash>
#include <QMap>
#include <QMetaObject>
#include <QTimer>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/volume.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <variant>
#include <vector>

namespace {

struct Entry {
    AudioDevice device;
    uint32_t index = PA_INVALID_INDEX;
    pa_cvolume volume{};
};

// Both sinks and sources carry these fields under the same names.
template <typename Info>
Entry entryFrom(const Info &info)
{
    Entry entry;
    entry.index = info.index;
    entry.volume = info.volume;
    entry.device.id = QString::fromUtf8(info.name);
    entry.device.name = QString::fromUtf8(info.description ? info.description : info.name);
    entry.device.isMuted = info.mute != 0;
    entry.device.isMuteSettable = true;
    // Not clamped: a device amplified past full must not read as full.
    if (info.volume.channels > 0)
        entry.device.volume = float(pa_cvolume_max(&info.volume)) / float(PA_VOLUME_NORM);
    const char *bus = pa_proplist_gets(info.proplist, PA_PROP_DEVICE_BUS);
    entry.device.isBluetooth = bus && qstrcmp(bus, "bluetooth") == 0;
    return entry;
}

void logRefusal(pa_context *context, int success, void *)
{
    if (!success)
        qCWarning(lcAudio, "Quib: the audio server refused a change: %s", pa_strerror(pa_context_errno(context)));
}

// A stream may end just before its volume is written: no warning for that.
void noteStreamRefusal(pa_context *context, int success, void *)
{
    if (!success)
        qCDebug(lcAudio, "the audio server refused a stream volume: %s", pa_strerror(pa_context_errno(context)));
}

struct StreamEntry {
    AudioStream stream;
    // Zero channels when the stream has no volume.
    pa_cvolume volume{};
    bool isVolumeWritable = false;
};

qint64 processIdentifierOf(const pa_proplist *properties)
{
    bool isNumber = false;
    const qint64 process = QByteArray(pa_proplist_gets(properties, PA_PROP_APPLICATION_PROCESS_ID)).toLongLong(&isNumber);
    return isNumber && process > 0 && process <= std::numeric_limits<qint32>::max() ? process : 0;
}

// Sink inputs and source outputs carry these fields under the same names.
template <typename Info>
StreamEntry streamFrom(const Info &info, AudioStream::Direction direction)
{
    StreamEntry entry;
    entry.stream.index = info.index;
    entry.stream.direction = direction;
    entry.stream.processIdentifier = processIdentifierOf(info.proplist);
    entry.stream.isCorked = info.corked != 0;
    if (info.has_volume && pa_cvolume_valid(&info.volume)) {
        entry.volume = info.volume;
        entry.isVolumeWritable = info.volume_writable != 0;
        for (uint8_t channel = 0; channel < info.volume.channels; ++channel)
            entry.stream.volume.append(float(info.volume.values[channel]) / float(PA_VOLUME_NORM));
    }
    return entry;
}

// A playback stream that a tap scaled: its own volume, and what was written
// over it (own times factor).
struct ScaledStream {
    qint64 processIdentifier = 0;
    pa_cvolume own{};
    pa_cvolume written{};
    pa_volume_t factor = PA_VOLUME_NORM;
};

QList<quint32> levelsOf(const pa_cvolume &volume)
{
    return QList<quint32>(volume.values, volume.values + volume.channels);
}

pa_cvolume volumeOf(const QList<quint32> &levels)
{
    pa_cvolume volume{};
    volume.channels = uint8_t(std::min<qsizetype>(levels.size(), PA_CHANNELS_MAX));
    std::copy_n(levels.begin(), volume.channels, volume.values);
    return volume;
}

// A device of a scope, or a playback stream by its index.
struct DeviceKey {
    AudioScope scope = AudioScope::Output;
    QString id;
    bool operator==(const DeviceKey &) const = default;
};
using RequestTarget = std::variant<DeviceKey, uint32_t>;

// A request to the server that it has not answered yet: a write, or the read
// of the device's or stream's state that follows the answer to its last
// write.
struct Request {
    enum class Kind { write, confirmation };
    pa_operation *operation = nullptr;
    RequestTarget target;
    Kind kind = Kind::write;
};

} // namespace

struct PulseAudioSystem::Private {
    PulseAudioSystem *q;
    Scheduler &scheduler;
    Delay retry;
    pa_glib_mainloop *mainloop = nullptr;
    pa_context *context = nullptr;
    ConnectionState state = ConnectionState::Connecting;
    int attempts = 0;
    QHash<AudioScope, QHash<QString, Entry>> devices;
    QHash<AudioScope, QString> defaults;
    // By index, which is the server's order.
    QMap<uint32_t, StreamEntry> playback;
    QMap<uint32_t, StreamEntry> recording;
    bool isStreamsChangePosted = false;
    // Live taps, oldest first; the newest covering a process decides.
    QList<PulseStreamTap *> taps;
    QMap<uint32_t, ScaledStream> scaled;
    StreamVolumeRecord record;
    // Streams scaled before a crash or a lost connection, restored before
    // the connection reports ready.
    QList<ScaledStreamEntry> leftScaled;
    bool isRecordRead = false;
    bool isPlaybackListed = false;
    std::vector<Request> requests;
    // Requests dropped unanswered with a lost connection, counted so that a
    // wait can tell.
    int droppedRequests = 0;
    // Set while finishRequests() waits.
    std::function<void()> onRequestsFinished;

    Private(PulseAudioSystem *owner, Scheduler &scheduler, const QString &recordPath)
        : q(owner)
        , scheduler(scheduler)
        , retry(scheduler)
        , record(recordPath)
    {
    }

    void setState(ConnectionState newState)
    {
        if (state == newState)
            return;
        state = newState;
        Q_EMIT q->connectionStateChanged(state);
    }

    void connect()
    {
        ++attempts;
        context = pa_context_new(pa_glib_mainloop_get_api(mainloop), "Quib");
        pa_context_set_state_callback(context, &Private::onState, this);
        pa_context_set_subscribe_callback(context, &Private::onEvent, this);
        // A refused connection may already have been reported through the
        // state callback, which dropped the context.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 && context)
            lost();
    }

    void dropContext()
    {
        if (!context)
            return;
        for (const Request &request : requests) {
            pa_operation_set_state_callback(request.operation, nullptr, nullptr);
            pa_operation_unref(request.operation);
        }
        droppedRequests += int(requests.size());
        requests.clear();
        if (onRequestsFinished)
            onRequestsFinished();
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    // The connection failed or ended: forget the server's devices and try
    // again later, a bounded number of times.
    void lost()
    {
        const QString reason = QString::fromUtf8(pa_strerror(pa_context_errno(context)));
        dropContext();
        forgetDevices();
        forgetStreams();
        if (attempts >= maximumAttempts) {
            qCWarning(lcAudio, "Quib: no audio server (%s); microphone mute and volume are off", qPrintable(reason));
            setState(ConnectionState::Failed);
            return;
        }
        setState(ConnectionState::Connecting);
        // 1, 2, 4, 8 s after the first, second, third and fourth attempt.
        retry.start(double(1 << (attempts - 1)), [this] { connect(); });
    }

    void forgetDevices()
    {
        const auto previous = devices;
        const auto previousDefaults = defaults;
        devices.clear();
        defaults.clear();
        for (AudioScope scope : {AudioScope::Input, AudioScope::Output}) {
            for (const QString &id : previous[scope].keys())
                Q_EMIT q->deviceChanged(scope, id);
            if (!previousDefaults.value(scope).isEmpty())
                Q_EMIT q->defaultDeviceChanged(scope);
        }
    }

    QMap<uint32_t, StreamEntry> &streamsOf(AudioStream::Direction direction)
    {
        return direction == AudioStream::Direction::Playback ? playback : recording;
    }

    // One report for a burst of changes.
    void postStreamsChanged()
    {
        if (std::exchange(isStreamsChangePosted, true))
            return;
        QMetaObject::invokeMethod(
            q,
            [this] {
                isStreamsChangePosted = false;
                Q_EMIT q->streamsChanged();
            },
            Qt::QueuedConnection);
    }

    void storeStream(const StreamEntry &entry)
    {
        auto &list = streamsOf(entry.stream.direction);
        const auto it = list.constFind(entry.stream.index);
        if (it == list.constEnd() || !(it->stream == entry.stream))
            postStreamsChanged();
        list.insert(entry.stream.index, entry);
        if (entry.stream.direction == AudioStream::Direction::Playback)
            syncStream(entry.stream.index);
    }

    void removeStream(AudioStream::Direction direction, uint32_t index)
    {
        if (streamsOf(direction).remove(index) > 0)
            postStreamsChanged();
        if (direction == AudioStream::Direction::Playback && scaled.remove(index) > 0)
            saveRecord();
    }

    // The connection is gone: streams scaled on it are restored at the next
    // one if they still carry what was written (the record keeps them
    // meanwhile).
    void forgetStreams()
    {
        leftScaled.append(scaledEntries());
        scaled.clear();
        isPlaybackListed = false;
        if (!playback.isEmpty() || !recording.isEmpty()) {
            playback.clear();
            recording.clear();
            postStreamsChanged();
        }
    }

    QList<ScaledStreamEntry> scaledEntries() const
    {
        QList<ScaledStreamEntry> entries;
        for (auto it = scaled.constBegin(); it != scaled.constEnd(); ++it)
            entries.append(ScaledStreamEntry{it.key(), it->processIdentifier, levelsOf(it->written), levelsOf(it->own)});
        return entries;
    }

    // Streams left scaled stay on record until they are restored.
    void saveRecord() { record.write(scaledEntries() + leftScaled); }

    void writeStreamVolume(uint32_t index, const pa_cvolume &volume)
    {
        trackRequest(pa_context_set_sink_input_volume(context, index, &volume, &noteStreamRefusal, nullptr), index, Request::Kind::write);
    }

    // The factor of the newest tap on `process`; none when no tap changes it.
    std::optional<pa_volume_t> factorFor(qint64 process) const
    {
        for (auto it = taps.crbegin(); it != taps.crend(); ++it) {
            if ((*it)->covers(process)) {
                const pa_volume_t factor = pa_sw_volume_from_linear(double((*it)->gain()));
                return factor == PA_VOLUME_NORM ? std::nullopt : std::optional(factor);
            }
        }
        return std::nullopt;
    }

    // Brings the volume of playback stream `index` in line with the taps.
    // While a write to it is unanswered, its reported volume may predate the
    // write: it is brought in line once the server has answered.
    void syncStream(uint32_t index)
    {
        const auto stream = playback.constFind(index);
        if (state != ConnectionState::Ready || stream == playback.constEnd() || isPending(index))
            return;
        const std::optional<pa_volume_t> factor = factorFor(stream->stream.processIdentifier);
        const auto found = scaled.constFind(index);
        if (found == scaled.constEnd() && (!factor || !stream->isVolumeWritable))
            return;
        if (!stream->isVolumeWritable) {
            scaled.remove(index);
            saveRecord();
            return;
        }
        ScaledStream entry = found != scaled.constEnd() ? *found : ScaledStream{stream->stream.processIdentifier, stream->volume, stream->volume, PA_VOLUME_NORM};
        if (!pa_cvolume_equal(&stream->volume, &entry.written)) {
            // Another program set the volume: the user's change is kept, as
            // the stream's own volume under the gain (a silenced stream has
            // no factor to divide by).
            if (entry.factor == PA_VOLUME_MUTED)
                entry.own = stream->volume;
            else
                pa_sw_cvolume_divide_scalar(&entry.own, &stream->volume, entry.factor);
            entry.written = stream->volume;
        }
        if (!factor) {
            writeStreamVolume(index, entry.own);
            scaled.remove(index);
            saveRecord();
            return;
        }
        if (*factor != entry.factor || entry.factor == PA_VOLUME_MUTED) {
            entry.factor = *factor;
            pa_sw_cvolume_multiply_scalar(&entry.written, &entry.own, *factor);
        }
        if (!pa_cvolume_equal(&stream->volume, &entry.written))
            writeStreamVolume(index, entry.written);
        const bool isRecordChanged = found == scaled.constEnd() || !pa_cvolume_equal(&found->written, &entry.written)
            || !pa_cvolume_equal(&found->own, &entry.own);
        scaled.insert(index, entry);
        if (isRecordChanged)
            saveRecord();
    }

    void syncStreamsOf(const PulseStreamTap *tap)
    {
        for (auto it = playback.constBegin(); it != playback.constEnd(); ++it) {
            if (tap->covers(it->stream.processIdentifier))
                syncStream(it.key());
        }
    }

    // Streams left scaled get their own volume back when they still carry
    // exactly what was written; one changed since is left alone.
    void restoreLeftovers()
    {
        int restored = 0;
        for (const ScaledStreamEntry &entry : std::exchange(leftScaled, {})) {
            const auto stream = playback.constFind(entry.index);
            const pa_cvolume written = volumeOf(entry.written);
            if (stream == playback.constEnd() || stream->stream.processIdentifier != entry.processIdentifier || !stream->isVolumeWritable
                || !pa_cvolume_equal(&stream->volume, &written))
                continue;
            writeStreamVolume(entry.index, volumeOf(entry.own));
            ++restored;
        }
        if (restored > 0)
            qCInfo(lcAudio, "Quib: gave %d streams back the volume they had before Quib changed it", restored);
        saveRecord();
    }

    // Ready once connected, the record read and the playback streams
    // listed: what a crash left scaled is restored before taps can be made.
    void becomeReadyWhenDone()
    {
        if (state == ConnectionState::Ready || !context || pa_context_get_state(context) != PA_CONTEXT_READY || !isRecordRead || !isPlaybackListed)
            return;
        restoreLeftovers();
        setState(ConnectionState::Ready);
        for (uint32_t index : playback.keys())
            syncStream(index);
    }

    void track(pa_operation *operation)
    {
        if (operation)
            pa_operation_unref(operation);
    }

    // Keeps `operation` until the server has answered it.
    void trackRequest(pa_operation *operation, const RequestTarget &target, Request::Kind kind)
    {
        if (!operation)
            return;
        requests.push_back(Request{operation, target, kind});
        pa_operation_set_state_callback(operation, &Private::onRequestState, this);
    }

    bool isPending(const RequestTarget &target) const
    {
        return std::any_of(requests.begin(), requests.end(), [&](const Request &request) { return request.target == target; });
    }

    // Called after the operation's own callback: the answer to a write, or
    // the confirming read, has been handled.
    static void onRequestState(pa_operation *operation, void *userdata)
    {
        auto *d = static_cast<Private *>(userdata);
        const pa_operation_state_t state = pa_operation_get_state(operation);
        if (state == PA_OPERATION_RUNNING)
            return;
        const auto it = std::find_if(d->requests.begin(), d->requests.end(), [&](const Request &request) { return request.operation == operation; });
        if (it == d->requests.end())
            return;
        const Request done = *it;
        d->requests.erase(it);
        pa_operation_set_state_callback(operation, nullptr, nullptr);
        pa_operation_unref(operation);
        d->settle(done, state == PA_OPERATION_DONE);
    }

    void settle(const Request &done, bool answered)
    {
        if (!isPending(done.target)) {
            // Change events and their reads may have crossed the writes: one
            // more read, sent after every answer, gives the state after them.
            if (done.kind == Request::Kind::write && answered && context)
                trackRequest(confirmingRead(done.target), done.target, Request::Kind::confirmation);
            if (!isPending(done.target))
                settled(done.target);
        }
        if (requests.empty() && onRequestsFinished)
            onRequestsFinished();
    }

    pa_operation *confirmingRead(const RequestTarget &target)
    {
        if (const auto *device = std::get_if<DeviceKey>(&target)) {
            const QByteArray name = device->id.toUtf8();
            return device->scope == AudioScope::Output ? pa_context_get_sink_info_by_name(context, name.constData(), &Private::onSink, this)
                                                       : pa_context_get_source_info_by_name(context, name.constData(), &Private::onSource, this);
        }
        return pa_context_get_sink_input_info(context, std::get<uint32_t>(target), &Private::onSinkInput, this);
    }

    // A device reports that its writes are settled; a stream is brought in
    // line with the taps that changed meanwhile (which may write again).
    void settled(const RequestTarget &target)
    {
        if (const auto *device = std::get_if<DeviceKey>(&target))
            Q_EMIT q->deviceChanged(device->scope, device->id);
        else
            syncStream(std::get<uint32_t>(target));
    }

    void store(AudioScope scope, const Entry &entry)
    {
        Entry &stored = devices[scope][entry.device.id];
        const bool changed = !(stored.device == entry.device);
        stored = entry;
        if (changed)
            Q_EMIT q->deviceChanged(scope, entry.device.id);
    }

    void remove(AudioScope scope, uint32_t index)
    {
        auto &list = devices[scope];
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->index == index) {
                const QString id = it.key();
                list.erase(it);
                Q_EMIT q->deviceChanged(scope, id);
                return;
            }
        }
    }

    static void onState(pa_context *context, void *userdata)
    {
        auto *d = static_cast<Private *>(userdata);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            // The ready connection is the first attempt of the series that
            // follows its loss.
            d->attempts = 1;
            d->track(pa_context_subscribe(context,
                                          pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER
                                                                 | PA_SUBSCRIPTION_MASK_SINK_INPUT | PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT),
                                          nullptr, nullptr));
            d->track(pa_context_get_sink_info_list(context, &Private::onSink, d));
            d->track(pa_context_get_source_info_list(context, &Private::onSource, d));
            d->track(pa_context_get_server_info(context, &Private::onServer, d));
            d->track(pa_context_get_sink_input_info_list(context, &Private::onSinkInputList, d));
            d->track(pa_context_get_source_output_info_list(context, &Private::onSourceOutput, d));
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            d->lost();
            break;
        default:
            break;
        }
    }

    static void onEvent(pa_context *context, pa_subscription_event_type_t type, uint32_t index, void *userdata)
    {
        auto *d = static_cast<Private *>(userdata);
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const bool removed = (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            d->track(pa_context_get_server_info(context, &Private::onServer, d));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
            if (removed)
                d->remove(AudioScope::Output, index);
            else
                d->track(pa_context_get_sink_info_by_index(context, index, &Private::onSink, d));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
            if (removed)
                d->remove(AudioScope::Input, index);
            else
                d->track(pa_context_get_source_info_by_index(context, index, &Private::onSource, d));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT) {
            if (removed)
                d->removeStream(AudioStream::Direction::Playback, index);
            else
                d->track(pa_context_get_sink_input_info(context, index, &Private::onSinkInput, d));
        } else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT) {
            if (removed)
                d->removeStream(AudioStream::Direction::Recording, index);
            else
                d->track(pa_context_get_source_output_info(context, index, &Private::onSourceOutput, d));
        }
    }

    // A stream may be gone by the time its answer is due: eol < 0 then; its
    // removal event follows.
    static void onSinkInput(pa_context *, const pa_sink_input_info *info, int eol, void *userdata)
    {
        if (eol == 0 && info)
            static_cast<Private *>(userdata)->storeStream(streamFrom(*info, AudioStream::Direction::Playback));
    }

    static void onSinkInputList(pa_context *context, const pa_sink_input_info *info, int eol, void *userdata)
    {
        auto *d = static_cast<Private *>(userdata);
        if (eol == 0) {
            onSinkInput(context, info, eol, userdata);
            return;
        }
        d->isPlaybackListed = true;
        d->becomeReadyWhenDone();
    }

    static void onSourceOutput(pa_context *, const pa_source_output_info *info, int eol, void *userdata)
    {
        if (eol == 0 && info)
            static_cast<Private *>(userdata)->storeStream(streamFrom(*info, AudioStream::Direction::Recording));
    }

    // A device may be gone by the time its answer is due: eol < 0 then.
    static void onSink(pa_context *, const pa_sink_info *info, int eol, void *userdata)
    {
        if (eol == 0 && info)
            static_cast<Private *>(userdata)->store(AudioScope::Output, entryFrom(*info));
    }

    static void onSource(pa_context *, const pa_source_info *info, int eol, void *userdata)
    {
        if (eol == 0 && info)
            static_cast<Private *>(userdata)->store(AudioScope::Input, entryFrom(*info));
    }

    static void onServer(pa_context *, const pa_server_info *info, void *userdata)
    {
        auto *d = static_cast<Private *>(userdata);
        if (!info)
            return;
        const std::pair<AudioScope, const char *> names[] = {{AudioScope::Input, info->default_source_name},
                                                             {AudioScope::Output, info->default_sink_name}};
        for (const auto &[scope, name] : names) {
            const QString id = QString::fromUtf8(name);
            if (d->defaults.value(scope) != id) {
                d->defaults[scope] = id;
                Q_EMIT d->q->defaultDeviceChanged(scope);
            }
        }
    }

    const Entry *find(AudioScope scope, const QString &id) const
    {
        const auto &list = devices[scope];
        const auto it = list.constFind(id);
        return it == list.constEnd() ? nullptr : &*it;
    }
};

PulseAudioSystem::PulseAudioSystem(Scheduler &scheduler, const QString &recordPath)
    : d(std::make_unique<Private>(this, scheduler, recordPath))
{
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !QByteArray(dispatcher->metaObject()->className()).contains("Glib")) {
        qCWarning(lcAudio, "Quib: the event loop does not run on GLib; microphone mute and volume are off");
        d->state = ConnectionState::Failed;
        return;
    }
    d->mainloop = pa_glib_mainloop_new(nullptr);
    d->record.read(this, [this](const QList<ScaledStreamEntry> &entries) {
        d->leftScaled.append(entries);
        d->isRecordRead = true;
        d->becomeReadyWhenDone();
    });
    d->connect();
}

PulseAudioSystem::~PulseAudioSystem()
{
    d->dropContext();
    if (d->mainloop)
        pa_glib_mainloop_free(d->mainloop);
}

AudioSystem::ConnectionState PulseAudioSystem::connectionState() const
{
    return d->state;
}

QString PulseAudioSystem::defaultDevice(AudioScope scope) const
{
    return d->defaults.value(scope);
}

std::optional<AudioDevice> PulseAudioSystem::device(AudioScope scope, const QString &id) const
{
    const Entry *entry = d->find(scope, id);
    return entry ? std::optional<AudioDevice>(entry->device) : std::nullopt;
}

bool PulseAudioSystem::setMuted(AudioScope scope, const QString &id, bool muted)
{
    if (d->state != ConnectionState::Ready || !d->find(scope, id))
        return false;
    const QByteArray name = id.toUtf8();
    d->trackRequest(scope == AudioScope::Output ? pa_context_set_sink_mute_by_name(d->context, name.constData(), muted, &logRefusal, nullptr)
                                                : pa_context_set_source_mute_by_name(d->context, name.constData(), muted, &logRefusal, nullptr),
                    DeviceKey{scope, id}, Request::Kind::write);
    return true;
}

bool PulseAudioSystem::setVolume(AudioScope scope, const QString &id, float volume)
{
    const Entry *entry = d->find(scope, id);
    if (d->state != ConnectionState::Ready || !entry || entry->volume.channels == 0 || std::isnan(volume))
        return false;
    const pa_volume_t target = pa_volume_t(std::clamp(volume, 0.0f, 1.0f) * float(PA_VOLUME_NORM) + 0.5f);
    pa_cvolume levels = entry->volume;
    // Scaling keeps the balance between channels; a silent device has none.
    if (pa_cvolume_max(&levels) == PA_VOLUME_MUTED)
        pa_cvolume_set(&levels, levels.channels, target);
    else
        pa_cvolume_scale(&levels, target);
    const QByteArray name = id.toUtf8();
    d->trackRequest(scope == AudioScope::Output ? pa_context_set_sink_volume_by_name(d->context, name.constData(), &levels, &logRefusal, nullptr)
                                                : pa_context_set_source_volume_by_name(d->context, name.constData(), &levels, &logRefusal, nullptr),
                    DeviceKey{scope, id}, Request::Kind::write);
    return true;
}

bool PulseAudioSystem::hasPendingRequests(AudioScope scope, const QString &id) const
{
    return d->isPending(DeviceKey{scope, id});
}

bool PulseAudioSystem::finishRequests(std::chrono::milliseconds timeout)
{
    const int dropped = d->droppedRequests;
    if (!d->requests.empty()) {
        // libpulse answers through the event loop; QTimer runs on the
        // monotonic clock.
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        d->onRequestsFinished = [&loop] { loop.quit(); };
        deadline.start(timeout);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        d->onRequestsFinished = nullptr;
    }
    return d->requests.empty() && d->droppedRequests == dropped;
}

QList<AudioStream> PulseAudioSystem::streams() const
{
    QList<AudioStream> list;
    if (d->state != ConnectionState::Ready)
        return list;
    for (const StreamEntry &entry : d->playback)
        list.append(entry.stream);
    for (const StreamEntry &entry : d->recording)
        list.append(entry.stream);
    return list;
}

std::unique_ptr<AudioTap> PulseAudioSystem::createTap(const AudioTapDescription &description)
{
    if (d->state != ConnectionState::Ready)
        return nullptr;
    return std::make_unique<PulseStreamTap>(*this, description.processObjects, description.gain);
}

void PulseAudioSystem::tapStarted(PulseStreamTap *tap)
{
    d->taps.append(tap);
    d->syncStreamsOf(tap);
}

void PulseAudioSystem::tapChanged(PulseStreamTap *tap)
{
    d->syncStreamsOf(tap);
}

void PulseAudioSystem::tapEnded(PulseStreamTap *tap)
{
    d->taps.removeOne(tap);
    d->syncStreamsOf(tap);
}
