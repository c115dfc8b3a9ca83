#include "NowPlaying/LyricsModel.h"

#include "LoopbackHttpServer.h"
#include "LyricsPrinters.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = LyricsContent::Kind;

const LyricsContent loading{Kind::loading, {}};
const LyricsContent notFound{Kind::notFound, {}};
const LyricsContent none{Kind::none, {}};

LoopbackHttpServer::Reply ok(const QByteArray &body)
{
    return {200, body, {}};
}

// The answer for one song, whose synced lyrics are its one line `word` at 1 s.
QByteArray recordOf(const char *word)
{
    return QByteArray(R"({"syncedLyrics":"[00:01])") + word + R"("})";
}

LyricsContent sungLine(const char *word)
{
    return LyricsContent::synced({{0, 1, QString::fromUtf8(word)}});
}

// Waits until the model shows an answer for the song asked for.
bool settled(const LyricsModel &model)
{
    return waitUntil([&] { return model.content().kind != Kind::loading; });
}

// Every value `model` shows, in order.
struct ContentHistory {
    explicit ContentHistory(LyricsModel &model)
        : notifier(model.bindableContent().addNotifier([this, &model] { values.append(model.content()); }))
    {
    }
    QList<LyricsContent> values;
    QPropertyNotifier notifier;
};

// A model whose answers wait, decoded, until the test runs them: the
// decoding of one song can then finish after another song was asked for.
struct QueuedDecoding {
    explicit QueuedDecoding(const QUrl &serviceUrl)
        : model(serviceUrl, [this](std::function<void()> job) { jobs.append(std::move(job)); })
    {
    }
    // Waits until `count` answers have arrived and wait for decoding.
    bool waitForAnswers(int count)
    {
        return waitUntil([&] { return jobs.size() >= count; });
    }
    // Decodes the answer in place `index` and applies the result.
    void decode(qsizetype index)
    {
        jobs.takeAt(index)();
        QCoreApplication::sendPostedEvents();
    }
    QList<std::function<void()>> jobs;
    LyricsModel model;
};

} // namespace

TEST(LyricsModelComponent, LooksUpTheSongWithItsQueryItemsAndHeader)
{
    LoopbackHttpServer server;
    LyricsModel model(server.url());
    server.enqueue(ok(R"({"id":1,"syncedLyrics":"[00:01.50]Um\n[00:03]Dois","plainLyrics":"Um\nDois","instrumental":false})"));

    model.load(QStringLiteral("C++ & Me"), QStringLiteral("Zé"), QStringLiteral("Álbum 1"), 215.5);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), LyricsContent::synced({{0, 1.5, QStringLiteral("Um")}, {1, 3, QStringLiteral("Dois")}}));

    ASSERT_EQ(server.requests.size(), 1);
    const LoopbackHttpServer::Request request = server.requests.first();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/api/get?track_name=C%2B%2B%20%26%20Me&artist_name=Z%C3%A9&album_name=%C3%81lbum%201&duration=216");
    EXPECT_EQ(request.header("User-Agent"), "Quib/0.1.0");
}

