#pragma once

#include "Platform/UserDefaults.h"

#include <QStringList>
#include <QVariantMap>

// User defaults in memory; records the keys written, in order.
class FakeUserDefaults final : public UserDefaults {
public:
    QVariant object(const QString &key) const override { return values.value(key); }
    void setObject(const QString &key, const QVariant &value) override
    {
        values.insert(key, value);
        writes.append(key);
    }
    void removeObject(const QString &key) override { values.remove(key); }

    QVariantMap values;
    QStringList writes;
};
