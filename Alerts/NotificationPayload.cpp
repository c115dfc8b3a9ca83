#include "Alerts/NotificationPayload.h"

#include "Support/Text.h"

#include <plist/plist.h>

#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

// The top-level dictionary of `bytes`; null when they are not a property
// list or its top level is something else.
Plist parseDictionary(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return nullptr;
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), uint32_t(bytes.size()), &root);
    Plist parsed(root);
    if (!parsed || plist_get_node_type(root) != PLIST_DICT)
        return nullptr;
    return parsed;
}

plist_t requestOf(plist_t dictionary)
{
    plist_t request = plist_dict_get_item(dictionary, "req");
    return request && plist_get_node_type(request) == PLIST_DICT ? request : nullptr;
}

QString stringAt(plist_t dictionary, const char *key)
{
    plist_t item = plist_dict_get_item(dictionary, key);
    if (!item || plist_get_node_type(item) != PLIST_STRING)
        return {};
    // By pointer and length: a copy of a string that holds a NUL fails an
    // assertion inside the library.
    std::uint64_t length = 0;
    const char *value = plist_get_string_ptr(item, &length);
    return value ? QString::fromUtf8(value, qsizetype(length)) : QString();
}

QString sortedKeys(plist_t dictionary)
{
    QStringList keys;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dictionary, &iterator);
    for (;;) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dictionary, iterator, &key, &value);
        if (!key)
            break;
        keys.append(QString::fromUtf8(key));
        std::free(key);
    }
    std::free(iterator);
    keys.sort();
    return keys.join(u',');
}

QString cut(const QString &text, int length)
{
    return Text::prefixGraphemes(text.trimmed(), length);
}

} // namespace

std::optional<NotificationPayload::Texts> NotificationPayload::decode(const QByteArray &bytes)
{
    const Plist root = parseDictionary(bytes);
    if (!root)
        return std::nullopt;
    plist_t request = requestOf(root.get());
    if (!request)
        return std::nullopt;
    return Texts{cut(stringAt(request, "titl"), maximumTitleLength), cut(stringAt(request, "subt"), maximumSubtitleLength),
                 cut(stringAt(request, "body"), maximumBodyLength)};
}

QString NotificationPayload::summary(const QByteArray &bytes)
{
    const Plist root = parseDictionary(bytes);
    if (!root)
        return QStringLiteral("-");
    plist_t request = requestOf(root.get());
    return QStringLiteral("top[%1] req[%2] decode=%3")
        .arg(sortedKeys(root.get()), request ? sortedKeys(request) : QStringLiteral("sem req"),
             decode(bytes) ? QStringLiteral("true") : QStringLiteral("false"));
}
