#include "Platform/Linux/JsonUserDefaults.h"

#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>

namespace {

const QString dataKey = QStringLiteral("$data");

QJsonValue toJson(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Float: {
        // JSON has no infinity or NaN.
        const double number = value.toDouble();
        return std::isfinite(number) ? QJsonValue(number) : QJsonValue(QJsonValue::Null);
    }
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QJsonObject{{dataKey, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant &member : value.toList())
            array.append(toJson(member));
        return array;
    }
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            object.insert(it.key(), toJson(it.value()));
        return object;
    }
    default:
        return QJsonValue::Null;
    }
}

QVariant fromJson(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue &member : value.toArray())
            list.append(fromJson(member));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 1 && object.value(dataKey).isString())
            return QByteArray::fromBase64(object.value(dataKey).toString().toLatin1());
        QVariantMap map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), fromJson(it.value()));
        return map;
    }
    default:
        return {};
    }
}

} // namespace

JsonUserDefaults::JsonUserDefaults(QString path)
    : m_path(std::move(path))
{
    if (read(m_values) == ReadResult::Broken)
        qCWarning(lcSettings, "Quib: the settings file %s is unreadable; using the defaults", qPrintable(m_path));
}

QString JsonUserDefaults::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quib/defaults.json");
}

JsonUserDefaults::ReadResult JsonUserDefaults::read(QVariantMap &values) const
{
    QFile file(m_path);
    if (!file.exists())
        return ReadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Broken;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return ReadResult::Broken;
    values.clear();
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (QVariant value = fromJson(it.value()); value.isValid())
            values.insert(it.key(), value);
    }
    return ReadResult::Parsed;
}

QVariant JsonUserDefaults::object(const QString &key) const
{
    return m_values.value(key);
}

void JsonUserDefaults::setObject(const QString &key, const QVariant &value)
{
    // Keep in memory what the next launch will read: any number becomes a
    // double, a string list an array, and a value JSON cannot hold (NaN, an
    // unknown type) is no value.
    const QVariant stored = fromJson(toJson(value));
    if (!stored.isValid()) {
        removeObject(key);
        return;
    }
    update([&](QVariantMap &values) { values.insert(key, stored); });
}

void JsonUserDefaults::removeObject(const QString &key)
{
    update([&](QVariantMap &values) { values.remove(key); });
}

void JsonUserDefaults::update(const std::function<void(QVariantMap &)> &change)
{
    // Start from the file as it is now: another process may have written
    // keys since we read it.
    QVariantMap onDisk;
    switch (read(onDisk)) {
    case ReadResult::Parsed:
        for (auto it = onDisk.begin(); it != onDisk.end(); ++it)
            m_values.insert(it.key(), it.value());
        break;
    case ReadResult::Broken:
        if (!AtomicFile::backUpOnce(m_path, m_path + QStringLiteral(".broken"))) {
            qCWarning(lcSettings, "Quib: could not back up the unreadable settings file %s; not writing it", qPrintable(m_path));
            change(m_values);
            return;
        }
        break;
    case ReadResult::Missing:
        break;
    }
    change(m_values);

    QJsonObject object;
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        object.insert(it.key(), toJson(it.value()));
    QString error;
    if (!AtomicFile::write(m_path, QJsonDocument(object).toJson(QJsonDocument::Indented), &error))
        qCWarning(lcSettings, "Quib: could not write the settings file %s: %s", qPrintable(m_path), qPrintable(error));
}
