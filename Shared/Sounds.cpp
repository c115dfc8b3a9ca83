#include "Shared/Sounds.h"

Sounds::Sounds(SoundPlayer &player)
    : m_player(player)
{
}

QString Sounds::name(Kind kind)
{
    switch (kind) {
    case Kind::glass:
        return QStringLiteral("Glass");
    case Kind::hero:
        return QStringLiteral("Hero");
    case Kind::lockChime:
        return QStringLiteral("QuibLockChime");
    case Kind::unlock:
        return QStringLiteral("QuibUnlock");
    case Kind::funk:
        return QStringLiteral("Funk");
    case Kind::submarine:
        return QStringLiteral("Submarine");
    case Kind::bottle:
        return QStringLiteral("Bottle");
    }
    return {};
}

void Sounds::play(Kind kind)
{
    const QString soundName = name(kind);
    std::shared_ptr<SoundPlayer::Sound> sound = m_cache.value(soundName);
    if (!sound) {
        // Not cached when missing, so a later call looks it up again.
        sound = m_player.load(soundName);
        if (!sound)
            return;
        m_cache.insert(soundName, sound);
    }
    sound->stop();
    sound->play();
}
