#include "Platform/Linux/DBusSessionLock.h"

#include "Support/Log.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString screenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString loginService = QStringLiteral("org.freedesktop.login1");
const QString loginManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString loginManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString loginSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString applicationName = QStringLiteral("Quib");

} // namespace

QString DBusSessionLock::currentSessionId()
{
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    return id.isEmpty() ? QStringLiteral("auto") : id;
}

QString DBusSessionLock::sessionPath(const QString &id)
{
    // Every byte but an ASCII letter or digit (and a digit in front)
    // becomes "_" and two hex digits.
    QString label;
    const QByteArray bytes = id.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && i > 0))
            label += QLatin1Char(c);
        else
            label += QStringLiteral("_%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
    }
    if (label.isEmpty())
        label = QStringLiteral("_");
    return QStringLiteral("/org/freedesktop/login1/session/") + label;
}

DBusSessionLock::DBusSessionLock(const QDBusConnection &sessionBus, const QDBusConnection &systemBus, const QString &sessionId)
    : m_sessionBus(sessionBus)
    , m_systemBus(systemBus)
{
    // From any sender and path: lockers announce on more than one object.
    m_sessionBus.connect(QString(), QString(), screenSaverInterface, QStringLiteral("ActiveChanged"), this, SLOT(screenSaverActiveChanged(bool)));
    if (sessionId != QLatin1String("auto")) {
        followLoginSession(sessionPath(sessionId));
        return;
    }
    // logind's signals come from the session's own path, which only logind
    // knows for "auto".
    QDBusMessage call = QDBusMessage::createMethodCall(loginService, loginManagerPath, loginManagerInterface, QStringLiteral("GetSession"));
    call << sessionId;
    auto *watcher = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            qCInfo(lcPlatform, "Quib: no logind session (%s); the lock state comes from the screen locker alone", qPrintable(reply.error().message()));
            return;
        }
        followLoginSession(reply.value().path());
    });
}

DBusSessionLock::~DBusSessionLock()
{
    for (const Request &request : std::as_const(m_requests)) {
        if (request.cookie)
            unInhibit(*request.cookie);
    }
}

void DBusSessionLock::followLoginSession(const QString &path)
{
    m_systemBus.connect(loginService, path, loginSessionInterface, QStringLiteral("Lock"), this, SLOT(loginLock()));
    m_systemBus.connect(loginService, path, loginSessionInterface, QStringLiteral("Unlock"), this, SLOT(loginUnlock()));
    m_systemBus.connect(loginService, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                        SLOT(loginPropertiesChanged(QString, QVariantMap, QStringList)));
}

void DBusSessionLock::screenSaverActiveChanged(bool active)
{
    sourceChanged(Source::screenSaver, active);
}

void DBusSessionLock::loginLock()
{
    sourceChanged(Source::login, true);
}

void DBusSessionLock::loginUnlock()
{
    sourceChanged(Source::login, false);
}

void DBusSessionLock::loginPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
{
    const auto hint = changed.constFind(QStringLiteral("LockedHint"));
    if (interface == loginSessionInterface && hint != changed.cend())
        sourceChanged(Source::login, hint->toBool());
}

void DBusSessionLock::sourceChanged(Source source, bool locked)
{
    if (locked == m_lockedBy.has_value())
        return;
    // A source that did not lock cannot unlock: the locker may still cover
    // the screen.
    if (!locked && m_lockedBy != source)
        return;
    m_lockedBy = locked ? std::optional(source) : std::nullopt;
    const Change change = locked ? Change::locked : Change::unlocked;
    const auto handlers = m_handlers;
    for (const Handler &handler : handlers)
        handler(change);
}

SessionLock::Inhibition DBusSessionLock::keepDisplayAwake(const QString &reason, std::function<void(bool)> answered)
{
    const Inhibition inhibition = m_nextInhibition++;
    m_requests.insert(inhibition, Request{std::move(answered), std::nullopt, {}});
    QDBusMessage call = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverInterface, QStringLiteral("Inhibit"));
    call << applicationName << reason;
    auto *watcher = new QDBusPendingCallWatcher(m_sessionBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, inhibition, reason](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        const auto request = m_requests.find(inhibition);
        if (reply.isError()) {
            if (request == m_requests.end())
                return;
            // No screen saver on the bus: logind can hold the idle state.
            const QDBusError::ErrorType error = reply.error().type();
            if (error == QDBusError::ServiceUnknown || error == QDBusError::Disconnected)
                inhibitThroughLogin(inhibition, reason);
            else
                answer(inhibition, false);
            return;
        }
        if (request == m_requests.end()) {
            unInhibit(reply.value());
            return;
        }
        request->cookie = reply.value();
        answer(inhibition, true);
    });
    return inhibition;
}

void DBusSessionLock::inhibitThroughLogin(Inhibition inhibition, const QString &reason)
{
    QDBusMessage call = QDBusMessage::createMethodCall(loginService, loginManagerPath, loginManagerInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << applicationName << reason << QStringLiteral("block");
    auto *watcher = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, inhibition](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        const auto request = m_requests.find(inhibition);
        // Released meanwhile: the reply's descriptor closes with it.
        if (request == m_requests.end())
            return;
        if (reply.isError() || !reply.value().isValid()) {
            answer(inhibition, false);
            return;
        }
        request->descriptor = reply.value();
        answer(inhibition, true);
    });
}

void DBusSessionLock::answer(Inhibition inhibition, bool held)
{
    const auto request = m_requests.find(inhibition);
    std::function<void(bool)> answered = request->answered;
    if (!held)
        m_requests.erase(request);
    answered(held);
}

void DBusSessionLock::release(Inhibition inhibition)
{
    const auto request = m_requests.constFind(inhibition);
    if (request == m_requests.cend())
        return;
    if (request->cookie)
        unInhibit(*request->cookie);
    // A descriptor from logind closes as the request goes.
    m_requests.erase(request);
}

void DBusSessionLock::unInhibit(uint cookie)
{
    QDBusMessage call = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverInterface, QStringLiteral("UnInhibit"));
    call << cookie;
    m_sessionBus.asyncCall(call);
}
