#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

// A python3-dbusmock template serving on a test's private bus as the system
// service it stands in for (the bus's address is its system bus), or a bare
// dbusmock object that a test fills with methods (the bus's address is its
// session bus). Stopped when destroyed; start() brings it back.
class DBusMockTemplate {
public:
    // `service`: the name the template takes on the bus, which tells that it
    // is ready.
    DBusMockTemplate(const QString &busAddress, const QString &templateName, const QString &service);
    // A bare object `path` with `interface` under `service`, no methods yet
    // (add them with the mock interface's AddMethod).
    struct Object {
        QString service;
        QString path;
        QString interface;
    };
    DBusMockTemplate(const QString &busAddress, const Object &object);
    ~DBusMockTemplate();
    DBusMockTemplate(const DBusMockTemplate &) = delete;
    DBusMockTemplate &operator=(const DBusMockTemplate &) = delete;

    // Starts the template and waits, bounded, until it holds its name.
    bool start();
    // Ends it and waits, bounded, until its name is gone from the bus.
    bool stop();
    bool isRunning() const;
    // What the template wrote, for failure messages.
    QByteArray log();

    // Calls `method` on the template's object `path`; false (with the error
    // in log()) when the call fails.
    bool call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments);
    // The same, with the reply's arguments; none when the call fails.
    std::optional<QVariantList> ask(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments);
    // Changes properties of `path` in one change signal (dbusmock's
    // UpdateProperties).
    bool updateProperties(const QString &path, const QString &interface, const QVariantMap &properties);

private:
    bool holdsName() const;

    QString m_busAddress;
    // The arguments of `python3 -m dbusmock`, and the bus they serve on.
    QStringList m_arguments;
    bool m_systemBus;
    QString m_service;
    QDBusConnection m_connection;
    QProcess m_process;
    QByteArray m_errors;
};
