#include "App/ClaudeUsageStore.h"

#include "Support/AtomicFile.h"
#include "Support/EpochTime.h"

#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

const QString ClaudeUsageStore::notification = QStringLiteral("com.brenvask.Quib.claudeUsage");

namespace {

std::optional<double> number(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

QJsonValue windowObject(const std::optional<ClaudeUsageWindow> &window)
{
    if (!window)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("used"), window->used},
                       {QStringLiteral("resets"), window->resetsAt ? EpochTime::toSeconds(*window->resetsAt) : 0.0}};
}

std::optional<ClaudeUsageWindow> readWindow(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto used = number(object, QStringLiteral("used"));
    if (!used)
        return std::nullopt;
    ClaudeUsageWindow window{*used, std::nullopt};
    if (const auto resets = number(object, QStringLiteral("resets")); resets && *resets > 0)
        window.resetsAt = EpochTime::fromSeconds(*resets);
    return window;
}

std::optional<ClaudeUsageWindow> statusLineWindow(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto used = number(object, QStringLiteral("used_percentage"));
    if (!used)
        return std::nullopt;
    ClaudeUsageWindow window{std::clamp(*used, 0.0, 100.0), std::nullopt};
    if (const auto resets = number(object, QStringLiteral("resets_at")))
        window.resetsAt = EpochTime::fromSeconds(*resets);
    return window;
}

} // namespace

QString ClaudeUsageStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/claude-usage.json");
}

std::optional<ClaudeUsageStore::Snapshot> ClaudeUsageStore::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    Snapshot snapshot;
    snapshot.updated = EpochTime::fromSeconds(number(root, QStringLiteral("updated")).value_or(0)).value_or(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    snapshot.fiveHour = readWindow(root.value(QStringLiteral("five_hour")));
    snapshot.sevenDay = readWindow(root.value(QStringLiteral("seven_day")));
    return snapshot;
}

void ClaudeUsageStore::write(const Snapshot &snapshot, const QString &path)
{
    const QJsonObject root{{QStringLiteral("five_hour"), windowObject(snapshot.fiveHour)},
                           {QStringLiteral("seven_day"), windowObject(snapshot.sevenDay)},
                           {QStringLiteral("updated"), EpochTime::toSeconds(snapshot.updated)}};
    AtomicFile::write(path, QJsonDocument(root).toJson(QJsonDocument::Compact));
}

void ClaudeUsageStore::remove(const QString &path)
{
    QFile::remove(path);
}

std::optional<ClaudeUsageStore::Snapshot> ClaudeUsageStore::snapshot(const QJsonObject &statusLine, const QDateTime &now)
{
    const QJsonValue limits = statusLine.value(QStringLiteral("rate_limits"));
    if (!limits.isObject())
        return std::nullopt;
    Snapshot snapshot;
    snapshot.fiveHour = statusLineWindow(limits.toObject().value(QStringLiteral("five_hour")));
    snapshot.sevenDay = statusLineWindow(limits.toObject().value(QStringLiteral("seven_day")));
    if (!snapshot.fiveHour && !snapshot.sevenDay)
        return std::nullopt;
    snapshot.updated = now;
    return snapshot;
}
