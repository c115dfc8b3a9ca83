#include "Platform/Linux/DBusNotifications.h"

#include "Platform/Linux/DBusSessionBus.h"

#include "Support/Log.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>

const QString DBusNotifications::objectPath = QString::fromLatin1(DBusSessionBus::objectPath);

namespace {

struct SignalName {
    QString interface;
    QString member;
};

std::optional<SignalName> split(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return std::nullopt;
    return SignalName{name.left(dot), name.mid(dot + 1)};
}

// Accepts a{ss}, and a{sv} whose values are all strings; anything else is
// not a dictionary of strings.
std::optional<DistributedNotifications::UserInfo> readUserInfo(const QVariant &argument)
{
    if (!argument.canConvert<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument dbus = argument.value<QDBusArgument>();
    if (dbus.currentType() != QDBusArgument::MapType)
        return std::nullopt;
    const QString signature = dbus.currentSignature();
    if (signature != u"a{ss}" && signature != u"a{sv}")
        return std::nullopt;
    DistributedNotifications::UserInfo info;
    const bool variants = signature == u"a{sv}";
    bool allStrings = true;
    dbus.beginMap();
    while (!dbus.atEnd()) {
        QString key;
        dbus.beginMapEntry();
        dbus >> key;
        if (variants) {
            QDBusVariant value;
            dbus >> value;
            const QVariant inner = value.variant();
            if (inner.typeId() == QMetaType::QString)
                info.insert(key, inner.toString());
            else
                allStrings = false;
        } else {
            QString value;
            dbus >> value;
            info.insert(key, value);
        }
        dbus.endMapEntry();
    }
    dbus.endMap();
    if (!allStrings)
        return std::nullopt;
    return info;
}

// Without a session bus nothing can reach the app and nothing can be posted.
class InertNotifications final : public DistributedNotifications {
public:
    void post(const QString &, const QString &, const UserInfo &) override {}
    void flush() override {}
    void observe(const QString &, Handler) override {}
    bool claimApplication(const QString &) override { return true; }
    std::optional<qint64> applicationProcessId(const QString &) const override { return std::nullopt; }
    bool reopenApplication(const QString &) override { return false; }
    void observeReopen(std::function<void()>) override {}
};

} // namespace

std::unique_ptr<DistributedNotifications> makeSessionNotifications()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        return std::make_unique<DBusNotifications>(bus);
    return std::make_unique<InertNotifications>();
}

DBusNotifications::DBusNotifications(const QDBusConnection &connection)
    : m_connection(connection)
{
    qDBusRegisterMetaType<UserInfo>();
}

void DBusNotifications::post(const QString &name, const QString &object, const UserInfo &userInfo)
{
    const auto signal = split(name);
    if (!signal) {
        qCWarning(lcDBus, "Quib: not a notification name: %s", qPrintable(name));
        return;
    }
    QDBusMessage message = QDBusMessage::createSignal(objectPath, signal->interface, signal->member);
    message << object << QVariant::fromValue(userInfo);
    if (!m_connection.send(message))
        qCWarning(lcDBus, "Quib: could not post %s: %s", qPrintable(name), qPrintable(m_connection.lastError().message()));
}

void DBusNotifications::flush()
{
    // Messages on one connection leave in order: once the bus has answered a
    // call, every signal sent before it has been written.
    if (!m_connection.isConnected())
        return;
    QDBusMessage ping = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                       QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    m_connection.call(ping, QDBus::Block, 5000);
}

void DBusNotifications::observe(const QString &name, Handler handler)
{
    const auto signal = split(name);
    if (!signal)
        return;
    const bool firstForName = std::none_of(m_handlers.begin(), m_handlers.end(), [&](const auto &entry) { return entry.first == name; });
    m_handlers.emplace_back(name, std::move(handler));
    if (firstForName
        && !m_connection.connect(QString(), objectPath, signal->interface, signal->member, this, SLOT(deliver(QDBusMessage))))
        qCWarning(lcDBus, "Quib: could not observe %s: %s", qPrintable(name), qPrintable(m_connection.lastError().message()));
}

DistributedNotifications::Notification DBusNotifications::decode(const QDBusMessage &message)
{
    Notification notification;
    notification.name = message.interface() + u'.' + message.member();
    const QVariantList arguments = message.arguments();
    if (!arguments.isEmpty() && arguments.at(0).typeId() == QMetaType::QString)
        notification.object = arguments.at(0).toString();
    if (arguments.size() >= 2)
        notification.userInfo = readUserInfo(arguments.at(1));
    else
        notification.userInfo = UserInfo();
    if (arguments.size() > 2 || (!arguments.isEmpty() && arguments.at(0).typeId() != QMetaType::QString))
        notification.userInfo = std::nullopt;
    return notification;
}

void DBusNotifications::deliver(const QDBusMessage &message)
{
    const Notification notification = decode(message);
    // A handler may observe further names; iterate over a copy.
    const auto handlers = m_handlers;
    for (const auto &[name, handler] : handlers) {
        if (name == notification.name)
            handler(notification);
    }
}

bool DBusNotifications::claimApplication(const QString &identifier)
{
    QDBusConnectionInterface *bus = m_connection.interface();
    if (!bus)
        return false;
    // The object answers before the name is ours, so a later launch that
    // finds the name never finds it without its method.
    if (!m_connection.objectRegisteredAt(objectPath) && !m_connection.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots))
        qCWarning(lcDBus, "Quib: could not offer reopen on the session bus: %s", qPrintable(m_connection.lastError().message()));
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
        = bus->registerService(identifier, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

std::optional<qint64> DBusNotifications::applicationProcessId(const QString &identifier) const
{
    QDBusConnectionInterface *bus = m_connection.interface();
    if (!bus)
        return std::nullopt;
    const QDBusReply<uint> reply = bus->servicePid(identifier);
    if (!reply.isValid())
        return std::nullopt;
    return static_cast<qint64>(reply.value());
}

bool DBusNotifications::reopenApplication(const QString &identifier)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(identifier, objectPath, QStringLiteral("com.brenvask.Quib"), QStringLiteral("reopen"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qCWarning(lcDBus, "Quib: the running Quib did not answer the reopen request: %s", qPrintable(reply.errorMessage()));
    return false;
}

void DBusNotifications::observeReopen(std::function<void()> handler)
{
    m_reopenHandler = std::move(handler);
    if (m_reopenPending && m_reopenHandler) {
        m_reopenPending = false;
        m_reopenHandler();
    }
}

void DBusNotifications::reopen()
{
    if (m_reopenHandler)
        m_reopenHandler();
    else
        m_reopenPending = true;
}
