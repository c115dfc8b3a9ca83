#pragma once

#include <QByteArray>
#include <QString>

// Files the user owns are never left half-written: the new content goes to a
// temporary file in the same folder, which then replaces the old one.
namespace AtomicFile {

// Writes `contents` to `path`, creating missing parent folders. On failure the
// old file is untouched and `error` (when given) says why.
bool write(const QString &path, const QByteArray &contents, QString *error = nullptr);

// Copies `path` to `backupPath` unless a backup already exists there. True
// when a backup exists afterwards (or there was nothing to back up); on
// failure `error` (when given) says why.
bool backUpOnce(const QString &path, const QString &backupPath, QString *error = nullptr);

} // namespace AtomicFile
