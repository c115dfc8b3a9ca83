#pragma once

#include "Platform/Credentials.h"

#include <QHash>

// Stored logins on Linux. A service may name a file that its own program
// keeps in the user's home folder (the coding agent keeps its login in
// ~/.claude/.credentials.json); that file is read first. Otherwise the
// Secret Service (libsecret) is searched for an item whose attribute
// "service" is the service name; a locked item is unlocked, with the
// keyring's prompt, only when interaction is allowed.
class LinuxCredentials final : public Credentials {
public:
    explicit LinuxCredentials(QHash<QString, QString> filesByService = defaultFiles());

    // "Claude Code-credentials" → ~/.claude/.credentials.json
    static QHash<QString, QString> defaultFiles();

    Item read(const QString &service, Interaction interaction) override;

private:
    QHash<QString, QString> m_files;
};
