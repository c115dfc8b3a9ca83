#include "Platform/Linux/ProcessSoundPlayer.h"

#include "Support/Log.h"
#include "Support/Resources.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class ProcessSound final : public SoundPlayer::Sound {
public:
    ProcessSound(QString player, QString file)
        : m_player(std::move(player))
        , m_file(std::move(file))
    {
        // The player's complaints (no sound server) are not ours to print.
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
    }
    ~ProcessSound() override { stop(); }

    void stop() override
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    void play() override
    {
        if (m_player.isEmpty())
            return;
        m_process.start(m_player, {m_file});
    }

private:
    QString m_player;
    QString m_file;
    QProcess m_process;
};

} // namespace

ProcessSoundPlayer::ProcessSoundPlayer(QStringList folders)
    : m_folders(std::move(folders))
{
    for (const char *candidate : {"paplay", "pw-play", "aplay"}) {
        m_player = QStandardPaths::findExecutable(QString::fromLatin1(candidate));
        if (!m_player.isEmpty())
            break;
    }
    if (m_player.isEmpty())
        qCWarning(lcAudio, "Quib: no sound player (paplay, pw-play or aplay) found; sounds stay silent");
}

QStringList ProcessSoundPlayer::defaultFolders()
{
    return {Resources::sharePath(QStringLiteral("sounds"))};
}

std::shared_ptr<SoundPlayer::Sound> ProcessSoundPlayer::load(const QString &name)
{
    for (const QString &folder : std::as_const(m_folders)) {
        const QString file = folder + u'/' + name + QStringLiteral(".wav");
        if (QFileInfo(file).isReadable())
            return std::make_shared<ProcessSound>(m_player, file);
    }
    return nullptr;
}
