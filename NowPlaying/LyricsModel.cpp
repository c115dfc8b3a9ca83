#include "NowPlaying/LyricsModel.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

const QUrl LyricsModel::publicServiceUrl(QStringLiteral("https://lrclib.net"));
const QByteArray LyricsModel::userAgent("Quib/0.1.0");
const QString LyricsModel::instrumentalText = QStringLiteral("♪ Instrumental ♪");

namespace {

const QString gapText = QStringLiteral("♪");

bool isNewline(QChar character)
{
    switch (character.unicode()) {
    case 0x0A: // line feed
    case 0x0B: // line tabulation
    case 0x0C: // form feed
    case 0x0D: // carriage return
    case 0x85: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

// `text` without spaces and tabs at either end (other white space stays).
QStringView trimmedBlanks(QStringView text)
{
    auto isBlank = [](QChar character) { return character == u' ' || character == u'\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// The lines of `text`, cut at every newline character (a CR LF pair leaves an
// empty line between, which every reader skips), each trimmed of blanks.
QList<QStringView> trimmedLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype position = 0; position <= text.size(); ++position) {
        if (position < text.size() && !isNewline(text.at(position)))
            continue;
        lines.append(trimmedBlanks(text.sliced(start, position - start)));
        start = position + 1;
    }
    return lines;
}

// A number written as a whole decimal floating-point number ("12", "12.50",
// "+1.5e1") that is finite and carries no minus sign; none for anything
// else, such as "12s", " 12", "inf", "-1" or "-0".
std::optional<double> timeComponent(QStringView text)
{
    std::string number = text.toString().toStdString();
    // The sign is allowed before the number, but from_chars reads only "-".
    if (!number.empty() && number.front() == '+') {
        number.erase(0, 1);
        if (!number.empty() && (number.front() == '+' || number.front() == '-'))
            return std::nullopt;
    }
    double value = 0;
    const char *end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::general);
    if (number.empty() || error != std::errc() || stop != end || !std::isfinite(value) || std::signbit(value))
        return std::nullopt;
    return value;
}

// The time a tag's inside stands for ("01:02.5" is 62.5 s); none for a
// metadata tag ("ar:Someone", "offset:+200") or a time of another shape.
std::optional<double> tagTime(QStringView inside)
{
    QList<QStringView> pieces;
    for (QStringView piece : inside.tokenize(u':', Qt::SkipEmptyParts))
        pieces.append(piece);
    if (pieces.size() != 2)
        return std::nullopt;
    const std::optional<double> minutes = timeComponent(pieces.at(0));
    const std::optional<double> seconds = timeComponent(pieces.at(1));
    if (!minutes || !seconds)
        return std::nullopt;
    const double time = *minutes * 60 + *seconds;
    return std::isfinite(time) ? std::optional<double>(time) : std::nullopt;
}

// A JSON member that may be missing or null; `ok` turns false when it has
// another type than `type`.
template <typename T>
std::optional<T> optionalMember(const QJsonObject &object, const QString &name, QJsonValue::Type type, bool &ok)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (value.type() != type) {
        ok = false;
        return std::nullopt;
    }
    return value.toVariant().value<T>();
}

QString encodedQuery(const QList<std::pair<QString, QString>> &items)
{
    // Everything but unreserved characters is escaped: a "+" left as it is
    // would read as a space.
    QByteArray query;
    for (const auto &[name, value] : items) {
        if (!query.isEmpty())
            query += '&';
        query += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return QString::fromLatin1(query);
}

QUrl serviceRequest(const QUrl &serviceUrl, const QString &path, const QList<std::pair<QString, QString>> &items)
{
    QUrl url = serviceUrl;
    url.setPath(path);
    url.setQuery(encodedQuery(items), QUrl::StrictMode);
    return url;
}

// The duration in whole seconds, halves rounded away from zero; none when
// it is not positive, or too large or not a number.
std::optional<qint64> wholeSeconds(double duration)
{
    if (!(duration > 0))
        return std::nullopt;
    const double rounded = std::round(duration);
    if (!std::isfinite(rounded) || rounded >= 0x1p63)
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

} // namespace

std::optional<LyricsModel::Record> LyricsModel::Record::decode(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    bool ok = true;
    Record record;
    record.syncedLyrics = optionalMember<QString>(object, QStringLiteral("syncedLyrics"), QJsonValue::String, ok);
    record.plainLyrics = optionalMember<QString>(object, QStringLiteral("plainLyrics"), QJsonValue::String, ok);
    record.instrumental = optionalMember<bool>(object, QStringLiteral("instrumental"), QJsonValue::Bool, ok);
    return ok ? std::optional<Record>(record) : std::nullopt;
}

LyricsModel::LyricsModel(QUrl serviceUrl, BackgroundRunner runner)
    : m_serviceUrl(std::move(serviceUrl))
    , m_runner(runnerOrGlobalThreadPool(std::move(runner)))
    , m_self(std::make_shared<LyricsModel *>(this))
{
}

LyricsModel::~LyricsModel() = default;

QString LyricsModel::key(const QString &title, const QString &artist)
{
    return artist.toLower() + u'|' + title.toLower();
}

QUrl LyricsModel::lookupUrl(const QUrl &serviceUrl, const QString &title, const QString &artist, const QString &album, double duration)
{
    QList<std::pair<QString, QString>> items{{QStringLiteral("track_name"), title}, {QStringLiteral("artist_name"), artist}};
    if (!album.isEmpty())
        items.append({QStringLiteral("album_name"), album});
    if (const std::optional<qint64> seconds = wholeSeconds(duration))
        items.append({QStringLiteral("duration"), QString::number(*seconds)});
    return serviceRequest(serviceUrl, QStringLiteral("/api/get"), items);
}

QUrl LyricsModel::searchUrl(const QUrl &serviceUrl, const QString &title, const QString &artist)
{
    return serviceRequest(serviceUrl, QStringLiteral("/api/search"), {{QStringLiteral("track_name"), title}, {QStringLiteral("artist_name"), artist}});
}

QList<LyricLine> LyricsModel::parseLRC(const QString &text)
{
    struct Entry {
        double time;
        QString text;
    };
    QList<Entry> entries;
    for (QStringView line : trimmedLines(text)) {
        if (!line.startsWith(u'['))
            continue;
        QList<double> times;
        QStringView rest = line;
        // Tags run until the first character that does not open one: a
        // space between two tags ends them.
        while (rest.startsWith(u'[')) {
            const qsizetype close = rest.indexOf(u']');
            if (close < 0)
                break;
            if (const std::optional<double> time = tagTime(rest.sliced(1, close - 1)))
                times.append(*time);
            rest = rest.sliced(close + 1);
        }
        if (times.isEmpty())
            continue;
        const QStringView lineText = trimmedBlanks(rest);
        for (double time : std::as_const(times))
            entries.append({time, lineText.isEmpty() ? gapText : lineText.toString()});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.time < b.time; });

    QList<LyricLine> lines;
    for (const Entry &entry : std::as_const(entries)) {
        if (entry.text == gapText && !lines.isEmpty() && lines.last().text == gapText)
            continue;
        lines.append({int(lines.size()), entry.time, entry.text});
    }
    return lines;
}

std::optional<LyricsContent> LyricsModel::content(const Record &record, double duration)
{
    if (record.syncedLyrics && !record.syncedLyrics->isEmpty()) {
        QList<LyricLine> lines = parseLRC(*record.syncedLyrics);
        if (!lines.isEmpty())
            return LyricsContent::synced(std::move(lines));
    }
    if (record.plainLyrics && !record.plainLyrics->isEmpty()) {
        QStringList texts;
        for (QStringView line : trimmedLines(*record.plainLyrics)) {
            if (!line.isEmpty())
                texts.append(line.toString());
        }
        // Blank plain lyrics give nothing, even for an instrumental.
        if (texts.isEmpty())
            return std::nullopt;
        // An infinite duration would put the first line at infinity × 0.
        const double step = std::isfinite(duration) && duration > 0 ? duration / double(texts.size()) : 4.0;
        QList<LyricLine> lines;
        for (qsizetype index = 0; index < texts.size(); ++index)
            lines.append({int(index), step * double(index), texts.at(index)});
        return LyricsContent::plain(std::move(lines));
    }
    if (record.instrumental == true)
        return LyricsContent::plain({{0, 0, instrumentalText}});
    return std::nullopt;
}

std::optional<LyricsContent> LyricsModel::lookupContent(const QByteArray &body, double duration)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const std::optional<Record> record = Record::decode(document.object());
    return record ? content(*record, duration) : std::nullopt;
}

