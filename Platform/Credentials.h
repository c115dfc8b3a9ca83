#pragma once

#include <QByteArray>
#include <QString>

// Logins that other programs stored for the user, read by service name. The
// data is handed to the caller and kept nowhere else.
class Credentials {
public:
    enum class Interaction { forbidden, allowed };

    struct Item {
        enum class Status { found, missing, needsPermission };
        Status status = Status::missing;
        QByteArray data;
    };

    virtual ~Credentials() = default;

    // With Interaction::forbidden the system never asks the user; a login
    // that cannot be read without asking gives needsPermission.
    virtual Item read(const QString &service, Interaction interaction) = 0;
};
