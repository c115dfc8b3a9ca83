#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <optional>

// A playback stream whose volume Quib changed: enough to give the stream its
// own volume back if Quib ends without doing so.
struct ScaledStreamEntry {
    quint32 index = 0;
    qint64 processIdentifier = 0;
    // Per channel, in the sound server's raw volume units.
    QList<quint32> written;
    QList<quint32> own;

    bool operator==(const ScaledStreamEntry &) const = default;
};

// The file that lists the streams Quib has scaled, so that the next start can
// undo what a crash left behind. Reads and writes run on a thread of their
// own (a write syncs the file to disk); writes are coalesced: while one runs,
// only the latest of the writes asked for meanwhile follows it. An empty
// record is no file.
class StreamVolumeRecord {
public:
    explicit StreamVolumeRecord(QString path);
    // Finishes the writes asked for.
    ~StreamVolumeRecord();
    StreamVolumeRecord(const StreamVolumeRecord &) = delete;
    StreamVolumeRecord &operator=(const StreamVolumeRecord &) = delete;

    static QString defaultPath();

    // Reads the file off the main thread and hands its entries to `done`
    // on `context`'s thread (nothing when `context` is gone by then). A
    // missing or unreadable file gives none.
    void read(QObject *context, std::function<void(QList<ScaledStreamEntry>)> done);
    void write(QList<ScaledStreamEntry> entries);
    // Waits until every write asked for has ended.
    void finish();

    QString path() const { return m_path; }

    static QByteArray serialize(const QList<ScaledStreamEntry> &entries);
    // None when `contents` is no record at all; entries that are not whole
    // (a missing field, a volume the server would refuse) are left out.
    static std::optional<QList<ScaledStreamEntry>> parse(const QByteArray &contents);

private:
    // On the writer thread: the latest entries asked for.
    void writeLatest();

    QString m_path;
    QMutex m_mutex;
    // The entries of the write not yet started (guarded by m_mutex).
    std::optional<QList<ScaledStreamEntry>> m_latest;
    QThreadPool m_thread;
};
