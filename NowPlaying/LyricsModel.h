#pragma once

#include "Support/BackgroundRunner.h"
#include "Support/HttpClient.h"

#include <QBindable>
#include <QByteArray>
#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QProperty>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

// One line of lyrics.
struct LyricLine {
    // The line's position in its list: 0, 1, 2, ...
    int id = 0;
    // Start of the line in seconds from the beginning of the song.
    double time = 0;
    // "♪" for an instrumental gap.
    QString text;

    bool operator==(const LyricLine &) const = default;
};

// What the lyrics views show.
struct LyricsContent {
    enum class Kind {
        // Timed lines from LRC text, ascending by time.
        synced,
        // Untimed lines given evenly spaced times, or the instrumental
        // placeholder.
        plain,
        // No song; the initial value.
        none,
        // A fetch for the current song is under way.
        loading,
        // The service has nothing usable for the song, or could not be
        // reached.
        notFound,
    };

    Kind kind = Kind::none;
    // The lines of synced and plain lyrics; empty for the other kinds.
    QList<LyricLine> lines = {};

    static LyricsContent synced(QList<LyricLine> lines) { return {Kind::synced, std::move(lines)}; }
    static LyricsContent plain(QList<LyricLine> lines) { return {Kind::plain, std::move(lines)}; }

    bool operator==(const LyricsContent &) const = default;
};

// The lyrics of the current song from a public LRC lyrics service, as timed
// lines. Synced lyrics are preferred; plain lyrics are spread over the song;
// an instrumental gets one placeholder line. Every result, "not found"
// included, is kept for the life of the model, so a song is fetched at most
// once. No failure is reported: it ends as `notFound`.
//
// Main thread only; answers are decoded off it and applied back on it.
class LyricsModel {
public:
    static const QUrl publicServiceUrl;
    static const QByteArray userAgent;
    static constexpr double requestTimeout = 10;
    static const QString instrumentalText;

    // One entry of the service's answer. A member that is missing or null is
    // absent; one of another JSON type makes the whole answer undecodable.
    struct Record {
        std::optional<QString> syncedLyrics;
        std::optional<QString> plainLyrics;
        std::optional<bool> instrumental;

        static std::optional<Record> decode(const QJsonValue &value);
    };

    // `serviceUrl` is the service's scheme and host; `runner` decodes the
    // answers (Qt's global thread pool by default).
    explicit LyricsModel(QUrl serviceUrl, BackgroundRunner runner = {});
    ~LyricsModel();
    LyricsModel(const LyricsModel &) = delete;
    LyricsModel &operator=(const LyricsModel &) = delete;

    // Shows the lyrics of that song: at once when they are known, else
    // `loading` until they arrive. Asking again for the current song does
    // nothing; asking for another one abandons the fetch under way. An empty
    // title shows `none`.
    void load(const QString &title, const QString &artist, const QString &album, double duration);

    LyricsContent content() const { return m_content.value(); }
    QBindable<LyricsContent> bindableContent() { return &m_content; }

    // Artist and title in lower case, joined by "|": album and duration do
    // not tell songs apart.
    static QString key(const QString &title, const QString &artist);
    // The `/api/get` request of one record for the song.
    static QUrl lookupUrl(const QUrl &serviceUrl, const QString &title, const QString &artist, const QString &album, double duration);
    // The `/api/search` request of every record of title and artist.
    static QUrl searchUrl(const QUrl &serviceUrl, const QString &title, const QString &artist);

    // The timed lines of LRC text, in order of time (lines of equal times in
    // text order); consecutive empty lines become one "♪".
    static QList<LyricLine> parseLRC(const QString &text);
    // What a record shows for a song of that many seconds (0 when unknown);
    // none when it holds nothing usable.
    static std::optional<LyricsContent> content(const Record &record, double duration);
    // What the lookup's answer shows; none when it does not decode or holds
    // nothing usable.
    static std::optional<LyricsContent> lookupContent(const QByteArray &body, double duration);
    // What the search's answer shows: the first usable record, those with
    // synced lyrics first; `notFound` when it does not decode or has none.
    static LyricsContent searchContent(const QByteArray &body, double duration);

private:
    enum class Stage { lookup, search };
    struct Song {
        QString title;
        QString artist;
        QString album;
        double duration = 0;
        QString key;
    };

    void request(Stage stage, quint64 task, const Song &song);
    void answered(Stage stage, quint64 task, const Song &song, const std::optional<LyricsContent> &content);
    void finish(const Song &song, const LyricsContent &content);
    void cancelTask();

    QUrl m_serviceUrl;
    BackgroundRunner m_runner;
    HttpClient m_http;

    QProperty<LyricsContent> m_content;
    std::optional<QString> m_currentKey;
    QHash<QString, LyricsContent> m_cache;
    // The number of the fetch under way, if any; results of any other are
    // dropped.
    std::optional<quint64> m_task;
    quint64 m_taskCount = 0;
    // Answers decoded off the main thread find the model through this; it
    // is gone once the model is.
    std::shared_ptr<LyricsModel *> m_self;
};
