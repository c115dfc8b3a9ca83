#pragma once

#include <QString>

#include <memory>

// Short named sounds. A loaded sound can be stopped and played again from its
// start; one object per name is enough to keep a sound from overlapping
// itself.
class SoundPlayer {
public:
    class Sound {
    public:
        virtual ~Sound() = default;
        virtual void stop() = 0;
        virtual void play() = 0;
    };

    virtual ~SoundPlayer() = default;

    // The sound with that name, or null when there is none.
    virtual std::shared_ptr<Sound> load(const QString &name) = 0;
};
