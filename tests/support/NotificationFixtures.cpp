#include "NotificationFixtures.h"

#include <plist/plist.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <QFile>

#include <cstdlib>

namespace NotificationFixtures {

QByteArray plist(PlistFormat format, const QString &xml)
{
    const QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + xml.toUtf8() + "</plist>\n";
    plist_t root = nullptr;
    plist_from_xml(document.constData(), uint32_t(document.size()), &root);
    EXPECT_TRUE(root) << document.constData();
    char *bytes = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::xml)
        plist_to_xml(root, &bytes, &length);
    else
        plist_to_bin(root, &bytes, &length);
    const QByteArray result(bytes, length);
    std::free(bytes);
    plist_free(root);
    return result;
}

QByteArray payload(PlistFormat format, const std::optional<QString> &title, const std::optional<QString> &subtitle, const std::optional<QString> &body)
{
    QString entries;
    for (const auto &[key, value] : {std::pair{"titl", title}, std::pair{"subt", subtitle}, std::pair{"body", body}}) {
        if (value)
            entries += QStringLiteral("<key>%1</key><string>%2</string>").arg(QString::fromLatin1(key), value->toHtmlEscaped());
    }
    return plist(format, QStringLiteral("<dict><key>req</key><dict>%1</dict><key>uuid</key><string>x</string></dict>").arg(entries));
}

Database::Database(const QString &path)
{
    QFile::remove(path);
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &m_db), SQLITE_OK);
    execute("PRAGMA journal_mode=DELETE;"
            "CREATE TABLE app (app_id INTEGER PRIMARY KEY, identifier TEXT UNIQUE);"
            "CREATE TABLE record (rec_id INTEGER PRIMARY KEY AUTOINCREMENT, app_id INTEGER, data BLOB, delivered_date REAL,"
            " request_last_date REAL, presented INTEGER, style INTEGER);");
}

Database::~Database()
{
    sqlite3_close(m_db);
}

void Database::execute(const char *sql)
{
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
}

qint64 Database::add(const QString &identifier, const QByteArray &payload, std::optional<double> delivered)
{
    const QByteArray id = identifier.toUtf8();
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(m_db, "INSERT OR IGNORE INTO app (identifier) VALUES (?1)", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(m_db,
                       "INSERT INTO record (app_id, data, delivered_date, request_last_date, presented, style)"
                       " SELECT app_id, ?2, ?3, ?3, 1, 1 FROM app WHERE identifier = ?1",
                       -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
    if (payload.isNull())
        sqlite3_bind_null(statement, 2);
    else
        sqlite3_bind_blob(statement, 2, payload.constData(), int(payload.size()), SQLITE_TRANSIENT);
    if (delivered)
        sqlite3_bind_double(statement, 3, *delivered);
    else
        sqlite3_bind_null(statement, 3);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    return sqlite3_last_insert_rowid(m_db);
}

void Database::lock()
{
    execute("BEGIN EXCLUSIVE");
}

void Database::unlock()
{
    execute("COMMIT");
}

} // namespace NotificationFixtures
