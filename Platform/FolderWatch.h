#pragma once

#include <QString>

#include <functional>
#include <memory>

// Reports, on the main thread, changes to the entries of one folder (a file
// added, removed, renamed or written) and the end of the folder itself
// (deleted, or moved aside, for instance to be replaced by another). After
// the end the watch is over until `watch` is called again.
class FolderWatch {
public:
    enum class Event { entriesChanged, folderGone };

    explicit FolderWatch(std::function<void(Event)> handler);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // Watches the folder at `path`; false when it cannot be opened.
    bool watch(const QString &path);
    bool isWatching() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