LyricsContent LyricsModel::searchContent(const QByteArray &body, double duration)
{
    const LyricsContent notFound{LyricsContent::Kind::notFound};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return notFound;
    QList<Record> records;
    for (const QJsonValue &value : document.array()) {
        const std::optional<Record> record = Record::decode(value);
        if (!record)
            return notFound;
        records.append(*record);
    }
    // Records with synced lyrics first, then every record again, each time
    // in the answer's order.
    QList<Record> ordered;
    std::copy_if(records.cbegin(), records.cend(), std::back_inserter(ordered),
                 [](const Record &record) { return record.syncedLyrics && !record.syncedLyrics->isEmpty(); });
    ordered.append(records);
    for (const Record &record : std::as_const(ordered)) {
        if (std::optional<LyricsContent> found = content(record, duration))
            return *found;
    }
    return notFound;
}

void LyricsModel::load(const QString &title, const QString &artist, const QString &album, double duration)
{
    if (title.isEmpty()) {
        // The fetch under way goes on; its result no longer matches the
        // current key and is dropped.
        m_currentKey.reset();
        m_content = LyricsContent{LyricsContent::Kind::none};
        return;
    }
    const QString songKey = key(title, artist);
    if (m_currentKey == songKey)
        return;
    m_currentKey = songKey;
    cancelTask();
    if (const auto cached = m_cache.constFind(songKey); cached != m_cache.cend()) {
        m_content = *cached;
        return;
    }
    m_content = LyricsContent{LyricsContent::Kind::loading};
    m_task = ++m_taskCount;
    request(Stage::lookup, *m_task, {title, artist, album, duration, songKey});
}

