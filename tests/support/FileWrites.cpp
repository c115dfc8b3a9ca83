#include "FileWrites.h"

#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

FileWrites::FileWrites(const QString &path)
    : m_name(QFileInfo(path).fileName().toLocal8Bit())
    , m_descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_descriptor >= 0)
        m_watch = inotify_add_watch(m_descriptor, QFile::encodeName(QFileInfo(path).absolutePath()).constData(), IN_CREATE | IN_MOVED_TO);
}

FileWrites::~FileWrites()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

int FileWrites::count()
{
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; (length = ::read(m_descriptor, buffer, sizeof buffer)) > 0;) {
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0 && m_name == event->name)
                ++m_count;
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return m_count;
}
