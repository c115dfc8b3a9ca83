#pragma once

#include "Platform/AudioSystem.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class Workspace;

// One application with audio clients: every audio process object of its
// processes (its helpers included), and whether any of them plays or
// records.
struct AudioApp {
    // The owning application's desktop-entry id.
    QString id;
    // Its name, or its id when it has none.
    QString name;
    // In the order of the server's process list.
    QList<AudioObjectID> processObjects;
    bool isPlaying = false;
    bool isRecording = false;

    bool operator==(const AudioApp &) const = default;
};

// Which applications have audio clients right now: each client process is
// attributed to the application a user would recognise by walking up its
// parent chain. Main thread only.
class AudioProcesses {
public:
    // The process itself and at most 11 ancestors.
    static constexpr int maximumChain = 12;
    // The owner cache is emptied before an insertion past this size.
    static constexpr qsizetype maximumCachedOwners = 500;

    struct Owner {
        QString id;
        QString name;
        bool operator==(const Owner &) const = default;
    };

    // `ownProcess` is left out of every answer (the app's own sounds).
    AudioProcesses(AudioSystem &audio, Workspace &workspace, qint64 ownProcess);

    // The server's current audio process objects.
    QList<AudioObjectID> processObjects() const;
    // The application that process `pid` belongs to, cached per process id
    // (a missing owner too).
    std::optional<Owner> owningApp(qint64 pid);
    // One entry per owning application, sorted by name (case-insensitive,
    // in the user's locale).
    QList<AudioApp> apps();

    qsizetype cachedOwnerCount() const { return m_ownerCache.size(); }

private:
    static QList<AudioObjectID> processObjects(const QList<AudioStream> &streams);

    AudioSystem &m_audio;
    Workspace &m_workspace;
    qint64 m_ownProcess;
    QHash<qint64, std::optional<Owner>> m_ownerCache;
};