TEST(LyricsModelComponent, FallsBackToTheSearchAndEndsAsNotFound)
{
    struct Case {
        const char *name;
        LoopbackHttpServer::Reply lookup;
        // None: the search is not answered (404).
        std::optional<LoopbackHttpServer::Reply> search;
        LyricsContent expected;
    };
    const QList<Case> cases{
        {"no record", {404, R"({"message":"Failed to find specified track"})", {}}, ok(R"([{"syncedLyrics":"[00:01]Found"}])"),
         sungLine("Found")},
        {"a server error, even with a record", {500, recordOf("Error"), {}}, ok(R"([{"plainLyrics":"Found"}])"),
         LyricsContent::plain({{0, 0, QStringLiteral("Found")}})},
        {"another success status", {201, recordOf("Created"), {}}, ok(R"([{"syncedLyrics":"[00:01]Found"}])"), sungLine("Found")},
        {"malformed JSON", ok(R"({"syncedLyrics":"[00:01]Cut)"), ok(R"([{"syncedLyrics":"[00:01]Found"}])"), sungLine("Found")},
        {"a member of the wrong type", ok(R"({"syncedLyrics":"[00:01]Typed","instrumental":"no"})"),
         ok(R"([{"syncedLyrics":"[00:01]Found"}])"), sungLine("Found")},
        {"blank plain lyrics of an instrumental", ok(R"({"plainLyrics":"\n \n","instrumental":true})"),
         ok(R"([{"syncedLyrics":"","instrumental":true}])"), LyricsContent::plain({{0, 0, QStringLiteral("♪ Instrumental ♪")}})},
        {"and the search finds no record", {404, {}, {}}, ok("[]"), notFound},
        {"and the search fails", {404, {}, {}}, LoopbackHttpServer::Reply{500, R"([{"plainLyrics":"Error"}])", {}}, notFound},
        {"and the search answer is malformed", {404, {}, {}}, ok(R"([{"plainLyrics":"Cut"})"), notFound},
        {"and the search is not found either", {404, {}, {}}, std::nullopt, notFound},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        LoopbackHttpServer server;
        LyricsModel model(server.url());
        server.enqueue(test.lookup);
        if (test.search)
            server.enqueue(*test.search);

        model.load(QStringLiteral("Song"), QStringLiteral("Band"), QStringLiteral("Album"), 200);
        ASSERT_TRUE(settled(model));
        EXPECT_EQ(model.content(), test.expected);
        ASSERT_EQ(server.requests.size(), 2);
        EXPECT_EQ(server.requests.at(0).target, "/api/get?track_name=Song&artist_name=Band&album_name=Album&duration=200");
        EXPECT_EQ(server.requests.at(1).target, "/api/search?track_name=Song&artist_name=Band");
        EXPECT_EQ(server.requests.at(1).header("User-Agent"), "Quib/0.1.0");
    }
}

TEST(LyricsModelComponent, AnUnreachableServiceIsNotFound)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    closed.close();
    LyricsModel model(url);

    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), notFound);
}

