#pragma once

#include "Platform/Linux/LinuxProcessTable.h"
#include "Platform/Workspace.h"

#include <QString>

#include <memory>

class XcbConnection;

// Workspace on a Linux desktop: processes and their applications through
// LinuxProcessTable, installed applications from the XDG desktop entries
// (through GIO), the active window from EWMH. Links open
// through GIO with the application registered for their scheme. Without an X
// display (`x11` null) there is no frontmost
// application and nothing to activate.
class LinuxWorkspace final : public Workspace {
public:
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
    // The settings program of the current desktop (XDG_CURRENT_DESKTOP).
    bool openSettingsPanel(SettingsPanel panel) override;
    // Wake-ups are logind's PrepareForSleep(false) on the system bus.
    void observeWake(std::function<void()> handler) override;
    void setClipboardText(const QString &text) override;

    // The command that opens `panel` in the settings of the first desktop of
    // `desktops` (XDG_CURRENT_DESKTOP's names) that has it; none when none
    // has it.
    static std::optional<QStringList> settingsPanelCommand(const QStringList &desktops, SettingsPanel panel);

private:
    LinuxProcessTable m_processes;
    // The pid of a window, from _NET_WM_PID.
    std::optional<qint64> processOf(quint32 window) const;

    XcbConnection *m_x11;
    class SleepWatcher;
    std::unique_ptr<SleepWatcher> m_sleepWatcher;
};
