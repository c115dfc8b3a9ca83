#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

// A read-only connection to the notification database and the cursor of
// the records already seen. Opened without SQLite's mutex: one thread at a
// time uses it.
class NotificationDatabaseReader {
public:
    static constexpr int busyTimeoutMilliseconds = 200;
    static constexpr int recordsPerRead = 20;

    // A new record: the posting application's identifier and the payload.
    struct Record {
        QString identifier;
        QByteArray payload;
        bool operator==(const Record &) const = default;
    };

    NotificationDatabaseReader() = default;
    ~NotificationDatabaseReader();
    NotificationDatabaseReader(const NotificationDatabaseReader &) = delete;
    NotificationDatabaseReader &operator=(const NotificationDatabaseReader &) = delete;

    // Whether the database file at `path` can be read: the one test of
    // access to the notifications.
    static bool isReadable(const QString &path);

    // Opens `path` read-only and moves the cursor to the newest record, so
    // records delivered while the connection was closed are never read.
    // False when the file cannot be opened or its newest record read.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // The records after the cursor, at most 20, in record order, moving the
    // cursor past each (also past the ones left out for having no payload).
    // None when the statement does not prepare: the connection is closed
    // then. A step that fails (a busy database) ends the read early.
    std::optional<QList<Record>> readNew();
    // Every identifier of the application table; none without a connection
    // or when the statement does not prepare.
    std::optional<QStringList> identifiers();

    // "lastID: <n>" and the SQL of every table, one per line.
    QString schemaText();
    // The 40 newest records, one line each, after "lastID: <n>"; "sem acesso
    // ao banco" without a connection.
    QString recentText();

    qint64 lastID() const { return m_lastID; }
    double lastDelivered() const { return m_lastDelivered; }

private:
    // A one-row, one-column query; none without a connection, when it does
    // not prepare or yields no row.
    std::optional<qint64> scalar(const char *sql);
    std::optional<double> real(const char *sql);

    sqlite3 *m_db = nullptr;
    qint64 m_lastID = 0;
    double m_lastDelivered = 0;
};
