#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One usage window of the coding agent: the percentage used and when it
// resets.
struct ClaudeUsageWindow {
    double used = 0;
    std::optional<QDateTime> resetsAt;

    bool operator==(const ClaudeUsageWindow &) const = default;
};

// The usage snapshot file shared by the app's poller and the
// `claude-statusline` command: {"five_hour":…,"seven_day":…,"updated":…},
// windows as {"used":…,"resets":…} or null, times in seconds since 1970
// ("resets" 0 when unknown). Replaced atomically; the last writer wins.
// Every failure is silent: a bad file reads as none.
class ClaudeUsageStore {
public:
    struct Snapshot {
        std::optional<ClaudeUsageWindow> fiveHour;
        std::optional<ClaudeUsageWindow> sevenDay;
        QDateTime updated;

        bool operator==(const Snapshot &) const = default;
    };

    // Announces a snapshot written by the command line to the running app.
    static const QString notification;

    ClaudeUsageStore() = delete;

    // $XDG_DATA_HOME/quib/claude-usage.json
    static QString defaultPath();

    static std::optional<Snapshot> read(const QString &path = defaultPath());
    static void write(const Snapshot &snapshot, const QString &path = defaultPath());
    static void remove(const QString &path = defaultPath());

    // The limits in the agent's status-line input ("rate_limits"), dated
    // `now`; none when neither window is usable.
    static std::optional<Snapshot> snapshot(const QJsonObject &statusLine, const QDateTime &now);
};
