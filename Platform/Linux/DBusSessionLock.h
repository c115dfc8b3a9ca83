#pragma once

#include "Platform/SessionLock.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <optional>
#include <vector>

// The lock state from two sources: the screen locker's
// org.freedesktop.ScreenSaver.ActiveChanged on the session bus, and logind's
// session object of this session on the system bus (its Lock and Unlock
// signals and its LockedHint property). Either source locks; only the one
// that locked unlocks, and only changes of the state are announced.
//
// The display is kept awake through the screen saver's Inhibit (a cookie
// given back with UnInhibit) or, where no screen saver answers, through
// logind's "idle" inhibitor (a file descriptor closed to release). Every call
// is asynchronous.
class DBusSessionLock final : public QObject, public SessionLock {
    Q_OBJECT
public:
    // logind's id of this process's session: XDG_SESSION_ID, else "auto"
    // (the session logind finds for the caller).
    static QString currentSessionId();

    DBusSessionLock(const QDBusConnection &sessionBus, const QDBusConnection &systemBus, const QString &sessionId);
    ~DBusSessionLock() override;

    void observe(Handler handler) override { m_handlers.push_back(std::move(handler)); }
    Inhibition keepDisplayAwake(const QString &reason, std::function<void(bool)> answered) override;
    void release(Inhibition inhibition) override;

    // The object path logind gives the session `id` (its label escaping).
    static QString sessionPath(const QString &id);

private Q_SLOTS:
    void screenSaverActiveChanged(bool active);
    void loginLock();
    void loginUnlock();
    void loginPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);

private:
    enum class Source { screenSaver, login };
    struct Request {
        std::function<void(bool)> answered;
        // Set once held: the screen saver's cookie, or logind's descriptor.
        std::optional<uint> cookie;
        QDBusUnixFileDescriptor descriptor;
    };

    void followLoginSession(const QString &path);
    void sourceChanged(Source source, bool locked);
    void inhibitThroughLogin(Inhibition inhibition, const QString &reason);
    void answer(Inhibition inhibition, bool held);
    void unInhibit(uint cookie);

    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    std::vector<Handler> m_handlers;
    // The source that locked the session; none while unlocked.
    std::optional<Source> m_lockedBy;
    QHash<Inhibition, Request> m_requests;
    Inhibition m_nextInhibition = 1;
};
