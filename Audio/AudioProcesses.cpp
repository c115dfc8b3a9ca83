#include "Audio/AudioProcesses.h"

#include "Platform/Workspace.h"

#include <QCollator>
#include <QSet>

#include <algorithm>

AudioProcesses::AudioProcesses(AudioSystem &audio, Workspace &workspace, qint64 ownProcess)
    : m_audio(audio)
    , m_workspace(workspace)
    , m_ownProcess(ownProcess)
{
}

QList<AudioObjectID> AudioProcesses::processObjects() const
{
    return processObjects(m_audio.streams());
}

QList<AudioObjectID> AudioProcesses::processObjects(const QList<AudioStream> &streams)
{
    QList<AudioObjectID> objects;
    QSet<AudioObjectID> seen;
    for (const AudioStream &stream : streams) {
        const auto object = AudioObjectID(stream.processIdentifier);
        if (!seen.contains(object)) {
            seen.insert(object);
            objects.append(object);
        }
    }
    return objects;
}

std::optional<AudioProcesses::Owner> AudioProcesses::owningApp(qint64 pid)
{
    if (const auto cached = m_ownerCache.constFind(pid); cached != m_ownerCache.constEnd())
        return *cached;

    std::optional<Owner> result;
    std::optional<Owner> fallback;
    qint64 current = pid;
    for (int step = 0; step < maximumChain && current > 1; ++step) {
        if (const auto application = m_workspace.runningApplication(current); application && !application->bundleIdentifier.isEmpty()) {
            const Owner owner{application->bundleIdentifier,
                              application->localizedName.isEmpty() ? application->bundleIdentifier : application->localizedName};
            if (application->isRegular) {
                result = owner;
                break;
            }
            // An application with a desktop entry that a user does not
            // switch to (a tray utility, a helper): only when no regular
            // application owns the process, and then the nearest one.
            if (!fallback)
                fallback = owner;
        }
        const std::optional<qint64> parent = m_workspace.parentProcessIdentifier(current);
        if (!parent || *parent == current)
            break;
        current = *parent;
    }
    if (!result)
        result = fallback;

    // Process ids are reused and entries never refreshed: a bounded cache
    // also bounds how long a reused id keeps a stale answer.
    if (m_ownerCache.size() > maximumCachedOwners)
        m_ownerCache.clear();
    m_ownerCache.insert(pid, result);
    return result;
}

QList<AudioApp> AudioProcesses::apps()
{
    const QList<AudioStream> streams = m_audio.streams();
    QList<AudioApp> found;
    QHash<QString, qsizetype> indexByID;
    for (const AudioObjectID object : processObjects(streams)) {
        const qint64 pid = object;
        if (pid <= 0 || pid == m_ownProcess)
            continue;
        const std::optional<Owner> owner = owningApp(pid);
        if (!owner)
            continue;
        bool isPlaying = false;
        bool isRecording = false;
        for (const AudioStream &stream : streams) {
            if (stream.processIdentifier != pid || stream.isCorked)
                continue;
            (stream.direction == AudioStream::Direction::Playback ? isPlaying : isRecording) = true;
        }
        if (const auto index = indexByID.constFind(owner->id); index != indexByID.constEnd()) {
            AudioApp &app = found[*index];
            app.processObjects.append(object);
            app.isPlaying = app.isPlaying || isPlaying;
            app.isRecording = app.isRecording || isRecording;
        } else {
            indexByID.insert(owner->id, found.size());
            found.append(AudioApp{owner->id, owner->name, {object}, isPlaying, isRecording});
        }
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(found.begin(), found.end(),
                     [&collator](const AudioApp &a, const AudioApp &b) { return collator.compare(a.name, b.name) < 0; });
    return found;
}
