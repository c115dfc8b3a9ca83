#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct sqlite3;

// Property-list payloads and notification databases written the way the
// journal writes them, for the tests of their readers.
namespace NotificationFixtures {

enum class PlistFormat { xml, binary };

// A payload whose "req" dictionary holds the texts that are given.
QByteArray payload(PlistFormat format, const std::optional<QString> &title, const std::optional<QString> &subtitle = std::nullopt,
                   const std::optional<QString> &body = std::nullopt);
// A property list of `xml` (a document body without the header), written in
// `format`.
QByteArray plist(PlistFormat format, const QString &xml);

// A notification database in a file: the two tables, a rollback journal.
class Database {
public:
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Adds a record of application `identifier` (added to the application
    // table when new); a delivery date of none is stored as null. Returns
    // its record id.
    qint64 add(const QString &identifier, const QByteArray &payload, std::optional<double> delivered = 1000);
    // Takes the exclusive lock (no reader gets through) until unlock().
    void lock();
    void unlock();
    void execute(const char *sql);

private:
    sqlite3 *m_db = nullptr;
};

} // namespace NotificationFixtures
