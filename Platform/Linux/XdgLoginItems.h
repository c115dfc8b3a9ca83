#pragma once

#include "Platform/LoginItems.h"

#include <QObject>
#include <QThreadPool>

// Opening at login as an XDG autostart entry: the app opens at login while
// its entry exists and is not marked `Hidden=true`. Switching on writes the
// entry (atomically), switching off removes it. Files are read and written on
// a thread of its own, one change after the other.
class XdgLoginItems final : public LoginItems {
public:
    // `entryPath`: the autostart entry; `executable`: the program it starts.
    XdgLoginItems(QString entryPath, QString executable);
    ~XdgLoginItems() override;
    XdgLoginItems(const XdgLoginItems &) = delete;
    XdgLoginItems &operator=(const XdgLoginItems &) = delete;

    // $XDG_CONFIG_HOME/autostart/<applicationId>.desktop
    static QString entryPath(const QString &applicationId);

    // The entry that starts `executable`.
    static QByteArray entryContents(const QString &executable);
    // Whether the entry at `path` makes the app open at login.
    static bool isEnabled(const QString &path);

    void readStatus(QObject *context, std::function<void(bool)> answer) override;
    void setEnabled(bool on, QObject *context, std::function<void(Error)> answer) override;

private:
    // Runs `work` on the file thread and hands its result to `answer` on the
    // main thread while `context` lives.
    template <typename Result>
    void run(std::function<Result()> work, QObject *context, std::function<void(Result)> answer);

    const QString m_entryPath;
    const QString m_executable;
    // Answers come back through this object, which lives on the main thread.
    QObject m_receiver;
    QThreadPool m_files;
};
