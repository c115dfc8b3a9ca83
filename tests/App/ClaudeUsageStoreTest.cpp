#include "App/ClaudeUsageStore.h"

#include "QtPrinters.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QDateTime seconds(double value)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(value * 1000), Qt::UTC);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::optional<ClaudeUsageStore::Snapshot> fromStatusLine(const QByteArray &json)
{
    return ClaudeUsageStore::snapshot(QJsonDocument::fromJson(json).object(), seconds(1000));
}

} // namespace

TEST(ClaudeUsageStore, WritesCompactJsonIntoANewFolderAndReadsItBack)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/quib/claude-usage.json");
    EXPECT_EQ(ClaudeUsageStore::read(path), std::nullopt);

    const ClaudeUsageStore::Snapshot snapshot{ClaudeUsageWindow{42.5, std::nullopt}, ClaudeUsageWindow{130, seconds(1767225600.25)}, seconds(1767200000.5)};
    ClaudeUsageStore::write(snapshot, path);
    const QByteArray bytes = readAll(path);
    EXPECT_FALSE(bytes.contains(' '));
    EXPECT_FALSE(bytes.endsWith('\n'));
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    EXPECT_EQ(root.keys(), (QStringList{QStringLiteral("five_hour"), QStringLiteral("seven_day"), QStringLiteral("updated")}));
    EXPECT_EQ(root.value(QStringLiteral("five_hour")).toObject().value(QStringLiteral("resets")).toDouble(), 0);
    EXPECT_EQ(root.value(QStringLiteral("updated")).toDouble(), 1767200000.5);
    // Reading does not bound the percentage.
    EXPECT_EQ(ClaudeUsageStore::read(path), snapshot);

    ClaudeUsageStore::write({std::nullopt, std::nullopt, seconds(5)}, path);
    EXPECT_EQ(QJsonDocument::fromJson(readAll(path)).object().value(QStringLiteral("five_hour")), QJsonValue(QJsonValue::Null));
    ClaudeUsageStore::remove(path);
    EXPECT_EQ(ClaudeUsageStore::read(path), std::nullopt);
}

TEST(ClaudeUsageStore, ReadsBadFilesDefensively)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/claude-usage.json");
    const QList<std::pair<QByteArray, std::optional<ClaudeUsageStore::Snapshot>>> cases{
        {"", std::nullopt},
        {"{\"five_hour\":", std::nullopt},
        {"[1]", std::nullopt},
        {"{}", ClaudeUsageStore::Snapshot{std::nullopt, std::nullopt, seconds(0)}},
        {R"({"five_hour":{"used":"12"},"seven_day":{"used":7,"resets":-3},"updated":"x"})",
         ClaudeUsageStore::Snapshot{std::nullopt, ClaudeUsageWindow{7, std::nullopt}, seconds(0)}},
        // Qt's parser refuses numbers beyond a double.
        {R"({"five_hour":{"used":1e999}})", std::nullopt},
        // Absurd numbers read without overflowing: no reset date, the oldest
        // possible update.
        {R"({"five_hour":{"used":1e300,"resets":1e300},"seven_day":[],"updated":1e300})",
         ClaudeUsageStore::Snapshot{ClaudeUsageWindow{1e300, std::nullopt}, std::nullopt, seconds(0)}},
    };
    for (const auto &[bytes, expected] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        writeAll(path, bytes);
        EXPECT_EQ(ClaudeUsageStore::read(path), expected);
    }
}

TEST(ClaudeUsageStore, StatusLineLimitsAreBoundedAndNeedAPercentage)
{
    EXPECT_EQ(fromStatusLine(R"({"rate_limits":{"five_hour":{"used_percentage":130,"resets_at":0},"seven_day":{"used_percentage":-5}}})"),
              (ClaudeUsageStore::Snapshot{ClaudeUsageWindow{100, seconds(0)}, ClaudeUsageWindow{0, std::nullopt}, seconds(1000)}));
    EXPECT_EQ(fromStatusLine(R"({"rate_limits":{"seven_day":{"used_percentage":12.5,"resets_at":1767225600}}})"),
              (ClaudeUsageStore::Snapshot{std::nullopt, ClaudeUsageWindow{12.5, seconds(1767225600)}, seconds(1000)}));
    const QList<QByteArray> none{
        R"({})",
        R"({"rate_limits":[]})",
        R"({"rate_limits":{"five_hour":{"resets_at":5},"seven_day":{}}})",
        R"({"rate_limits":{"five_hour":{"used_percentage":"50"}}})",
    };
    for (const QByteArray &json : none)
        EXPECT_EQ(fromStatusLine(json), std::nullopt) << json.toStdString();
    const auto huge = fromStatusLine(R"({"rate_limits":{"five_hour":{"used_percentage":1e308,"resets_at":-1e308}}})");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->fiveHour, (ClaudeUsageWindow{100, std::nullopt}));

    // A reset at 1970 is written as 0 and so reads back as unknown.
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/claude-usage.json");
    ClaudeUsageStore::write(*fromStatusLine(R"({"rate_limits":{"five_hour":{"used_percentage":3,"resets_at":0}}})"), path);
    EXPECT_EQ(ClaudeUsageStore::read(path)->fiveHour, (ClaudeUsageWindow{3, std::nullopt}));
}