TEST(LyricsModelComponent, FetchesASongOnceWhateverItsCaseAlbumAndDuration)
{
    LoopbackHttpServer server;
    LyricsModel model(server.url());
    ContentHistory history(model);
    server.enqueue(ok(recordOf("First")));
    model.load(QStringLiteral("First Song"), QStringLiteral("Band"), QStringLiteral("Album"), 200);
    ASSERT_TRUE(settled(model));
    // Not found by the lookup (404) nor by the search (404).
    model.load(QStringLiteral("Missing Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), notFound);
    ASSERT_EQ(server.requests.size(), 3);

    // Known songs show at once, "not found" included.
    model.load(QStringLiteral("FIRST SONG"), QStringLiteral("BAND"), QStringLiteral("Another Album"), 180);
    EXPECT_EQ(model.content(), sungLine("First"));
    model.load(QStringLiteral("missing song"), QStringLiteral("band"), QStringLiteral("Album"), 100);
    EXPECT_EQ(model.content(), notFound);
    // A song after no song shows again too.
    model.load(QString(), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), none);
    model.load(QStringLiteral("First Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), sungLine("First"));

    // A new song is the next request.
    server.enqueue(ok(recordOf("Third")));
    model.load(QStringLiteral("Third Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(settled(model));
    ASSERT_EQ(server.requests.size(), 4);
    EXPECT_EQ(server.requests.last().target, "/api/get?track_name=Third%20Song&artist_name=Band");
    EXPECT_EQ(history.values, (QList<LyricsContent>{loading, sungLine("First"), loading, notFound, sungLine("First"), notFound, none,
                                                    sungLine("First"), loading, sungLine("Third")}));
}

TEST(LyricsModelComponent, AskingAgainForTheSongBeingFetchedChangesNothing)
{
    LoopbackHttpServer server;
    LyricsModel model(server.url());
    server.setHolding(true);
    server.enqueue(ok(recordOf("Once")));
    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QStringLiteral("Album"), 200);
    ASSERT_TRUE(server.waitForRequests(1));
    model.load(QStringLiteral("SONG"), QStringLiteral("band"), QStringLiteral("Other Album"), 100);
    EXPECT_EQ(model.content(), loading);

    server.setHolding(false);
    server.release();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), sungLine("Once"));
    EXPECT_EQ(server.requests.size(), 1);
}

TEST(LyricsModelComponent, ANewSongAbandonsTheSlowAnswerOfTheLastOne)
{
    LoopbackHttpServer server;
    LyricsModel model(server.url());
    server.setHolding(true);
    model.load(QStringLiteral("Slow Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(server.waitForRequests(1));

    server.setHolding(false);
    server.enqueue(ok(recordOf("Quick")));
    model.load(QStringLiteral("Quick Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), sungLine("Quick"));
    // The slow answer, if its request is still open, is not found (404).
    server.release();

    // The abandoned song was not cached: asking for it fetches it anew.
    server.enqueue(ok(recordOf("Slow")));
    model.load(QStringLiteral("Slow Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.content(), sungLine("Slow"));
    ASSERT_EQ(server.requests.size(), 3);
    EXPECT_EQ(server.requests.at(2).target, server.requests.at(0).target);
}

TEST(LyricsModelComponent, AnAnswerDecodedAfterANewerSongsNeverShowsNorIsKept)
{
    LoopbackHttpServer server;
    QueuedDecoding decoding(server.url());
    LyricsModel &model = decoding.model;
    ContentHistory history(model);
    server.enqueue(ok(recordOf("Old")));
    model.load(QStringLiteral("Old Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(1));

    server.enqueue(ok(recordOf("New")));
    model.load(QStringLiteral("New Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(2));
    decoding.decode(1);
    EXPECT_EQ(model.content(), sungLine("New"));
    // The old song's answer, decoded last, is dropped.
    decoding.decode(0);
    EXPECT_EQ(model.content(), sungLine("New"));
    EXPECT_EQ(history.values, (QList<LyricsContent>{loading, sungLine("New")}));

    server.enqueue(ok(recordOf("Old again")));
    model.load(QStringLiteral("Old Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(decoding.waitForAnswers(1));
    decoding.decode(0);
    EXPECT_EQ(model.content(), sungLine("Old again"));
    EXPECT_EQ(server.requests.size(), 3);
}

TEST(LyricsModelComponent, NoSongDropsTheAnswerOfTheFetchUnderWay)
{
    LoopbackHttpServer server;
    QueuedDecoding decoding(server.url());
    LyricsModel &model = decoding.model;
    server.enqueue(ok(recordOf("Dropped")));
    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(1));

    model.load(QString(), QString(), QString(), 0);
    EXPECT_EQ(model.content(), none);
    decoding.decode(0);
    EXPECT_EQ(model.content(), none);

    // The answer was not kept either.
    server.enqueue(ok(recordOf("Kept")));
    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(decoding.waitForAnswers(1));
    decoding.decode(0);
    EXPECT_EQ(model.content(), sungLine("Kept"));
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(LyricsModelComponent, AnAbandonedFetchOfTheSongAskedForAgainIsDropped)
{
    LoopbackHttpServer server;
    QueuedDecoding decoding(server.url());
    LyricsModel &model = decoding.model;
    ContentHistory history(model);
    server.enqueue(ok(recordOf("First try")));
    server.enqueue(ok(recordOf("Other")));
    server.enqueue(ok(recordOf("Second try")));
    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(1));
    model.load(QStringLiteral("Other Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(2));
    model.load(QStringLiteral("Song"), QStringLiteral("Band"), QString(), 0);
    ASSERT_TRUE(decoding.waitForAnswers(3));

    // The first fetch of the song and the other song's were abandoned.
    decoding.decode(0);
    decoding.decode(0);
    EXPECT_EQ(model.content(), loading);
    decoding.decode(0);
    EXPECT_EQ(model.content(), sungLine("Second try"));
    EXPECT_EQ(history.values, (QList<LyricsContent>{loading, sungLine("Second try")}));

    // The other song's answer was not kept.
    model.load(QStringLiteral("Other Song"), QStringLiteral("Band"), QString(), 0);
    EXPECT_EQ(model.content(), loading);
    ASSERT_TRUE(server.waitForRequests(4));
}
