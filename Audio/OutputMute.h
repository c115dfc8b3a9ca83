#pragma once

#include <QBindable>
#include <QMetaObject>
#include <QProperty>
#include <QString>

class AudioSystem;

// Whether the sound output is muted: the default output device's mute switch
// is on or its volume is at zero. It only reads, and follows the default
// output device by itself. Main thread only.
class OutputMute {
public:
    static constexpr float silentVolume = 0.001f;

    explicit OutputMute(AudioSystem &audio);
    ~OutputMute();
    OutputMute(const OutputMute &) = delete;
    OutputMute &operator=(const OutputMute &) = delete;

    bool isMuted() const { return m_isMuted.value(); }
    // Writable for a demonstration; the device's next change reads it again.
    QBindable<bool> bindableIsMuted() { return &m_isMuted; }

private:
    void attach();
    void read();

    AudioSystem &m_audio;
    QProperty<bool> m_isMuted{false};
    // The output device being watched; empty when none.
    QString m_device;
    QMetaObject::Connection m_deviceListener;
    QMetaObject::Connection m_muteListener;
};
