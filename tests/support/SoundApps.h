#pragma once

#include <QColor>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

// Applications that play sound on the test's sound server (PulseServer):
// each one a desktop entry in a data folder of the test's own, set as
// XDG_DATA_HOME for this process and the programs it starts, and pacat run
// under the program name the entry's Exec names, so the workspace takes
// the process for that application. Create it before anything reads the
// desktop entries: GLib reads XDG_DATA_HOME once.
class SoundApps {
public:
    SoundApps();
    ~SoundApps();
    SoundApps(const SoundApps &) = delete;
    SoundApps &operator=(const SoundApps &) = delete;

    QString dataHome() const { return m_folder.filePath(QStringLiteral("data")); }

    // Writes the desktop entry "<id>.desktop", whose Exec is a program
    // named <id> (pacat under that name), with `name` and
    // an icon file filled with `iconColour`.
    void addApplication(const QString &id, const QString &name, const QColor &iconColour);
    // Starts a stream of application `id` playing silence, at the raw
    // volume given (65536 is full); its process id once it has started.
    // The stream itself appears on the server a little later.
    qint64 play(const QString &id, std::optional<int> volume = std::nullopt);
    // Ends the player and waits (bounded) for it.
    void stop(qint64 pid);

private:
    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<QProcess>> m_players;
};
