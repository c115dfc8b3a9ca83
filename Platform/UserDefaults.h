#pragma once

#include <QStringList>
#include <QVariant>

#include <optional>

// The app's defaults domain: a typed key-value store shared by the app and
// the command line. Values are bool, double, QString, QVariantList,
// QVariantMap or QByteArray, and keep their type across a restart.
//
// Registered defaults answer the typed reads for keys that hold no stored
// value; they live in memory only and are never written.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value, or an invalid QVariant when the key holds nothing.
    virtual QVariant object(const QString &key) const = 0;
    virtual void setObject(const QString &key, const QVariant &value) = 0;
    virtual void removeObject(const QString &key) = 0;

    void registerDefaults(const QVariantMap &defaults);

    // Typed reads: the stored value, else the registered one.
    // A value that cannot be read as a bool gives false.
    bool boolForKey(const QString &key) const;
    // A value that cannot be read as a finite number gives 0.
    double doubleForKey(const QString &key) const;
    // A string, or a number as text; otherwise none.
    std::optional<QString> stringForKey(const QString &key) const;
    // An array whose members are all strings; otherwise none.
    std::optional<QStringList> stringArrayForKey(const QString &key) const;

private:
    QVariant lookup(const QString &key) const;

    QVariantMap m_registered;
};
