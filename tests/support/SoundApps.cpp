#include "SoundApps.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>

SoundApps::SoundApps()
{
    QDir().mkpath(dataHome() + QStringLiteral("/applications"));
    QDir().mkpath(m_folder.filePath(QStringLiteral("bin")));
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
}

SoundApps::~SoundApps()
{
    for (const auto &player : m_players) {
        player->kill();
        player->waitForFinished(5000);
    }
    qunsetenv("XDG_DATA_HOME");
}

void SoundApps::addApplication(const QString &id, const QString &name, const QColor &iconColour)
{
    const QString iconPath = m_folder.filePath(id + QStringLiteral(".png"));
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(iconColour);
    icon.save(iconPath);

    // pacat under another name: the executable stays pacat, but the command
    // line and the process name are the entry's program. Exec names it by
    // its full path, as GLib skips an entry whose program is not found.
    const QString program = m_folder.filePath(QStringLiteral("bin/") + id);
    QFile::link(QStandardPaths::findExecutable(QStringLiteral("pacat")), program);

    QFile entry(dataHome() + QStringLiteral("/applications/") + id + QStringLiteral(".desktop"));
    entry.open(QIODevice::WriteOnly);
    entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nIcon=%3\n").arg(name, program, iconPath).toUtf8());
}

qint64 SoundApps::play(const QString &id, std::optional<int> volume)
{
    // --raw: pacat picks its mode from its own name otherwise.
    QStringList arguments{QStringLiteral("--playback"), QStringLiteral("--raw")};
    if (volume)
        arguments.append(QStringLiteral("--volume=%1").arg(*volume));
    auto player = std::make_unique<QProcess>();
    player->setStandardInputFile(QStringLiteral("/dev/zero"));
    player->setStandardOutputFile(QProcess::nullDevice());
    player->start(m_folder.filePath(QStringLiteral("bin/") + id), arguments);
    player->waitForStarted(5000);
    const qint64 pid = player->processId();
    m_players.push_back(std::move(player));
    return pid;
}

void SoundApps::stop(qint64 pid)
{
    for (const auto &player : m_players) {
        if (player->processId() == pid) {
            player->terminate();
            player->waitForFinished(5000);
        }
    }
}
