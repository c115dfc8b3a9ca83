#pragma once

#include "Platform/SoundPlayer.h"

#include <QHash>

#include <memory>

// Plays the app's short alert sounds by kind. Each sound is loaded on its
// first use and kept; playing a sound that is still playing restarts it
// instead of overlapping it. Whether a feature plays a sound at all is the
// caller's decision. Main thread only.
class Sounds {
public:
    enum class Kind {
        glass, // "Glass": a calendar event is announced
        hero, // "Hero": the hourly chime
        lockChime, // "QuibLockChime": the screen locks
        unlock, // "QuibUnlock": the screen unlocks
        funk, // "Funk": low battery
        submarine, // "Submarine": a timer has finished
        bottle, // "Bottle": an alert from the command line or a script
    };

    explicit Sounds(SoundPlayer &player);

    static QString name(Kind kind);

    void play(Kind kind);

    // The names loaded so far (a sound that was not found is not kept).
    QList<QString> cachedNames() const { return m_cache.keys(); }

private:
    SoundPlayer &m_player;
    QHash<QString, std::shared_ptr<SoundPlayer::Sound>> m_cache;
};
