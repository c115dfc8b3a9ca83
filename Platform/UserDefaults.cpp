#include "Platform/UserDefaults.h"

#include <cmath>

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::lookup(const QString &key) const
{
    QVariant stored = object(key);
    return stored.isValid() ? stored : m_registered.value(key);
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant value = lookup(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Double: {
        const double number = value.toDouble();
        return std::isfinite(number) && number != 0;
    }
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        if (text == u"yes" || text == u"true")
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok && std::isfinite(number) && number != 0;
    }
    default:
        return false;
    }
}

double UserDefaults::doubleForKey(const QString &key) const
{
    const QVariant value = lookup(key);
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Double:
        number = value.toDouble();
        break;
    case QMetaType::QString: {
        bool ok = false;
        number = value.toString().trimmed().toDouble(&ok);
        if (!ok)
            return 0;
        break;
    }
    default:
        return 0;
    }
    return std::isfinite(number) ? number : 0;
}

std::optional<QString> UserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = lookup(key);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17);
    return std::nullopt;
}

std::optional<QStringList> UserDefaults::stringArrayForKey(const QString &key) const
{
    const QVariant value = lookup(key);
    if (value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList strings;
    for (const QVariant &member : value.toList()) {
        if (member.typeId() != QMetaType::QString)
            return std::nullopt;
        strings.append(member.toString());
    }
    return strings;
}
