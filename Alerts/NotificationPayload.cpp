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

// The text of a dictionary key, taken from the key's XML form: the library
// copies a key as a C string and fails an assertion when it holds a NUL,
// whereas its XML writer writes it whole, escaping only '&', '<' and '>'.
QString keyText(plist_t key)
{
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(key, &xml, &length);
    const QByteArray document(xml, qsizetype(length));
    plist_to_xml_free(xml);
    const QByteArray open = QByteArrayLiteral("<key>");
    const qsizetype start = document.indexOf(open) + open.size();
    const qsizetype end = document.lastIndexOf(QByteArrayLiteral("</key>"));
    if (start < open.size() || end < start)
        return {};
    return QString::fromUtf8(document.mid(start, end - start))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString sortedKeys(plist_t dictionary)
{
    QStringList keys;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dictionary, &iterator);
    for (;;) {
        plist_t value = nullptr;
        plist_dict_next_item(dictionary, iterator, nullptr, &value);
        if (!value)
            break;
        keys.append(keyText(plist_dict_item_get_key(value)));
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
