#pragma once

#include "Platform/DistributedNotifications.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>
#include <vector>

class QDBusMessage;

// Distributed notifications as D-Bus signals on the session bus. A
// notification "com.brenvask.Quib.notify" is the signal `notify` of interface
// "com.brenvask.Quib" on object /com/brenvask/Quib, with two arguments: the
// object (s) and the user information (a{ss}); see
// Resources/dbus/com.brenvask.Quib.xml. The app's claim is ownership of the
// bus name equal to its identifier.
//
// The app that holds the name also answers the method `reopen` on the same
// object and interface, which a later launch calls.
class DBusNotifications final : public QObject, public DistributedNotifications {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.brenvask.Quib")
public:
    static const QString objectPath;

    explicit DBusNotifications(const QDBusConnection &connection);

    void post(const QString &name, const QString &object, const UserInfo &userInfo) override;
    void flush() override;
    void observe(const QString &name, Handler handler) override;
    bool claimApplication(const QString &identifier) override;
    std::optional<qint64> applicationProcessId(const QString &identifier) const override;
    bool reopenApplication(const QString &identifier) override;
    void observeReopen(std::function<void()> handler) override;

public Q_SLOTS:
    // The D-Bus method `reopen`, called by a later launch.
    Q_SCRIPTABLE void reopen();

    // Reads a signal's arguments; exposed for tests of malformed senders.
    static Notification decode(const QDBusMessage &message);

private Q_SLOTS:
    void deliver(const QDBusMessage &message);

private:
    QDBusConnection m_connection;
    std::vector<std::pair<QString, Handler>> m_handlers;
    std::function<void()> m_reopenHandler;
    bool m_reopenPending = false;
};

// The notifications of the session bus. Without one (no address, or nothing
// listening there) they are inert: posts go nowhere, no app is found, and
// nothing is said about it; whether a missing bus deserves a warning is the
// caller's business.
std::unique_ptr<DistributedNotifications> makeSessionNotifications();
