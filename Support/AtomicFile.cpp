#include "Support/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace AtomicFile {

bool write(const QString &path, const QByteArray &contents, QString *error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool backUpOnce(const QString &path, const QString &backupPath, QString *error)
{
    if (QFileInfo::exists(backupPath) || !QFileInfo::exists(path))
        return true;
    QFile source(path);
    const QByteArray contents = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    if (source.error() != QFileDevice::NoError) {
        if (error)
            *error = source.errorString();
        return false;
    }
    return write(backupPath, contents, error);
}

} // namespace AtomicFile
