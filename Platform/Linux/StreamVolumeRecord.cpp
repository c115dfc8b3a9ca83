#include "Platform/Linux/StreamVolumeRecord.h"

#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QStandardPaths>

#include <pulse/def.h>
#include <pulse/volume.h>

#include <utility>

namespace {

QJsonArray toJson(const QList<quint32> &volume)
{
    QJsonArray array;
    for (quint32 level : volume)
        array.append(qint64(level));
    return array;
}

// A volume the server would take: one level per channel, each within its
// range.
std::optional<QList<quint32>> volumeFrom(const QJsonValue &value)
{
    const QJsonArray array = value.toArray();
    if (array.isEmpty() || array.size() > PA_CHANNELS_MAX)
        return std::nullopt;
    QList<quint32> volume;
    for (const QJsonValue &level : array) {
        const double number = level.toDouble(-1);
        if (number < 0 || number > PA_VOLUME_MAX || number != double(qint64(number)))
            return std::nullopt;
        volume.append(quint32(number));
    }
    return volume;
}

} // namespace

StreamVolumeRecord::StreamVolumeRecord(QString path)
    : m_path(std::move(path))
{
    m_thread.setMaxThreadCount(1);
    m_thread.setObjectName(QStringLiteral("quib.audio.record"));
}

StreamVolumeRecord::~StreamVolumeRecord()
{
    finish();
}

QString StreamVolumeRecord::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/stream-volumes.json");
}

// `context` outlives the record (its owner destroys the record first, which
// waits for this read), so it is valid here; a call queued to it is dropped
// if it is destroyed before the call runs.
void StreamVolumeRecord::read(QObject *context, std::function<void(QList<ScaledStreamEntry>)> done)
{
    m_thread.start([path = m_path, context, done = std::move(done)] {
        QList<ScaledStreamEntry> entries;
        QFile file(path);
        if (file.exists()) {
            const std::optional<QList<ScaledStreamEntry>> parsed = file.open(QIODevice::ReadOnly) ? parse(file.readAll()) : std::nullopt;
            if (parsed)
                entries = *parsed;
            else
                qCWarning(lcAudio, "Quib: the record of changed stream volumes %s is unreadable; it is discarded", qPrintable(path));
        }
        QMetaObject::invokeMethod(context, [done, entries] { done(entries); }, Qt::QueuedConnection);
    });
}

void StreamVolumeRecord::write(QList<ScaledStreamEntry> entries)
{
    QMutexLocker locker(&m_mutex);
    const bool queued = m_latest.has_value();
    m_latest = std::move(entries);
    if (!queued)
        m_thread.start([this] { writeLatest(); });
}

void StreamVolumeRecord::finish()
{
    m_thread.waitForDone();
}

void StreamVolumeRecord::writeLatest()
{
    QList<ScaledStreamEntry> entries;
    {
        QMutexLocker locker(&m_mutex);
        entries = *std::exchange(m_latest, std::nullopt);
    }
    if (entries.isEmpty()) {
        if (QFile::exists(m_path) && !QFile::remove(m_path))
            qCWarning(lcAudio, "Quib: could not remove the record of changed stream volumes %s", qPrintable(m_path));
        return;
    }
    QString error;
    if (!AtomicFile::write(m_path, serialize(entries), &error))
        qCWarning(lcAudio, "Quib: could not write the record of changed stream volumes %s: %s", qPrintable(m_path), qPrintable(error));
}

QByteArray StreamVolumeRecord::serialize(const QList<ScaledStreamEntry> &entries)
{
    QJsonArray streams;
    for (const ScaledStreamEntry &entry : entries) {
        streams.append(QJsonObject{{QStringLiteral("index"), qint64(entry.index)},
                                   {QStringLiteral("processIdentifier"), entry.processIdentifier},
                                   {QStringLiteral("written"), toJson(entry.written)},
                                   {QStringLiteral("own"), toJson(entry.own)}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("streams"), streams}}).toJson(QJsonDocument::Compact);
}

std::optional<QList<ScaledStreamEntry>> StreamVolumeRecord::parse(const QByteArray &contents)
{
    const QJsonDocument document = QJsonDocument::fromJson(contents);
    const QJsonValue streams = document.object().value(QStringLiteral("streams"));
    if (!streams.isArray())
        return std::nullopt;
    QList<ScaledStreamEntry> entries;
    for (const QJsonValue &value : streams.toArray()) {
        const QJsonObject object = value.toObject();
        const double index = object.value(QStringLiteral("index")).toDouble(-1);
        const double process = object.value(QStringLiteral("processIdentifier")).toDouble(-1);
        const std::optional<QList<quint32>> written = volumeFrom(object.value(QStringLiteral("written")));
        const std::optional<QList<quint32>> own = volumeFrom(object.value(QStringLiteral("own")));
        if (index < 0 || index >= PA_INVALID_INDEX || index != double(qint64(index)) || process < 0 || process > 0x7fffffff
            || process != double(qint64(process)) || !written || !own || written->size() != own->size())
            continue;
        entries.append(ScaledStreamEntry{quint32(index), qint64(process), *written, *own});
    }
    return entries;
}
