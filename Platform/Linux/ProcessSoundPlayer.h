#pragma once

#include "Platform/SoundPlayer.h"

#include <QStringList>

// Plays WAV files through the sound server with a small player process
// (paplay, else pw-play, else aplay). Sounds are looked up by name as
// <name>.wav in the app's sound folder (share/quib/sounds).
class ProcessSoundPlayer final : public SoundPlayer {
public:
    explicit ProcessSoundPlayer(QStringList folders = defaultFolders());

    static QStringList defaultFolders();

    std::shared_ptr<Sound> load(const QString &name) override;

private:
    QStringList m_folders;
    QString m_player;
};
