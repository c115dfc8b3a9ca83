#pragma once

#include <QObject>
#include <QString>

#include <QList>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>

// The two sides of the sound system: microphones and speakers.
enum class AudioScope { Input, Output };

// One input or output device as the sound server last reported it.
struct AudioDevice {
    // Stable within its scope (a device keeps it across reconnections).
    QString id;
    // What a user reads in a device list.
    QString name;
    // The mute switch; none when the device has no readable one.
    std::optional<bool> isMuted;
    bool isMuteSettable = false;
    // Level as volume sliders show it, 1 being the device's full level; a
    // server may amplify past it (another mixer can set 130 %). None when the
    // device has no readable volume.
    std::optional<float> volume;
    bool isBluetooth = false;

    bool operator==(const AudioDevice &) const = default;
};

// An audio client process of the sound server. On this system it is the
// process id of a client that has streams.
using AudioObjectID = quint32;

// A playback or recording stream of a client of the sound server.
struct AudioStream {
    enum class Direction { Playback, Recording };

    // Unique among the live streams of its direction.
    quint32 index = 0;
    Direction direction = Direction::Playback;
    // The client's process; 0 when the server does not know it.
    qint64 processIdentifier = 0;
    // A corked stream is paused: it plays or records nothing.
    bool isCorked = false;
    // One level per channel on the device scale (1 is the stream's full
    // level); empty when the stream has no volume.
    QList<float> volume;

    bool operator==(const AudioStream &) const = default;
};

// One buffer of interleaved 32-bit float samples of `numberChannels`
// channels; `dataByteSize` bytes at `data`, which may be null.
struct AudioBuffer {
    quint32 numberChannels = 0;
    quint32 dataByteSize = 0;
    float *data = nullptr;
};

// One render cycle of a tap: the tapped mix in, what is played out.
using AudioRenderBlock = std::function<void(std::span<const AudioBuffer> input, std::span<const AudioBuffer> output)>;

// What a tap is asked to do: play the sound of `processObjects` at a gain
// on `outputDevice`. `tapUUID` and `deviceUID` name the tap and its device
// uniquely; `render` is called once per cycle by a backend that renders the
// tapped mix itself (one that scales the streams at the server never calls
// it).
struct AudioTapDescription {
    QString name;
    QUuid tapUUID;
    QString deviceUID;
    QList<AudioObjectID> processObjects;
    QString outputDevice;
    float gain = 1.0f;
    AudioRenderBlock render;
};

// A live tap: the processes it was made for play at its gain, including the
// playback streams they open later. Destroying it puts every stream it
// changed back as it was.
class AudioTap {
public:
    virtual ~AudioTap() = default;
    // The gain is now `gain`, 0...1.
    virtual void setGain(float gain) = 0;
};

// The system's default microphone and speakers: mute switches, volumes, names,
// and the events that say when any of them changed. All of it on the main
// thread. Writes are requests: the device's new state arrives afterwards with
// deviceChanged(), as the server reports it; until the server has answered
// them, the device may still report its state from before.
class AudioSystem : public QObject {
    Q_OBJECT
public:
    enum class ConnectionState { Connecting, Ready, Failed };

    using QObject::QObject;

    virtual ConnectionState connectionState() const = 0;

    // The id of the default device of `scope`; empty when there is none (also
    // while not connected).
    virtual QString defaultDevice(AudioScope scope) const = 0;
    virtual std::optional<AudioDevice> device(AudioScope scope, const QString &id) const = 0;

    // Each returns false when the request could not be made: unknown device,
    // no settable switch or volume, not connected, a volume that is not a
    // number. Volumes out of 0...1 are clamped.
    virtual bool setMuted(AudioScope scope, const QString &id, bool muted) = 0;
    virtual bool setVolume(AudioScope scope, const QString &id, float volume) = 0;

    // Whether writes to the device are still waiting for the server's answer
    // and its report of the device's state after them. Once none is, a
    // deviceChanged() says so, even when nothing changed.
    virtual bool hasPendingRequests(AudioScope scope, const QString &id) const = 0;
    // Waits, at most `timeout`, until the server has answered every write
    // made so far, running the event loop meanwhile. True when it has (or
    // there was none). For the quit sequence: a request still travelling when
    // the process ends is lost.
    virtual bool finishRequests(std::chrono::milliseconds timeout) = 0;

    // Every stream of every client: playback streams, then recording
    // streams, each in the server's order. Empty while not connected.
    virtual QList<AudioStream> streams() const = 0;
    // A tap as described; none when the server cannot make one (not
    // connected, or it refused).
    virtual std::unique_ptr<AudioTap> createTap(const AudioTapDescription &description) = 0;

Q_SIGNALS:
    void connectionStateChanged(AudioSystem::ConnectionState state);
    // Another device became the default of `scope` (or the last one went away).
    void defaultDeviceChanged(AudioScope scope);
    // The mute switch, volume or name of a device changed.
    void deviceChanged(AudioScope scope, const QString &id);
    // A stream appeared or went away, or one was corked, uncorked or changed
    // volume.
    void streamsChanged();
};
