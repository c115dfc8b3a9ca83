#include "FakeWallClock.h"

#include <QFile>

namespace {

// Where the Debian package puts the library, by architecture.
QString findLibrary()
{
    for (const char *path : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/faketime/libfaketime.so.1"}) {
        if (QFile::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    }
    return {};
}

} // namespace

FakeWallClock::FakeWallClock()
    : m_library(findLibrary())
{
    m_written = setOffset(0);
}

QString FakeWallClock::offsetFile() const
{
    return m_folder.filePath(QStringLiteral("offset"));
}

void FakeWallClock::applyTo(QProcessEnvironment &environment) const
{
    environment.insert(QStringLiteral("LD_PRELOAD"), m_library);
    environment.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), offsetFile());
    // Read the offset at every clock read, so a step shows at once.
    environment.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    // In the sanitized build, the allocator's timed return of memory reads
    // the clock through this library, whose first call allocates: the child
    // would deadlock inside the allocator before its first line.
    const QString allocator = QStringLiteral("allocator_release_to_os_interval_ms=-1");
    const QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), sanitizer.isEmpty() ? allocator : sanitizer + u':' + allocator);
}

bool FakeWallClock::setOffset(qint64 seconds)
{
    QFile file(offsetFile());
    const QByteArray line = (seconds < 0 ? QByteArray::number(seconds) : "+" + QByteArray::number(seconds)) + '\n';
    return m_folder.isValid() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(line) == line.size();
}
