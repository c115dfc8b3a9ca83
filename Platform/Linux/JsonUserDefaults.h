#pragma once

#include "Platform/UserDefaults.h"

#include <QVariantMap>

// User defaults kept as one JSON document ($XDG_CONFIG_HOME/quib/defaults.json
// by default). Every change rewrites the file atomically, merged with what is
// on disk, so values written by the command line survive. A file that cannot
// be parsed is copied aside once (defaults.json.broken) before it is replaced,
// and is never replaced by a partial document.
class JsonUserDefaults final : public UserDefaults {
public:
    explicit JsonUserDefaults(QString path = defaultPath());

    static QString defaultPath();

    QVariant object(const QString &key) const override;
    void setObject(const QString &key, const QVariant &value) override;
    void removeObject(const QString &key) override;

    QString path() const { return m_path; }

private:
    enum class ReadResult { Missing, Parsed, Broken };
    ReadResult read(QVariantMap &values) const;
    void update(const std::function<void(QVariantMap &)> &change);

    QString m_path;
    QVariantMap m_values;
};
