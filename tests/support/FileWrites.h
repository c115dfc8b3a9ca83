#pragma once

#include <QByteArray>
#include <QString>

// Counts the times a file is written: an atomic write creates the file or
// moves a new one into place under its name, which inotify reports once.
class FileWrites {
public:
    explicit FileWrites(const QString &path);
    ~FileWrites();
    FileWrites(const FileWrites &) = delete;
    FileWrites &operator=(const FileWrites &) = delete;

    bool isWatching() const { return m_watch >= 0; }

    // Writes so far.
    int count();

private:
    QByteArray m_name;
    int m_descriptor = -1;
    int m_watch = -1;
    int m_count = 0;
};

