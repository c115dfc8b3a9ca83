#pragma once

#include "Platform/KeyCapture.h"

#include <QList>

#include <functional>

// The keys of interest.
enum class MediaKey { volumeUp, volumeDown, mute, brightnessUp, brightnessDown };

// Captures the keyboard's volume, mute and brightness keys before the
// desktop acts on them, whatever modifiers are held. Each press goes to
// `handler`; a press it takes (and its release) is kept from everyone else,
// one it declines goes on to where it would have gone. Main thread only.
class MediaKeyMonitor {
public:
    // True: the key was handled and is swallowed.
    using Handler = std::function<bool(MediaKey key, Qt::KeyboardModifiers modifiers)>;

    explicit MediaKeyMonitor(KeyCapture &keys);
    ~MediaKeyMonitor();
    MediaKeyMonitor(const MediaKeyMonitor &) = delete;
    MediaKeyMonitor &operator=(const MediaKeyMonitor &) = delete;

    // Set by the owner before start(). Declines everything at first.
    Handler handler = [](MediaKey, Qt::KeyboardModifiers) { return false; };

    // Takes all five keys; true when they are taken (also when they already
    // were). When any of them cannot be taken (another program holds it, no
    // display) none is kept and the result is false.
    bool start();
    bool isStarted() const { return !m_grabs.isEmpty(); }

    // The key each MediaKey is captured as.
    static Qt::Key qtKey(MediaKey key);

private:
    KeyCapture &m_keys;
    QList<KeyCapture::Grab> m_grabs;
};
