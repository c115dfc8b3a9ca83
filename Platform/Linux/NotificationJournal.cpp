#include "Platform/Linux/NotificationJournal.h"

#include "Platform/Workspace.h"
#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <dbus/dbus.h>
#include <plist/plist.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QDateTime>
#include <QFileInfo>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

namespace {

const char *const notificationsInterface = "org.freedesktop.Notifications";
constexpr int busCallTimeoutMilliseconds = 1000;
constexpr int writeBusyTimeoutMilliseconds = 1000;
// rec_id grows with every record, also after old ones are pruned.
const char *const schema = "CREATE TABLE IF NOT EXISTS app (app_id INTEGER PRIMARY KEY, identifier TEXT UNIQUE);"
                           "CREATE TABLE IF NOT EXISTS record (rec_id INTEGER PRIMARY KEY AUTOINCREMENT, app_id INTEGER NOT NULL,"
                           " data BLOB, delivered_date REAL, request_last_date REAL, presented INTEGER, style INTEGER);";

// A private connection to the bus, closed and released with its owner.
struct Connection {
    DBusConnection *connection = nullptr;

    explicit Connection(const QByteArray &address)
    {
        DBusError error;
        dbus_error_init(&error);
        connection = dbus_connection_open_private(address.constData(), &error);
        if (connection && !dbus_bus_register(connection, &error)) {
            close();
        }
        if (dbus_error_is_set(&error)) {
            qCWarning(lcDBus, "Quib: the notification journal cannot reach the session bus (%s)", error.message);
            dbus_error_free(&error);
        }
    }
    ~Connection() { close(); }
    void close()
    {
        if (!connection)
            return;
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
};

// Sends `call` and waits for its reply; null on an error (logged when
// `purpose` is given).
DBusMessage *callAndWait(DBusConnection *connection, DBusMessage *call, const char *purpose = nullptr)
{
    DBusError error;
    dbus_error_init(&error);
    DBusMessage *reply = dbus_connection_send_with_reply_and_block(connection, call, busCallTimeoutMilliseconds, &error);
    dbus_message_unref(call);
    if (dbus_error_is_set(&error)) {
        if (purpose)
            qCWarning(lcDBus, "Quib: %s (%s)", purpose, error.message);
        dbus_error_free(&error);
    }
    return reply;
}

bool becomeMonitor(DBusConnection *connection)
{
    DBusMessage *call = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Monitoring", "BecomeMonitor");
    DBusMessageIter arguments;
    DBusMessageIter rules;
    dbus_message_iter_init_append(call, &arguments);
    const char *rule = "type='method_call',interface='org.freedesktop.Notifications',member='Notify'";
    dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING, &rules);
    dbus_message_iter_append_basic(&rules, DBUS_TYPE_STRING, &rule);
    dbus_message_iter_close_container(&arguments, &rules);
    const dbus_uint32_t flags = 0;
    dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &flags);
    DBusMessage *reply = callAndWait(connection, call, "the session bus refuses the notification journal");
    if (!reply)
        return false;
    dbus_message_unref(reply);
    return true;
}

qint64 processOf(DBusConnection *connection, const char *sender)
{
    if (!connection || !sender)
        return 0;
    DBusMessage *call = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetConnectionUnixProcessID");
    dbus_message_append_args(call, DBUS_TYPE_STRING, &sender, DBUS_TYPE_INVALID);
    // The sender may be gone already: then its process is unknown.
    DBusMessage *reply = callAndWait(connection, call);
    if (!reply)
        return 0;
    dbus_uint32_t pid = 0;
    if (!dbus_message_get_args(reply, nullptr, DBUS_TYPE_UINT32, &pid, DBUS_TYPE_INVALID))
        pid = 0;
    dbus_message_unref(reply);
    return pid;
}

QString readString(DBusMessageIter *iterator)
{
    if (dbus_message_iter_get_arg_type(iterator) != DBUS_TYPE_STRING)
        return {};
    const char *value = nullptr;
    dbus_message_iter_get_basic(iterator, &value);
    return QString::fromUtf8(value);
}

// The "desktop-entry" string of a Notify call's hints (a{sv}).
QString desktopEntryHint(DBusMessageIter *hints)
{
    if (dbus_message_iter_get_arg_type(hints) != DBUS_TYPE_ARRAY)
        return {};
    DBusMessageIter entries;
    dbus_message_iter_recurse(hints, &entries);
    for (; dbus_message_iter_get_arg_type(&entries) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&entries)) {
        DBusMessageIter entry;
        dbus_message_iter_recurse(&entries, &entry);
        if (readString(&entry) != u"desktop-entry" || !dbus_message_iter_next(&entry) || dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_VARIANT)
            continue;
        DBusMessageIter value;
        dbus_message_iter_recurse(&entry, &value);
        return readString(&value);
    }
    return {};
}

