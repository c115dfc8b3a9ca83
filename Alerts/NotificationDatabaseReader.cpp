#include "Alerts/NotificationDatabaseReader.h"

#include "Alerts/NotificationPayload.h"

#include <sqlite3.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Statement prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (!db || sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return Statement(statement);
}

QString textAt(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)), sqlite3_column_bytes(statement, column));
}

QByteArray blobAt(sqlite3_stmt *statement, int column)
{
    const void *bytes = sqlite3_column_blob(statement, column);
    return QByteArray(static_cast<const char *>(bytes), bytes ? sqlite3_column_bytes(statement, column) : 0);
}

// A date as a whole number; a value that is not finite as it is.
QString wholeNumber(sqlite3_stmt *statement, int column)
{
    const double value = sqlite3_column_double(statement, column);
    return std::isfinite(value) ? QString::number(qint64(value)) : QString::number(value);
}

} // namespace

NotificationDatabaseReader::~NotificationDatabaseReader()
{
    close();
}

bool NotificationDatabaseReader::isReadable(const QString &path)
{
    const QFileInfo file(path);
    return file.isFile() && file.isReadable();
}

bool NotificationDatabaseReader::open(const QString &path)
{
    close();
    if (!isReadable(path))
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, busyTimeoutMilliseconds);
    m_db = db;
    // A cursor that cannot be read (a busy database, a file that is no
    // notification database) fails the open: taken as 0 it would replay
    // every old record once the database can be read.
    const auto lastID = scalar("SELECT IFNULL(MAX(rec_id), 0) FROM record");
    const auto lastDelivered = real("SELECT IFNULL(MAX(delivered_date), 0) FROM record");
    if (!lastID || !lastDelivered) {
        close();
        return false;
    }
    m_lastID = *lastID;
    m_lastDelivered = *lastDelivered;
    return true;
}

void NotificationDatabaseReader::close()
{
    sqlite3_close(m_db);
    m_db = nullptr;
}

std::optional<QList<NotificationDatabaseReader::Record>> NotificationDatabaseReader::readNew()
{
    if (!m_db)
        return QList<Record>();
    const Statement statement = prepare(m_db,
                                        "SELECT r.rec_id, a.identifier, r.data, IFNULL(r.delivered_date, 0) FROM record r\n"
                                        "JOIN app a ON a.app_id = r.app_id\n"
                                        "WHERE r.rec_id > ?1 OR r.delivered_date > ?2 ORDER BY r.rec_id LIMIT 20");
    if (!statement) {
        close();
        return std::nullopt;
    }
    sqlite3_bind_int64(statement.get(), 1, m_lastID);
    sqlite3_bind_double(statement.get(), 2, m_lastDelivered);
    QList<Record> records;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        m_lastID = std::max<qint64>(m_lastID, sqlite3_column_int64(statement.get(), 0));
        m_lastDelivered = std::max(m_lastDelivered, sqlite3_column_double(statement.get(), 3));
        QByteArray payload = blobAt(statement.get(), 2);
        if (!payload.isEmpty())
            records.append({textAt(statement.get(), 1), std::move(payload)});
    }
    return records;
}

std::optional<QStringList> NotificationDatabaseReader::identifiers()
{
    const Statement statement = prepare(m_db, "SELECT identifier FROM app");
    if (!statement)
        return std::nullopt;
    QStringList found;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        if (sqlite3_column_type(statement.get(), 0) != SQLITE_NULL)
            found.append(textAt(statement.get(), 0));
    }
    return found;
}

QString NotificationDatabaseReader::schemaText()
{
    QStringList lines{QStringLiteral("lastID: %1").arg(m_lastID)};
    if (const Statement statement = prepare(m_db, "SELECT sql FROM sqlite_master WHERE type='table'")) {
        while (sqlite3_step(statement.get()) == SQLITE_ROW) {
            if (sqlite3_column_type(statement.get(), 0) != SQLITE_NULL)
                lines.append(textAt(statement.get(), 0));
        }
    }
    return lines.join(u'\n');
}

QString NotificationDatabaseReader::recentText()
{
    if (!m_db)
        return QStringLiteral("sem acesso ao banco");
    QStringList lines{QStringLiteral("lastID: %1").arg(m_lastID)};
    const Statement statement = prepare(m_db,
                                        "SELECT r.rec_id, a.identifier, r.delivered_date, r.request_last_date, r.presented, r.style, r.data FROM record r\n"
                                        "JOIN app a ON a.app_id = r.app_id ORDER BY r.rec_id DESC LIMIT 40");
    while (statement && sqlite3_step(statement.get()) == SQLITE_ROW) {
        sqlite3_stmt *row = statement.get();
        lines.append(QStringLiteral("%1 %2 deliv=%3 last=%4 pres=%5 style=%6 %7")
                         .arg(QString::number(sqlite3_column_int64(row, 0)), textAt(row, 1), wholeNumber(row, 2), wholeNumber(row, 3),
                              textAt(row, 4), textAt(row, 5), NotificationPayload::summary(blobAt(row, 6))));
    }
    return lines.join(u'\n');
}

std::optional<qint64> NotificationDatabaseReader::scalar(const char *sql)
{
    const Statement statement = prepare(m_db, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int64(statement.get(), 0);
}

std::optional<double> NotificationDatabaseReader::real(const char *sql)
{
    const Statement statement = prepare(m_db, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_double(statement.get(), 0);
}
