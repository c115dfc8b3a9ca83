#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <ostream>

// Readable gtest failure messages for the Qt types the tests compare.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

inline void PrintTo(const QVariant &value, std::ostream *out)
{
    *out << value.metaType().name() << '(' << value.toString().toStdString() << ')';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    *out << '"' << bytes.toStdString() << '"';
}

inline void PrintTo(const QUrl &url, std::ostream *out)
{
    *out << url.toString(QUrl::FullyEncoded).toStdString();
}

inline void PrintTo(const QDateTime &moment, std::ostream *out)
{
    *out << moment.toString(Qt::ISODateWithMs).toStdString();
}
