// The coding agent's commands of CommandLineTool: `claude-hook` and
// `claude-statusline`.
#include "Alerts/AlertRequestNotification.h"
#include "App/CommandLineTool.h"
#include "Platform/UserDefaults.h"
#include "Support/Text.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringDecoder>

#include <cmath>

const QString CommandLineTool::previousStatusLineKey = QStringLiteral("claudePreviousStatusLine");

namespace {

const QString separator = QStringLiteral(" · ");
constexpr int maximumReplyLength = 140;

// The last path component; a trailing slash does not count.
QString lastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    if (trimmed == u"/")
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

QString trimmed(const QString &text, const std::function<bool(QChar)> &strip)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && strip(text.at(first)))
        ++first;
    while (last > first && strip(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// Strict UTF-8, or none.
std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The cleaned first line of one assistant line's last non-blank text item.
std::optional<QString> replyOf(const QString &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
    const QJsonObject object = document.object();
    if (!document.isObject() || object.value(QStringLiteral("type")) != QStringLiteral("assistant"))
        return std::nullopt;
    const QJsonValue message = object.value(QStringLiteral("message"));
    const QJsonValue content = message.toObject().value(QStringLiteral("content"));
    if (!message.isObject() || !content.isArray())
        return std::nullopt;
    std::optional<QString> text;
    for (const QJsonValue &item : content.toArray()) {
        if (!item.isObject())
            return std::nullopt;
        const QJsonObject part = item.toObject();
        const QJsonValue value = part.value(QStringLiteral("text"));
        if (part.value(QStringLiteral("type")) == QStringLiteral("text") && value.isString() && !value.toString().trimmed().isEmpty())
            text = value.toString();
    }
    if (!text)
        return std::nullopt;
    QString first;
    for (const QString &candidate : text->split(u'\n', Qt::SkipEmptyParts)) {
        first = trimmed(candidate, [](QChar c) { return c == u' ' || c == u'\t'; });
        if (!first.isEmpty())
            break;
    }
    first.remove(QStringLiteral("**"));
    first.remove(u'`');
    first = trimmed(first, [](QChar c) { return c == u'#' || c == u'>' || c == u'-' || c == u' '; });
    if (first.isEmpty())
        return std::nullopt;
    if (Text::graphemeCount(first) <= maximumReplyLength)
        return first;
    return Text::prefixGraphemes(first, maximumReplyLength - 1) + QStringLiteral("…");
}

} // namespace

QJsonObject CommandLineTool::readInputObject()
{
    return QJsonDocument::fromJson(m_in.readAll()).object();
}

QString CommandLineTool::notificationText(const QString &message)
{
    const QString lower = message.toLower();
    if (lower.contains(QStringLiteral("permission"))) {
        QString text = QStringLiteral("Precisa da sua permissão");
        const QString marker = QStringLiteral("to use ");
        if (const qsizetype at = message.indexOf(marker); at >= 0) {
            const QString tool = trimmed(message.mid(at + marker.size()), [](QChar c) { return c.isSpace() || c.isPunct(); });
            if (!tool.isEmpty())
                text += QStringLiteral(" para usar ") + tool;
        }
        return text;
    }
    if (lower.contains(QStringLiteral("waiting for your input")) || lower.contains(QStringLiteral("idle")))
        return QStringLiteral("Esperando sua resposta");
    if (!message.isEmpty())
        return message;
    return QStringLiteral("Precisa de você");
}

int CommandLineTool::claudeHook()
{
    const QJsonObject input = readInputObject();
    const QString event = input.value(QStringLiteral("hook_event_name")).toString();
    const QJsonValue cwd = input.value(QStringLiteral("cwd"));
    const QString project = cwd.isString() && !cwd.toString().isEmpty() ? lastPathComponent(cwd.toString()) : QStringLiteral("Claude Code");

    DistributedNotifications::UserInfo request;
    if (event == u"Notification") {
        request.insert(QStringLiteral("body"), project + separator + notificationText(input.value(QStringLiteral("message")).toString()));
        request.insert(QStringLiteral("symbol"), QStringLiteral("hand.raised.fill"));
        request.insert(QStringLiteral("color"), QStringLiteral("orange"));
    } else if (event == u"Stop") {
        const QJsonValue transcript = input.value(QStringLiteral("transcript_path"));
        std::optional<QString> text;
        if (transcript.isString())
            text = lastAssistantText(transcript.toString());
        request.insert(QStringLiteral("body"), project + separator + text.value_or(QStringLiteral("Terminou. Sua vez.")));
    } else {
        return 0;
    }
    if (const auto app = callingApp())
        request.insert(QStringLiteral("app"), *app);
    else
        request.insert(QStringLiteral("title"), QStringLiteral("Claude Code"));
    m_notifications.post(QString::fromLatin1(AlertRequestNotification::name), QString(), request);
    return 0;
}

std::optional<QString> CommandLineTool::lastAssistantText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = std::max<qint64>(0, file.size());
    const qint64 offset = std::max<qint64>(0, size - transcriptTail);
    if (!file.seek(offset))
        return std::nullopt;
    QByteArray tail = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // The cut may fall inside a character: drop its continuation bytes, so
    // the rest still reads as UTF-8. Only the cut first line is lost.
    if (offset > 0) {
        qsizetype skip = 0;
        while (skip < tail.size() && skip < 3 && (static_cast<uchar>(tail.at(skip)) & 0xC0) == 0x80)
            ++skip;
        tail.remove(0, skip);
    }
    const auto text = decodeUtf8(tail);
    if (!text)
        return std::nullopt;
    const QStringList lines = text->split(u'\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->contains(QStringLiteral("\"assistant\"")))
            continue;
        if (const auto reply = replyOf(*line))
            return reply;
    }
    return std::nullopt;
}

QString CommandLineTool::shortStatusLine(const QJsonObject &json, const QDateTime &now)
{
    QStringList parts;
    const QJsonValue name = json.value(QStringLiteral("model")).toObject().value(QStringLiteral("display_name"));
    if (name.isString())
        parts.append(name.toString());
    if (const auto snapshot = ClaudeUsageStore::snapshot(json, now)) {
        // `used` is bounded to 0…100 by the snapshot.
        if (snapshot->fiveHour)
            parts.append(QStringLiteral("5h %1%").arg(std::llround(snapshot->fiveHour->used)));
        if (snapshot->sevenDay)
            parts.append(QStringLiteral("semana %1%").arg(std::llround(snapshot->sevenDay->used)));
    }
    return parts.join(separator);
}

int CommandLineTool::claudeStatusLine()
{
    const QByteArray input = m_in.readAll();
    const QJsonObject json = QJsonDocument::fromJson(input).object();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (const auto snapshot = ClaudeUsageStore::snapshot(json, now)) {
        ClaudeUsageStore::write(*snapshot, m_usagePath);
        m_notifications.post(ClaudeUsageStore::notification, QString(), {});
    }
    const QVariant previous = m_defaults.object(previousStatusLineKey);
    if (previous.typeId() == QMetaType::QString && !previous.toString().isEmpty()) {
        const QByteArray output = runShell(previous.toString(), input);
        m_out.flush();
        if (QIODevice *device = m_out.device())
            device->write(output);
        return 0;
    }
    m_out << shortStatusLine(json, now) << '\n';
    return 0;
}

QByteArray CommandLineTool::runShell(const QString &command, const QByteArray &input)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(-1))
        return {};
    // QProcess feeds the input and drains the output together, so neither
    // pipe can fill up and block the other; a child that stops reading early
    // only ends the feeding.
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return process.readAllStandardOutput();
}