// Reads the arguments of a Notify call (susssasa{sv}i); none when they
// have another shape.
std::optional<NotificationJournal::Call> readCall(DBusMessage *message)
{
    if (!dbus_message_has_signature(message, "susssasa{sv}i"))
        return std::nullopt;
    NotificationJournal::Call call;
    DBusMessageIter arguments;
    dbus_message_iter_init(message, &arguments);
    call.appName = readString(&arguments);
    dbus_message_iter_next(&arguments); // replaces_id
    dbus_message_iter_next(&arguments); // app_icon
    dbus_message_iter_next(&arguments);
    call.summary = readString(&arguments);
    dbus_message_iter_next(&arguments);
    call.body = readString(&arguments);
    dbus_message_iter_next(&arguments); // actions
    dbus_message_iter_next(&arguments);
    call.desktopEntry = desktopEntryHint(&arguments);
    return call;
}

bool execute(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    qCWarning(lcAlerts, "Quib: the notification journal cannot write its database (%s)", message);
    sqlite3_free(message);
    return false;
}

} // namespace

struct NotificationJournal::Private {
    const Workspace &workspace;
    const QByteArray busAddress;
    const QString path;
    std::atomic<bool> stopping{false};
    std::atomic<bool> watching{false};
    // Wakes the bus thread, which otherwise sleeps until the bus has traffic.
    const int stopSignal = ::eventfd(0, EFD_CLOEXEC);
    // Lives on the main thread: the bus thread hands it each call.
    QObject receiver;
    QThread writerThread;
    // Lives on writerThread, as does the database connection.
    QObject *writer = new QObject;
    sqlite3 *db = nullptr;
    std::thread busThread;

    Private(const Workspace &workspace, const QString &busAddress, const QString &path)
        : workspace(workspace)
        , busAddress(busAddress.toUtf8())
        , path(path)
    {
        writerThread.setObjectName(QStringLiteral("quib-journal-writer"));
        writer->moveToThread(&writerThread);
        writerThread.start();
        // The database exists from the start, so a reader can open it before
        // the first notification.
        QMetaObject::invokeMethod(writer, [this] { openDatabase(); }, Qt::QueuedConnection);
        busThread = std::thread([this] { watchBus(); });
    }

    ~Private()
    {
        stopping = true;
        const uint64_t one = 1;
        if (::write(stopSignal, &one, sizeof one) < 0)
            qCWarning(lcDBus, "Quib: could not wake the notification journal's bus thread");
        busThread.join();
        ::close(stopSignal);
        writerThread.quit();
        writerThread.wait();
        delete writer;
        sqlite3_close(db);
    }

