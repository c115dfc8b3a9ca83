#pragma once

#include "Platform/Workspace.h"

#include <QHash>
#include <QString>

#include <memory>

class XcbConnection;

// Workspace on a Linux desktop: processes from /proc, application identity
// from the XDG desktop entries (through GIO), the active window from EWMH.
//
// A process belongs to an application when, in this order: it is this app's
// own executable; the launcher recorded the desktop file in its environment
// (GIO_LAUNCHED_DESKTOP_FILE with its pid); systemd placed it in the
// application's scope (app-…-<id>-<n>.scope); or its executable's name is the
// one the desktop entry runs (Exec, TryExec or StartupWMClass). Links open
// through GIO with the application registered for their scheme. Without an X
// display (`x11` null, as in a command-line run) there is no frontmost
// application and nothing to activate.
class LinuxWorkspace final : public Workspace {
public:
    static const QString ownIdentifier;

    explicit LinuxWorkspace(XcbConnection *x11 = nullptr);
    ~LinuxWorkspace() override;

    std::optional<RunningApplication> runningApplication(qint64 pid) const override;
    QList<RunningApplication> runningApplications(const QString &bundleIdentifier) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<qint64> parentProcessIdentifier(qint64 pid) const override;
    std::optional<QString> urlForApplication(const QString &bundleIdentifier) const override;
    QString displayName(const QString &url) const override;
    QImage iconForApplication(const QString &url) const override;
    bool activate(const RunningApplication &application) override;
    void openApplication(const QString &url) override;
    bool canOpen(const QUrl &url) const override;
    void open(const QUrl &url) override;
    // Wake-ups are logind's PrepareForSleep(false) on the system bus.
    void observeWake(std::function<void()> handler) override;
    void setClipboardText(const QString &text) override;

private:
    struct Entry {
        QString id;
        QString path;
        QString name;
        bool isRegular = false;
    };
    void loadEntries() const;
    std::optional<Entry> entryForProcess(qint64 pid) const;

    mutable bool m_loaded = false;
    mutable QHash<QString, Entry> m_entriesById;
    // Executable names and window classes (lower case) to desktop ids.
    mutable QHash<QString, QString> m_idsByProgram;
    // The pid of a window, from _NET_WM_PID.
    std::optional<qint64> processOf(quint32 window) const;

    XcbConnection *m_x11;
    class SleepWatcher;
    std::unique_ptr<SleepWatcher> m_sleepWatcher;
};
