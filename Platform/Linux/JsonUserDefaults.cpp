#include "Platform/Linux/JsonUserDefaults.h"

#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cmath>
#include <utility>

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

enum class ReadResult { Missing, Parsed, Broken };

ReadResult read(const QString &path, QVariantMap &values)
{
    QFile file(path);
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

QByteArray document(const QVariantMap &values)
{
    QJsonObject object;
    for (auto it = values.begin(); it != values.end(); ++it)
        object.insert(it.key(), toJson(it.value()));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

// Puts each change over `values`; an invalid value removes its key.
void apply(const QVariantMap &changes, QVariantMap &values)
{
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isValid())
            values.insert(it.key(), it.value());
        else
            values.remove(it.key());
    }
}

} // namespace

JsonUserDefaults::JsonUserDefaults(Scheduler &scheduler, QString path)
    : m_path(std::move(path))
    , m_writeDelay(scheduler)
{
    m_writer.setMaxThreadCount(1);
    m_writer.setObjectName(QStringLiteral("quib.settings.write"));
    if (read(m_path, m_values) == ReadResult::Broken)
        qCWarning(lcSettings, "Quib: the settings file %s is unreadable; using the defaults", qPrintable(m_path));
}

JsonUserDefaults::~JsonUserDefaults()
{
    synchronize();
}

QString JsonUserDefaults::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quib/defaults.json");
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
    change(key, fromJson(toJson(value)));
}

void JsonUserDefaults::removeObject(const QString &key)
{
    change(key, QVariant());
}

void JsonUserDefaults::synchronize()
{
    m_writeDelay.cancel();
    writePending();
    m_writer.waitForDone();
}

void JsonUserDefaults::change(const QString &key, const QVariant &value)
{
    apply({{key, value}}, m_values);
    m_changes.insert(key, value);
    // Started by the first change only, so a steady stream of changes is
    // still written every `writeDelay`.
    if (!m_writeDelay.isPending())
        m_writeDelay.start(writeDelay, [this] { writePending(); });
}

void JsonUserDefaults::writePending()
{
    if (m_changes.isEmpty())
        return;
    m_writer.start([this, changes = std::exchange(m_changes, {}), known = m_values] { write(changes, known); });
}

void JsonUserDefaults::write(const QVariantMap &changes, const QVariantMap &known)
{
    // Changes an earlier write could not store come along, older first.
    QVariantMap unwritten = std::exchange(m_unwritten, {});
    apply(changes, unwritten);

    // Start from the file as it is now: another process may have written
    // keys since it was read. Without a readable file, from what this
    // process knows.
    QVariantMap values;
    QString backupPath;
    switch (read(m_path, values)) {
    case ReadResult::Parsed:
        backupPath = m_path + QStringLiteral(".backup");
        break;
    case ReadResult::Broken:
        backupPath = m_path + QStringLiteral(".broken");
        values = known;
        break;
    case ReadResult::Missing:
        values = known;
        break;
    }
    apply(unwritten, values);

    QString error;
    bool written = false;
    if (!backupPath.isEmpty() && !AtomicFile::backUpOnce(m_path, backupPath))
        error = QStringLiteral("cannot keep a copy of it in %1").arg(backupPath);
    else
        written = AtomicFile::write(m_path, document(values), &error);
    if (!written) {
        qCWarning(lcSettings, "Quib: could not write the settings file %s: %s; trying again with the next change", qPrintable(m_path),
                  qPrintable(error));
        m_unwritten = std::move(unwritten);
    }
}
