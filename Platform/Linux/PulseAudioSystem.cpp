#include "Platform/Linux/PulseAudioSystem.h"

#include "Support/Log.h"
#include "Support/Scheduler.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHash>
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

// A request to the server that it has not answered yet: a write, or the read
// of the device's state that follows the answer to its last write.
struct Request {
    enum class Kind { write, confirmation };
    pa_operation *operation = nullptr;
    AudioScope scope = AudioScope::Output;
    QString id;
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
    std::vector<Request> requests;
    // Requests dropped unanswered with a lost connection, counted so that a
    // wait can tell.
    int droppedRequests = 0;
    // Set while finishRequests() waits.
    std::function<void()> onRequestsFinished;

    Private(PulseAudioSystem *owner, Scheduler &scheduler)
        : q(owner)
        , scheduler(scheduler)
        , retry(scheduler)
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

    void track(pa_operation *operation)
    {
        if (operation)
            pa_operation_unref(operation);
    }

    // Keeps `operation` until the server has answered it.
    void trackRequest(pa_operation *operation, AudioScope scope, const QString &id, Request::Kind kind)
    {
        if (!operation)
            return;
        requests.push_back(Request{operation, scope, id, kind});
        pa_operation_set_state_callback(operation, &Private::onRequestState, this);
    }

    bool isPending(AudioScope scope, const QString &id) const
    {
        return std::any_of(requests.begin(), requests.end(), [&](const Request &request) { return request.scope == scope && request.id == id; });
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
        if (!isPending(done.scope, done.id)) {
            // Change events and their reads may have crossed the writes: one
            // more read, sent after every answer, gives the state after them.
            if (done.kind == Request::Kind::write && answered && context) {
                const QByteArray name = done.id.toUtf8();
                trackRequest(done.scope == AudioScope::Output ? pa_context_get_sink_info_by_name(context, name.constData(), &Private::onSink, this)
                                                              : pa_context_get_source_info_by_name(context, name.constData(), &Private::onSource, this),
                             done.scope, done.id, Request::Kind::confirmation);
            }
            if (!isPending(done.scope, done.id))
                Q_EMIT q->deviceChanged(done.scope, done.id);
        }
        if (requests.empty() && onRequestsFinished)
            onRequestsFinished();
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
            d->setState(ConnectionState::Ready);
            d->track(pa_context_subscribe(context, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER), nullptr, nullptr));
            d->track(pa_context_get_sink_info_list(context, &Private::onSink, d));
            d->track(pa_context_get_source_info_list(context, &Private::onSource, d));
            d->track(pa_context_get_server_info(context, &Private::onServer, d));
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
        }
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

PulseAudioSystem::PulseAudioSystem(Scheduler &scheduler)
    : d(std::make_unique<Private>(this, scheduler))
{
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !QByteArray(dispatcher->metaObject()->className()).contains("Glib")) {
        qCWarning(lcAudio, "Quib: the event loop does not run on GLib; microphone mute and volume are off");
        d->state = ConnectionState::Failed;
        return;
    }
    d->mainloop = pa_glib_mainloop_new(nullptr);
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
                    scope, id, Request::Kind::write);
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
                    scope, id, Request::Kind::write);
    return true;
}

bool PulseAudioSystem::hasPendingRequests(AudioScope scope, const QString &id) const
{
    return d->isPending(scope, id);
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

// SCAFFOLD (replaced by the stream side): no streams, no taps.
QList<AudioStream> PulseAudioSystem::streams() const
{
    return {};
}

std::unique_ptr<AudioTap> PulseAudioSystem::createTap(const AudioTapDescription &)
{
    return nullptr;
}
