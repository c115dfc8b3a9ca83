#pragma once

#include "Platform/UserDefaults.h"
#include "Support/Scheduler.h"

#include <QThreadPool>
#include <QVariantMap>

// User defaults kept as one JSON document ($XDG_CONFIG_HOME/quib/defaults.json
// by default). Reads answer from memory, pending changes included. Changes
// are collected for `writeDelay` seconds and then written together, off the
// main thread: the file is rewritten atomically, merged with what is on disk
// then, so values written by another process survive. The first write over
// an existing file keeps a copy of it (defaults.json.backup), never replaced
// afterwards. A file that cannot be parsed is copied aside once
// (defaults.json.broken) before it is replaced, and is never replaced by a
// partial document. Pending changes are written at the latest when the
// object is destroyed.
class JsonUserDefaults final : public UserDefaults {
public:
    // A slider sends dozens of changes a second; they make one write.
    static constexpr double writeDelay = 0.5;

    explicit JsonUserDefaults(Scheduler &scheduler, QString path = defaultPath());
    ~JsonUserDefaults() override;
    JsonUserDefaults(const JsonUserDefaults &) = delete;
    JsonUserDefaults &operator=(const JsonUserDefaults &) = delete;

    static QString defaultPath();

    QVariant object(const QString &key) const override;
    void setObject(const QString &key, const QVariant &value) override;
    void removeObject(const QString &key) override;
    // Writes the pending changes now and returns once every write has
    // ended. The app's quit reaches it through the destructor.
    void synchronize();

    QString path() const { return m_path; }

private:
    void change(const QString &key, const QVariant &value);
    // Hands the pending changes to the writer thread.
    void writePending();
    // On the writer thread: `changes` over the file as it is now, or over
    // `known` (this process's values) when it holds nothing readable.
    void write(const QVariantMap &changes, const QVariantMap &known);

    QString m_path;
    QVariantMap m_values;
    // Changed keys not yet handed to the writer; an invalid value removes
    // the key.
    QVariantMap m_changes;
    Delay m_writeDelay;
    // Changes a failed write could not store (writer thread only).
    QVariantMap m_unwritten;
    // One thread, so writes reach the file in the order they were made.
    QThreadPool m_writer;
};
