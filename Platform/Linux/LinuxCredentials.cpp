#include "Platform/Linux/LinuxCredentials.h"

#include "Support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <libsecret/secret.h>

namespace {

// The secret of the first item of the Secret Service whose attribute
// "service" equals `service`.
Credentials::Item readSecretService(const QString &service, Credentials::Interaction interaction)
{
    const QByteArray name = service.toUtf8();
    GHashTable *attributes = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(attributes, const_cast<char *>("service"), const_cast<char *>(name.constData()));
    int flags = SECRET_SEARCH_LOAD_SECRETS;
    if (interaction == Credentials::Interaction::allowed)
        flags |= SECRET_SEARCH_UNLOCK;
    GError *error = nullptr;
    GList *items = secret_service_search_sync(nullptr, nullptr, attributes, static_cast<SecretSearchFlags>(flags), nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) {
        // No Secret Service on this desktop: nothing is stored there.
        qCDebug(lcPlatform, "Quib: secret service unavailable: %s", error->message);
        g_error_free(error);
        return {Credentials::Item::Status::missing, {}};
    }
    Credentials::Item result{Credentials::Item::Status::missing, {}};
    if (items) {
        auto *item = SECRET_ITEM(items->data);
        if (SecretValue *value = secret_item_get_secret(item)) {
            gsize length = 0;
            const gchar *data = secret_value_get(value, &length);
            result = {Credentials::Item::Status::found, QByteArray(data, static_cast<qsizetype>(length))};
            secret_value_unref(value);
        } else if (secret_item_get_locked(item)) {
            result.status = Credentials::Item::Status::needsPermission;
        }
    }
    g_list_free_full(items, g_object_unref);
    return result;
}

} // namespace

LinuxCredentials::LinuxCredentials(QHash<QString, QString> filesByService)
    : m_files(std::move(filesByService))
{
}

QHash<QString, QString> LinuxCredentials::defaultFiles()
{
    return {{QStringLiteral("Claude Code-credentials"), QDir::homePath() + QStringLiteral("/.claude/.credentials.json")}};
}

Credentials::Item LinuxCredentials::read(const QString &service, Interaction interaction)
{
    if (const auto path = m_files.constFind(service); path != m_files.constEnd() && QFileInfo::exists(*path)) {
        QFile file(*path);
        if (file.open(QIODevice::ReadOnly))
            return {Item::Status::found, file.readAll()};
        // The file is there but not ours to read.
        return {Item::Status::needsPermission, {}};
    }
    return readSecretService(service, interaction);
}
