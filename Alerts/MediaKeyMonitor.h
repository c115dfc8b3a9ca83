#pragma once

#include "Platform/KeyCapture.h"

#include <QList>

#include <array>
#include <atomic>
#include <functional>

// The keys of interest.
enum class MediaKey { volumeUp, volumeDown, mute, brightnessUp, brightnessDown };

// The keys taken and given back together: volume (raise, lower, mute) and
// brightness (up, down).
enum class MediaKeyGroup { volume, brightness };

// Captures the keyboard's volume, mute and brightness keys before the
// desktop acts on them, whatever modifiers are held, as two groups that are
// taken and given back on their own. Whether a press is taken is decided at
// once from what the owner last said with setTaking(), without waiting for
// the main thread; a taken press (and its release) is kept from everyone
// else, a declined one goes on to where it would have gone. Each press then
// reaches `handler` on the main thread. Main thread only.
class MediaKeyMonitor {
public:
    // `handling` says whether the press was taken, to be acted on, or went on.
    using Handler = std::function<void(MediaKey key, Qt::KeyboardModifiers modifiers, KeyHandling handling)>;

    explicit MediaKeyMonitor(KeyCapture &keys);
    ~MediaKeyMonitor();
    MediaKeyMonitor(const MediaKeyMonitor &) = delete;
    MediaKeyMonitor &operator=(const MediaKeyMonitor &) = delete;

    // Set by the owner before start().
    Handler handler = [](MediaKey, Qt::KeyboardModifiers, KeyHandling) {};

    // Whether the next presses of `group` are taken; none is at first.
    void setTaking(MediaKeyGroup group, bool taking);
    bool isTaking(MediaKeyGroup group) const;

    // Takes the keys of `group`; true when they are taken (also when they
    // already were). When any of them cannot be taken (another program holds
    // it, no display) none is kept and the result is false.
    bool start(MediaKeyGroup group);
    // Gives the keys of `group` back.
    void stop(MediaKeyGroup group);
    bool isStarted(MediaKeyGroup group) const { return !m_grabs[index(group)].isEmpty(); }

    static MediaKeyGroup groupOf(MediaKey key);
    // The key each MediaKey is captured as.
    static Qt::Key qtKey(MediaKey key);

private:
    static size_t index(MediaKeyGroup group) { return size_t(group); }

    KeyCapture &m_keys;
    std::array<QList<KeyCapture::Grab>, 2> m_grabs;
    // Read on the key capture's thread.
    std::array<std::atomic<bool>, 2> m_taking{};
};
