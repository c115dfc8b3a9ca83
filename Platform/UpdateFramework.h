#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

// Software updates: reads the app's update feed, compares what it offers with
// the running version, checks on its own schedule while automatic checks are
// on, remembers the last check, and shows an update by opening its page.
// Nothing happens before start(). Main thread only; the delegate is called on
// the main thread.
class UpdateFramework {
public:
    // An update that a feed offers.
    struct Update {
        // Compared with the running build's version.
        QString version;
        // What users read.
        QString displayVersion;
        // What showing the update opens: its web page, its release notes or
        // its download.
        QUrl page;

        bool operator==(const Update &) const = default;
    };

    // Who shows an update about to be shown.
    enum class Presenter { framework, application };

    class Delegate {
    public:
        virtual ~Delegate() = default;
        // The feed address to read instead of the build's; none keeps the
        // build's. Asked before every check.
        virtual std::optional<QString> feedURLString() = 0;
        // A scheduled or background check found `update`: true lets the
        // framework show it at once, false leaves it to the application (a
        // later user check then shows it without asking the feed again).
        virtual bool shouldShowScheduledUpdate(const Update &update) = 0;
        // `update` is about to be shown, by the framework or, for a scheduled
        // update left to it, by the application.
        virtual void willShowUpdate(Presenter presenter, const Update &update) = 0;
        // The framework showed `update` to the user.
        virtual void didReceiveUserAttention(const Update &update) = 0;
        // A check found an update newer than the running version.
        virtual void didFindValidUpdate(const Update &update) = 0;
        // A check found nothing newer.
        virtual void didNotFindUpdate() = 0;
        // lastUpdateCheckDate() changed.
        virtual void didChangeLastUpdateCheckDate() = 0;
    };

    virtual ~UpdateFramework() = default;

    // None ends the calls; the delegate must outlive its setting.
    virtual void setDelegate(Delegate *delegate) = 0;

    // Begins the automatic checks (while they are on). Once.
    virtual void start() = 0;
    // A check the user asked for: a found update is shown at once. Does
    // nothing before start().
    virtual void checkForUpdates() = 0;
    // A check as the schedule makes it, now. Does nothing before start().
    virtual void checkForUpdatesInBackground() = 0;

    // When the last check ended; none before the first.
    virtual std::optional<QDateTime> lastUpdateCheckDate() const = 0;

    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool on) = 0;
};