void LyricsModel::cancelTask()
{
    m_http.cancelAll();
    m_task.reset();
}

void LyricsModel::request(Stage stage, quint64 task, const Song &song)
{
    const QUrl url = stage == Stage::lookup ? lookupUrl(m_serviceUrl, song.title, song.artist, song.album, song.duration)
                                            : searchUrl(m_serviceUrl, song.title, song.artist);
    m_http.get(url, {{"User-Agent", userAgent}}, requestTimeout, [this, stage, task, song](const HttpClient::Response &response) {
        // A failed transfer or any status but 200 counts as an answer that
        // does not decode.
        const QByteArray body = !response.error && response.status == 200 ? response.body : QByteArray();
        m_runner([model = std::weak_ptr<LyricsModel *>(m_self), stage, task, song, body] {
            const std::optional<LyricsContent> content =
                stage == Stage::lookup ? lookupContent(body, song.duration) : searchContent(body, song.duration);
            // The application object lives as long as the process; the model
            // is looked up again on the main thread, where it is destroyed.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [model, stage, task, song, content] {
                    if (const auto self = model.lock())
                        (*self)->answered(stage, task, song, content);
                },
                Qt::QueuedConnection);
        });
    });
}

void LyricsModel::answered(Stage stage, quint64 task, const Song &song, const std::optional<LyricsContent> &content)
{
    if (m_task != task)
        return;
    if (stage == Stage::lookup && !content) {
        request(Stage::search, task, song);
        return;
    }
    finish(song, content.value_or(LyricsContent{LyricsContent::Kind::notFound}));
}

void LyricsModel::finish(const Song &song, const LyricsContent &content)
{
    m_task.reset();
    // A load with an empty title since the fetch began leaves it running;
    // what it found then belongs to no song shown.
    if (m_currentKey != song.key)
        return;
    m_cache.insert(song.key, content);
    m_content = content;
}
