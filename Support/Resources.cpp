#include "Support/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString prefix()
{
    // Works before a QCoreApplication exists too.
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(executable).dir().absoluteFilePath(QStringLiteral(".."));
}
} // namespace

namespace Resources {

QString sharePath(const QString &relativePath)
{
    return QDir::cleanPath(prefix() + QStringLiteral("/share/quib/") + relativePath);
}

QString libraryPath(const QString &relativePath)
{
    return QDir::cleanPath(prefix() + QStringLiteral("/lib/quib/") + relativePath);
}

} // namespace Resources
