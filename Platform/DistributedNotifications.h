#pragma once

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

// Notifications between processes of the same user: the command line's alert
// requests and usage announcements, and the diagnostic channel. A name is the
// reverse-domain identifier and a member, "com.brenvask.Quib.notify".
//
// Also answers the one question the command line asks of the app's side:
// whether the app runs. The app claims its name once at launch; a second
// launch finds the name taken and asks the running app to reopen instead.
class DistributedNotifications {
public:
    using UserInfo = QMap<QString, QString>;

    struct Notification {
        QString name;
        QString object;
        // None when the sender's user information was not a dictionary of
        // strings.
        std::optional<UserInfo> userInfo;
    };
    using Handler = std::function<void(const Notification &)>;

    virtual ~DistributedNotifications() = default;

    // Sends a notification; delivery is not confirmed.
    virtual void post(const QString &name, const QString &object, const UserInfo &userInfo) = 0;
    // Returns once every notification posted so far has left this process, so
    // a short-lived command can exit right after.
    virtual void flush() = 0;

    // Calls `handler` on the main thread for each notification of that name
    // from any sender. The observation lasts as long as this object.
    virtual void observe(const QString &name, Handler handler) = 0;

    // The app's claim to be the one running instance. False when another
    // process holds it (or there is no way to claim it).
    virtual bool claimApplication(const QString &identifier) = 0;
    // The process id of the running instance holding `identifier`, if any.
    virtual std::optional<qint64> applicationProcessId(const QString &identifier) const = 0;

    // A later launch of the app asks the running instance holding
    // `identifier` to reopen. False when no instance answered.
    virtual bool reopenApplication(const QString &identifier) = 0;
    // Calls `handler` on the main thread whenever a later launch asks this
    // instance to reopen. A request that arrives after the claim and before
    // the handler is set is handed to it when it is set.
    virtual void observeReopen(std::function<void()> handler) = 0;
};
