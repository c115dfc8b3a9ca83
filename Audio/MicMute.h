#pragma once

#include "Platform/KeyCapture.h"

#include <QBindable>
#include <QMetaObject>
#include <QProperty>
#include <QString>

#include <functional>
#include <optional>

class AudioSystem;

// Mutes and unmutes the default microphone for the whole system: through its
// mute switch when it has a settable one, else by taking its volume to 0 and
// restoring the level afterwards. While muted it follows the default
// microphone: a newly chosen one is muted, the old one gets its sound back.
// Main thread only.
class MicMute {
public:
    // Control+Alt+M.
    static const KeyCombination hotKeyCombination;
    // The level a microphone muted at volume 0 gets back.
    static constexpr float restoredVolume = 0.75f;

    MicMute(AudioSystem &audio, KeyCapture &keys);
    ~MicMute();
    MicMute(const MicMute &) = delete;
    MicMute &operator=(const MicMute &) = delete;

    // Whether this object holds the microphone muted.
    bool isMuted() const { return m_isMuted.value(); }
    QBindable<bool> bindableIsMuted() { return &m_isMuted; }

    // Called after every toggle() with the new isMuted, also when nothing
    // could change.
    std::function<void(bool muted)> onToggle;

    // Without a default microphone nothing changes. A microphone that cannot
    // be muted leaves isMuted false.
    void setMuted(bool muted);
    void toggle();

    // Captures Control+Alt+M for toggle(); once while held. When another
    // program holds the key, hotKey() stays none.
    void registerHotKey();
    void unregisterHotKey();
    std::optional<KeyCapture::Grab> hotKey() const { return m_hotKey; }

private:
    bool apply(bool muted, const QString &device);
    void unmuteSwitch(const QString &device);
    void moveMuteTo(const QString &device);

    AudioSystem &m_audio;
    KeyCapture &m_keys;
    QProperty<bool> m_isMuted{false};
    std::optional<KeyCapture::Grab> m_hotKey;
    // One level for the object, not one per microphone: only one is ever
    // muted by volume at a time.
    std::optional<float> m_savedVolume;
    // The microphone this object muted; empty when none.
    QString m_mutedDevice;
    QMetaObject::Connection m_inputListener;
};
