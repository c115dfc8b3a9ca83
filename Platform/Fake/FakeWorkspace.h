#pragma once

#include "Platform/ProcessTable.h"
#include "Platform/Workspace.h"

#include <QHash>
#include <QStringList>

#include <vector>

// A workspace described by a test: processes with their parents and
// applications, installed applications with their icons, the frontmost one.
// Records activations, launches and icon requests. The same processes make
// the command words' process table.
class FakeWorkspace final : public Workspace, public ProcessTable {
public:
    struct Process {
        qint64 parent = 0;
        std::optional<RunningApplication> application;
    };

    std::optional<RunningApplication> runningApplication(qint64 pid) const override
    {
        const auto it = processes.constFind(pid);
        return it == processes.constEnd() ? std::nullopt : it->application;
    }
    QList<RunningApplication> runningApplications(const QString &bundleIdentifier) const override
    {
        QList<RunningApplication> found;
        for (const Process &process : processes) {
            if (process.application && process.application->bundleIdentifier == bundleIdentifier)
                found.append(*process.application);
        }
        return found;
    }
    std::optional<RunningApplication> frontmostApplication() const override { return frontmost; }
    std::optional<Application> application(long pid) const override
    {
        const auto running = runningApplication(pid);
        return running ? std::optional<Application>(Application{running->bundleIdentifier.toStdString(), running->isRegular}) : std::nullopt;
    }
    std::optional<long> parent(long pid) const override
    {
        const auto found = parentProcessIdentifier(pid);
        return found ? std::optional<long>(*found) : std::nullopt;
    }
    std::optional<qint64> parentProcessIdentifier(qint64 pid) const override
    {
        const auto it = processes.constFind(pid);
        return it == processes.constEnd() ? std::nullopt : std::optional<qint64>(it->parent);
    }
    std::optional<QString> urlForApplication(const QString &bundleIdentifier) const override
    {
        const auto it = installed.constFind(bundleIdentifier);
        return it == installed.constEnd() ? std::nullopt : std::optional<QString>(it->first);
    }
    QString displayName(const QString &url) const override
    {
        for (const auto &[path, name] : installed) {
            if (path == url)
                return name;
        }
        return {};
    }
    QImage iconForApplication(const QString &url) const override
    {
        iconRequests.append(url);
        return icons.value(url);
    }
    bool activate(const RunningApplication &application) override
    {
        activated.append(application.bundleIdentifier);
        return true;
    }
    void openApplication(const QString &url) override { opened.append(url); }
    bool canOpen(const QUrl &url) const override { return openableSchemes.contains(url.scheme().toLower()); }
    void open(const QUrl &url) override { openedLinks.append(url); }
    bool openSettingsPanel(SettingsPanel panel) override
    {
        if (!settingsPanels.contains(panel))
            return false;
        openedSettingsPanels.append(panel);
        return true;
    }
    void observeWake(std::function<void()> handler) override { m_wakeHandlers.push_back(std::move(handler)); }

    // As if the computer had just woken from sleep.
    void wake()
    {
        const auto handlers = m_wakeHandlers;
        for (const auto &handler : handlers)
            handler();
    }

    void setClipboardText(const QString &text) override { clipboard = text; }

    // Adds a running application with process id `pid` under `parent`.
    void addApplication(qint64 pid, qint64 parent, const QString &bundleIdentifier, bool regular = true)
    {
        processes.insert(pid, Process{parent, RunningApplication{pid, bundleIdentifier, bundleIdentifier, regular}});
    }

    QHash<qint64, Process> processes;
    // Bundle identifier → (url, display name).
    QHash<QString, std::pair<QString, QString>> installed;
    // Application url → icon.
    QHash<QString, QImage> icons;
    std::optional<RunningApplication> frontmost;
    mutable QStringList iconRequests;
    QStringList activated;
    QStringList opened;
    std::optional<QString> clipboard;
    // Schemes that an installed application opens ("zoommtg", "msteams").
    QStringList openableSchemes;
    QList<QUrl> openedLinks;
    // The panels this desktop's settings have, and those opened.
    QList<SettingsPanel> settingsPanels;
    QList<SettingsPanel> openedSettingsPanels;

private:
    std::vector<std::function<void()>> m_wakeHandlers;
};
