#pragma once

#include <QBindable>
#include <QMetaObject>
#include <QProperty>
#include <QString>

#include <optional>

class AudioSystem;

// The volume and mute switch of the default output device, its name and
// whether it is a Bluetooth device. Each user owns an instance; none follows the default
// device by itself: refreshDevice() does. What this object wrote stands until
// the server has answered it: reports that may predate the writes do not
// undo them, so quick steps build on each other. Main thread only.
class SystemVolume {
public:
    // Smaller changes reported by the device are noise.
    static constexpr float threshold = 0.001f;

    explicit SystemVolume(AudioSystem &audio);
    ~SystemVolume();
    SystemVolume(const SystemVolume &) = delete;
    SystemVolume &operator=(const SystemVolume &) = delete;

    // The last known volume, 0...1; 0.5 until a device was read. A device
    // amplified past full reads 1.
    float volume() const { return m_volume.value(); }
    QBindable<float> bindableVolume() { return &m_volume; }
    // Whether the last read of the volume succeeded.
    bool isAvailable() const { return m_isAvailable.value(); }
    QBindable<bool> bindableIsAvailable() { return &m_isAvailable; }
    // The device's mute switch; false when it has none or there is no device.
    bool isMuted() const { return m_isMuted.value(); }
    QBindable<bool> bindableIsMuted() { return &m_isMuted; }
    // Whether the device plays louder than full (another mixer can set
    // 130 %).
    bool isAboveFull() const { return m_isAboveFull; }
    // The output device this object is bound to; empty when none.
    QString device() const { return m_device; }
    bool isObserving() const { return bool(m_listener); }

    // Binds to the default output device, reads its volume and follows its
    // changes.
    void startObserving();
    void stopObserving();
    // Follows a change of the default output device, keeping the observing
    // state, and reads the volume again.
    void refreshDevice();
    // Clamps to 0...1, shows the value at once and writes it to the device.
    // A value that is not a number changes nothing.
    void set(float volume);
    // Shows the switch at once and writes it to the device; false (and no
    // change) when there is no device or it has no settable switch.
    bool setMuted(bool muted);

    bool isBluetooth() const;
    std::optional<QString> deviceName() const;

    // The symbol for a headphone device with that name.
    static QString symbolForDeviceNamed(const QString &name);

private:
    void refresh();

    AudioSystem &m_audio;
    QProperty<float> m_volume{0.5f};
    QProperty<bool> m_isAvailable{false};
    QProperty<bool> m_isMuted{false};
    bool m_isAboveFull = false;
    // Writes of this object that the server has not answered yet.
    bool m_awaitsEcho = false;
    QString m_device;
    QMetaObject::Connection m_listener;
};
