#pragma once

#include <QObject>
#include <QString>

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
    // Level 0...1 as volume sliders show it; none when the device has no
    // readable volume.
    std::optional<float> volume;
    bool isBluetooth = false;

    bool operator==(const AudioDevice &) const = default;
};

// The system's default microphone and speakers: mute switches, volumes, names,
// and the events that say when any of them changed. All of it on the main
// thread. Writes are requests: the device's new state arrives afterwards with
// deviceChanged(), as the server reports it.
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

Q_SIGNALS:
    void connectionStateChanged(AudioSystem::ConnectionState state);
    // Another device became the default of `scope` (or the last one went away).
    void defaultDeviceChanged(AudioScope scope);
    // The mute switch, volume or name of a device changed.
    void deviceChanged(AudioScope scope, const QString &id);
};