    void watchBus()
    {
        Connection monitor(busAddress);
        // Monitors may not send; a second connection asks the bus who sent.
        Connection queries(busAddress);
        if (!monitor.connection || !becomeMonitor(monitor.connection))
            return;
        watching = true;
        int busSocket = -1;
        if (stopSignal < 0 || !dbus_connection_get_unix_fd(monitor.connection, &busSocket))
            return;
        while (!stopping) {
            pollfd waits[] = {{busSocket, POLLIN, 0}, {stopSignal, POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0 && errno != EINTR)
                break;
            if (stopping || !dbus_connection_read_write(monitor.connection, 0))
                break;
            while (DBusMessage *message = dbus_connection_pop_message(monitor.connection)) {
                if (dbus_message_is_method_call(message, notificationsInterface, "Notify")) {
                    if (auto call = readCall(message)) {
                        call->processIdentifier = processOf(queries.connection, dbus_message_get_sender(message));
                        QMetaObject::invokeMethod(&receiver, [this, call = *call] { record(call); }, Qt::QueuedConnection);
                    }
                }
                dbus_message_unref(message);
            }
        }
        watching = false;
        if (!stopping)
            qCWarning(lcDBus, "Quib: the notification journal lost the session bus; other applications' notifications stop");
    }

    // On the main thread: the sender's identity, then the write.
    void record(const Call &call)
    {
        const QString app = identifier(call, workspace);
        const QByteArray data = payload(call);
        const double delivered = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        QMetaObject::invokeMethod(writer, [this, app, data, delivered] { write(app, data, delivered); }, Qt::QueuedConnection);
    }

    // Makes the database file with its tables in one step: a reader may open
    // the file as soon as it exists, and without the tables it would take
    // the file for no notification database.
    bool createDatabase() const
    {
        sqlite3 *memory = nullptr;
        sqlite3_open(":memory:", &memory);
        sqlite3_int64 size = 0;
        unsigned char *image = execute(memory, schema) ? sqlite3_serialize(memory, "main", &size, 0) : nullptr;
        sqlite3_close(memory);
        QString error = QStringLiteral("no database image");
        const bool written = image && AtomicFile::write(path, QByteArray(reinterpret_cast<const char *>(image), qsizetype(size)), &error);
        sqlite3_free(image);
        if (!written)
            qCWarning(lcAlerts, "Quib: the notification journal cannot create %s (%s)", qPrintable(path), qPrintable(error));
        return written;
    }

    bool openDatabase()
    {
        if (db)
            return true;
        if (!QFileInfo::exists(path) && !createDatabase())
            return false;
        sqlite3 *opened = nullptr;
        if (sqlite3_open_v2(path.toUtf8().constData(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            qCWarning(lcAlerts, "Quib: the notification journal cannot open %s (%s)", qPrintable(path), sqlite3_errmsg(opened));
            sqlite3_close(opened);
            return false;
        }
        sqlite3_busy_timeout(opened, writeBusyTimeoutMilliseconds);
        db = opened;
        // A file that was not made in one step (by an earlier version) may
        // lack the tables.
        return execute(db, schema);
    }

    void write(const QString &app, const QByteArray &data, double delivered)
    {
        if (!openDatabase())
            return;
        sqlite3_stmt *insert = nullptr;
        const char *sql = "INSERT OR IGNORE INTO app (identifier) VALUES (?1);"
                          "INSERT INTO record (app_id, data, delivered_date, request_last_date, presented, style)"
                          " SELECT app_id, ?2, ?3, ?3, 1, 1 FROM app WHERE identifier = ?1;"
                          "DELETE FROM record WHERE rec_id <= last_insert_rowid() - ?4;"
                          "DELETE FROM app WHERE app_id NOT IN (SELECT app_id FROM record);";
        if (!execute(db, "BEGIN IMMEDIATE"))
            return;
        const QByteArray identifier = app.toUtf8();
        bool written = true;
        // The statements share their parameters; each is prepared and run in turn.
        for (const char *next = sql; written && *next;) {
            written = sqlite3_prepare_v2(db, next, -1, &insert, &next) == SQLITE_OK;
            if (!written || !insert)
                break;
            // A numbered parameter ?N has the index N.
            for (int index = 1; index <= sqlite3_bind_parameter_count(insert); ++index) {
                switch (index) {
                case 1: sqlite3_bind_text(insert, index, identifier.constData(), int(identifier.size()), SQLITE_TRANSIENT); break;
                case 2: sqlite3_bind_blob(insert, index, data.constData(), int(data.size()), SQLITE_TRANSIENT); break;
                case 3: sqlite3_bind_double(insert, index, delivered); break;
                case 4: sqlite3_bind_int(insert, index, keptRecords); break;
                }
            }
            written = sqlite3_step(insert) == SQLITE_DONE;
            sqlite3_finalize(insert);
            insert = nullptr;
        }
        if (!written)
            qCWarning(lcAlerts, "Quib: the notification journal cannot write its database (%s)", sqlite3_errmsg(db));
        execute(db, written ? "COMMIT" : "ROLLBACK");
    }
};

NotificationJournal::NotificationJournal(const Workspace &workspace, const QString &busAddress, const QString &path)
    : d(std::make_unique<Private>(workspace, busAddress, path))
{
}

NotificationJournal::~NotificationJournal() = default;

bool NotificationJournal::isWatching() const
{
    return d->watching;
}

QString NotificationJournal::identifier(const Call &call, const Workspace &workspace)
{
    if (!call.desktopEntry.isEmpty())
        return call.desktopEntry.endsWith(u".desktop") ? call.desktopEntry.chopped(8) : call.desktopEntry;
    if (!call.appName.isEmpty() && workspace.urlForApplication(call.appName))
        return call.appName;
    if (const auto application = workspace.runningApplication(call.processIdentifier))
        return application->bundleIdentifier;
    return call.appName;
}

QByteArray NotificationJournal::payload(const Call &call)
{
    plist_t request = plist_new_dict();
    plist_dict_set_item(request, "titl", plist_new_string(call.summary.toUtf8().constData()));
    plist_dict_set_item(request, "body", plist_new_string(call.body.toUtf8().constData()));
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "req", request);
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    const QByteArray data(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return data;
}
