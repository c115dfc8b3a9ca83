#include "Platform/FolderWatch.h"

#include "Support/Log.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace {

constexpr uint32_t entryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE;
// IN_IGNORED follows the folder's deletion, or the watch's removal.
constexpr uint32_t endEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

} // namespace

struct FolderWatch::Private {
    std::function<void(Event)> handler;
    int fd = -1;
    int descriptor = -1;
    std::unique_ptr<QSocketNotifier> notifier;

    void readEvents()
    {
        bool changed = false;
        bool gone = false;
        alignas(inotify_event) std::array<char, 4096> buffer;
        for (;;) {
            const ssize_t size = ::read(fd, buffer.data(), buffer.size());
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer.data() + at);
                // Events of a watch ended earlier can still be queued.
                if (event->wd == descriptor) {
                    changed = changed || (event->mask & entryEvents);
                    gone = gone || (event->mask & endEvents);
                }
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        if (gone) {
            ::inotify_rm_watch(fd, descriptor);
            descriptor = -1;
            handler(Event::folderGone);
        } else if (changed) {
            handler(Event::entriesChanged);
        }
    }
};

FolderWatch::FolderWatch(std::function<void(Event)> handler)
    : d(std::make_unique<Private>())
{
    d->handler = std::move(handler);
    d->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d->fd < 0) {
        qCWarning(lcPlatform, "Quib: no file-system notifications (%s)", std::strerror(errno));
        return;
    }
    d->notifier = std::make_unique<QSocketNotifier>(d->fd, QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [this] { d->readEvents(); });
}

FolderWatch::~FolderWatch()
{
    d->notifier.reset();
    if (d->fd >= 0)
        ::close(d->fd);
}

bool FolderWatch::watch(const QString &path)
{
    if (d->fd < 0)
        return false;
    if (d->descriptor >= 0)
        ::inotify_rm_watch(d->fd, d->descriptor);
    d->descriptor = ::inotify_add_watch(d->fd, QFile::encodeName(path).constData(), entryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    return d->descriptor >= 0;
}

bool FolderWatch::isWatching() const
{
    return d->descriptor >= 0;
}
