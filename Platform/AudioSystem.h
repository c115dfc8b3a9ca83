#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

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

Q_SIGNALS:
    void connectionStateChanged(AudioSystem::ConnectionState state);
    // Another device became the default of `scope` (or the last one went away).
    void defaultDeviceChanged(AudioScope scope);
    // The mute switch, volume or name of a device changed.
    void deviceChanged(AudioScope scope, const QString &id);
};
