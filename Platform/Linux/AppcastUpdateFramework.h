#pragma once

#include "Platform/BundleInfo.h"
#include "Platform/UpdateFramework.h"
#include "Support/HttpClient.h"
#include "Support/Scheduler.h"

class UserDefaults;
class Workspace;

// Updates from an appcast feed over HTTPS (plain HTTP only to this
// computer). A check asks the feed and compares its newest item with the
// build's version; an update is shown by opening its page with the desktop's
// handler for web addresses; installing it is left to the system's package
// manager, so the automatic-download switch is only kept. The switches and
// the date of the last check are user defaults.
//
// Automatic checks run once a day, counted from the last check (at once when
// that is a day old or there was none), on the monotonic clock, and are
// counted again after each step of the wall clock (a wake from sleep).
class AppcastUpdateFramework final : public UpdateFramework {
public:
    static constexpr double checkInterval = 24 * 60 * 60;
    static constexpr double requestTimeout = 30;

    static const QString automaticChecksKey;
    static const QString automaticDownloadsKey;
    static const QString lastCheckKey;

    AppcastUpdateFramework(Scheduler &scheduler, UserDefaults &defaults, Workspace &workspace, const BundleInfo &bundle);

    void setDelegate(Delegate *delegate) override { m_delegate = delegate; }
    void start() override;
    void checkForUpdates() override;
    void checkForUpdatesInBackground() override;
    std::optional<QDateTime> lastUpdateCheckDate() const override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool on) override;
    bool automaticallyDownloadsUpdates() const override;
    void setAutomaticallyDownloadsUpdates(bool on) override;

private:
    enum class Check { user, scheduled };

    void check(Check kind);
    void answer(Check kind, const QUrl &feed, const HttpClient::Response &response);
    void recordCheck();
    void report(Check kind, const std::optional<Update> &found);
    void show(const Update &update);
    void schedule();

    Scheduler &m_scheduler;
    UserDefaults &m_defaults;
    Workspace &m_workspace;
    const BundleInfo m_bundle;
    Delegate *m_delegate = nullptr;
    bool m_started = false;
    // The kind of the check in flight: a user check asked for meanwhile
    // makes it one.
    std::optional<Check> m_inFlight;
    // An update found by a scheduled check and left to the application.
    std::optional<Update> m_pending;
    Delay m_scheduledCheck;
    WallClockWatch m_wallClockSteps;
    HttpClient m_http;
};
