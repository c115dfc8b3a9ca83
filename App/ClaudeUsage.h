#pragma once

#include "App/ClaudeUsageStore.h"
#include "Platform/Credentials.h"
#include "Support/HttpClient.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QProperty>
#include <QUrl>

#include <memory>

class DistributedNotifications;
class UserDefaults;
struct Services;

// The coding agent's five-hour and seven-day usage limits. While enabled it
// asks the vendor's usage endpoint once a minute with the agent's own login;
// it also takes over newer snapshots that the command line writes to the
// shared file, polling or not. Main thread only.
class ClaudeUsage {
public:
    struct Status {
        enum class Kind { off, loading, ok, noLogin, expired, needsPermission, failed };
        Kind kind = Kind::off;
        // Why a request failed (Kind::failed only).
        QString message;

        static Status failed(const QString &message) { return Status{Kind::failed, message}; }
        bool operator==(const Status &) const = default;
    };

    static constexpr double pollInterval = 60;
    static constexpr double staleAfter = 20;
    static constexpr double requestTimeout = 15;
    static constexpr double minimumPause = 300;
    // A longer Retry-After is taken as this: a day without polling is as good
    // as forever, and the arithmetic on dates stays finite.
    static constexpr double maximumPause = 86400;
    static const QUrl defaultEndpoint;
    static const QString credentialsService;
    static const QString debugPath;

    ClaudeUsage(const Services &services, QUrl endpoint = defaultEndpoint, QString snapshotPath = ClaudeUsageStore::defaultPath());
    ClaudeUsage(const ClaudeUsage &) = delete;
    ClaudeUsage &operator=(const ClaudeUsage &) = delete;

    // On: polls now and every minute. Off: stops, forgets the windows and
    // deletes the snapshot file; a request in flight is abandoned.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // Polls now when enabled and the data is more than 20 seconds old.
    void refreshIfStale();
    // One poll step. Interaction::allowed only on the user's request: it may
    // show the keyring's prompt and goes through a rate-limit pause.
    void fetch(Credentials::Interaction interaction);

    bool hasData() const { return m_fiveHour.value() || m_sevenDay.value(); }
    std::optional<ClaudeUsageWindow> fiveHour() const { return m_fiveHour.value(); }
    QBindable<std::optional<ClaudeUsageWindow>> bindableFiveHour() { return &m_fiveHour; }
    std::optional<ClaudeUsageWindow> sevenDay() const { return m_sevenDay.value(); }
    QBindable<std::optional<ClaudeUsageWindow>> bindableSevenDay() { return &m_sevenDay; }
    std::optional<QDateTime> updated() const { return m_updated.value(); }
    QBindable<std::optional<QDateTime>> bindableUpdated() { return &m_updated; }
    Status status() const { return m_status.value(); }
    QBindable<Status> bindableStatus() { return &m_status; }
    // The end of a rate-limit pause, on the monotonic clock.
    std::optional<MonotonicTime> pausedUntil() const { return m_pausedUntil; }

    // The usage endpoint's answer as a snapshot dated `now`; none when it
    // carries neither window.
    static std::optional<ClaudeUsageStore::Snapshot> snapshot(const QByteArray &usageResponse, const QDateTime &now);

private:
    struct Login {
        QString token;
        // None: the login never expires.
        std::optional<QDateTime> expiresAt;
    };
    enum class LoginSource { cache, store };
    struct LoginRead {
        Credentials::Item::Status status;
        Login login;
    };

    void load();
    void apply(const ClaudeUsageStore::Snapshot &snapshot);
    void request(const Login &login, LoginSource source);
    void handle(const HttpClient::Response &response, LoginSource source);
    LoginRead readLogin(Credentials::Interaction interaction) const;
    void writeDebug(int code) const;

    Scheduler &m_scheduler;
    Credentials &m_credentials;
    UserDefaults &m_defaults;
    QUrl m_endpoint;
    QString m_snapshotPath;
    HttpClient m_http;
    RepeatingTimer m_timer;

    QProperty<std::optional<ClaudeUsageWindow>> m_fiveHour;
    QProperty<std::optional<ClaudeUsageWindow>> m_sevenDay;
    QProperty<std::optional<QDateTime>> m_updated;
    QProperty<Status> m_status;
    bool m_fetching = false;
    bool m_enabled = false;
    std::optional<Login> m_login;
    std::optional<MonotonicTime> m_pausedUntil;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
