#pragma once

#include "Platform/FolderWatch.h"
#include "Support/BackgroundRunner.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QProperty>
#include <QString>

#include <memory>
#include <optional>

class AppModel;

// Tracks whether a Focus (do-not-disturb) mode is active and which one, by
// watching the folder of the Focus files (FocusFiles), and announces each
// change with an alert strip. The app notification monitor drops
// notifications while `activeName` is set. Main thread only; the files are
// read off it.
class FocusMonitor {
public:
    static constexpr double retryInterval = 5.0;
    static constexpr double readDelay = 0.3;
    // The mode of assertions that name none.
    static const QString defaultModeIdentifier;
    static const QString debugFilePath;

    struct ModeInfo {
        QString name;
        QString symbol;
        bool operator==(const ModeInfo &) const = default;
    };

    enum class Announce { no, yes };

    // Watches `folder` (the Focus files' folder in the app); reads run
    // through `runner` (Qt's global thread pool when empty).
    explicit FocusMonitor(AppModel &model, QString folder = directory(), BackgroundRunner runner = {});
    ~FocusMonitor();
    FocusMonitor(const FocusMonitor &) = delete;
    FocusMonitor &operator=(const FocusMonitor &) = delete;

    static QString directory();

    // The Focus folder could be opened at the last attempt.
    bool hasAccess() const { return m_hasAccess.value(); }
    QBindable<bool> bindableHasAccess() { return &m_hasAccess; }
    // The display name of the active Focus mode; none when no Focus is on.
    std::optional<QString> activeName() const { return m_activeName.value(); }
    QBindable<std::optional<QString>> bindableActiveName() { return &m_activeName; }

    // Watches the folder, or retries every 5 s until it can.
    void start();
    void scheduleRetry();
    // Reads 0.3 s after the last call.
    void scheduleRead();
    // Reads the active mode off the main thread and takes it over on it,
    // with an alert when `announce` says so.
    void read(Announce announce);

    // The identifier of the active mode in `folder`'s "Assertions.json".
    static std::optional<QString> activeModeIdentifier(const QString &folder);
    // The name and symbol of mode `identifier` in `folder`'s
    // "ModeConfigurations.json".
    static std::optional<ModeInfo> modeInfo(const QString &folder, const QString &identifier);

    // Shows the Focus alert strip: "On" with `symbol` (else "moon.fill"), or
    // "Off".
    void announceChange(bool on, const std::optional<QString> &symbol);
    // Opens the settings where the permission to read the Focus files is
    // given (the Focus settings page's button).
    void openFullDiskAccessSettings();
    // Writes one diagnostic line to `path` (off the main thread): access,
    // whether "Assertions.json" parses, the active mode.
    void debugCheck(const QString &path = debugFilePath);

private:
    struct Reading {
        std::optional<QString> identifier;
        std::optional<ModeInfo> info;
    };
    static Reading readFolder(const QString &folder);
    void apply(const Reading &reading, Announce announce);
    void folderChanged(FolderWatch::Event event);

    AppModel &m_model;
    const QString m_folder;
    BackgroundRunner m_runner;
    // Results of work off the main thread find the monitor through it, and
    // find none once it is gone.
    std::shared_ptr<FocusMonitor *> m_self;

    QProperty<bool> m_hasAccess{false};
    QProperty<std::optional<QString>> m_activeName;
    FolderWatch m_source;
    Delay m_debounce;
    RepeatingTimer m_retryTimer;
    std::optional<QString> m_activeIdentifier;
    bool m_started = false;
    // Only the newest read is taken over: an older one that finishes later
    // saw older files.
    quint64 m_lastRead = 0;
};
