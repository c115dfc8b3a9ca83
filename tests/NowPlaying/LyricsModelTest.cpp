#include "NowPlaying/LyricsModel.h"

#include "LyricsPrinters.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct TimedText {
    double time;
    const char *text;
};

// Lines numbered 0, 1, 2, ... in the order given.
QList<LyricLine> lines(const QList<TimedText> &timed)
{
    QList<LyricLine> result;
    for (const TimedText &line : timed)
        result.append({int(result.size()), line.time, QString::fromUtf8(line.text)});
    return result;
}

LyricsModel::Record plainRecord(const QString &plain)
{
    return {std::nullopt, plain, std::nullopt};
}

const QUrl service(QStringLiteral("https://lyrics.example"));

} // namespace

TEST(LyricsModel, ParsesLrcText)
{
    struct Case {
        const char *name;
        const char *text;
        QList<TimedText> expected;
    };
    const QList<Case> cases{
        {"minutes and fractional seconds", "[00:12.50]Hello", {{12.5, "Hello"}}},
        {"minutes and whole seconds", "[01:02]Line", {{62, "Line"}}},
        {"several tags give the text at each time, sorted among the others",
         "[00:30.00]B\n[00:05.00][00:40.00]A\n[00:20.00]C",
         {{5, "A"}, {20, "C"}, {30, "B"}, {40, "A"}}},
        {"equal times keep the text's order", "[00:10]First\n[00:10]Second\n[00:05]Zero", {{5, "Zero"}, {10, "First"}, {10, "Second"}}},
        {"lines with only metadata tags are skipped", "[ar:Someone]\n[offset:+200]\n[ti:A: B]\n[length:03:20]x\n[00:01.00]One",
         {{1, "One"}}},
        {"a metadata tag before a time is ignored", "[ar:Someone][00:02]Two", {{2, "Two"}}},
        {"a three-part time is ignored", "[00:01:02]Three\n[00:03]Ok", {{3, "Ok"}}},
        {"empty pieces of a tag are dropped", "[:00:09]Nine\n[00::10]Ten", {{9, "Nine"}, {10, "Ten"}}},
        {"empty tags give no time", "[]x\n[:]y\n[00:]z", {}},
        {"negative times are rejected", "[-01:05]a\n[00:-5]b\n[-00:05]c\n[-0.0:01]d\n[00:06]Ok", {{6, "Ok"}}},
        {"non-finite times are rejected", "[inf:00]a\n[00:nan]b\n[00:infinity]c\n[1e400:00]d\n[1e307:00]e\n[00:INF]f\n[00:07]Ok",
         {{7, "Ok"}}},
        {"numbers must be whole", "[00:12s]a\n[ 00:12]b\n[00:12 ]c\n[0x1:00]d\n[00:1,5]e\n[00:1.2.3]f\n[+-1:00]g\n[++1:00]h\n[00:08]Ok",
         {{8, "Ok"}}},
        {"a sign and an exponent are numbers", "[+01:+02.5]Signed\n[0:1e1]Ten\n[1.5:.5]Half", {{10, "Ten"}, {62.5, "Signed"}, {90.5, "Half"}}},
        {"a space between tags ends the tags", "[00:01.00] [00:02.00]Word", {{1, "[00:02.00]Word"}}},
        {"a tag left open becomes text", "[00:03][x\n[00:04", {{3, "[x"}}},
        {"blanks around lines and texts are trimmed", "  \t[00:07]  Spaced\t \nplain text\n\n", {{7, "Spaced"}}},
        {"an empty text is a gap, and a run of gaps is one", "[00:01]A\n[00:02]\n[00:03]  \n[00:04]\t\n[00:05]B\n[00:06]♪\n[00:07]",
         {{1, "A"}, {2, "♪"}, {5, "B"}, {6, "♪"}}},
        {"gaps collapse after sorting", "[00:04]\n[00:01]A\n[00:03]\n[00:02]", {{1, "A"}, {2, "♪"}}},
        {"every newline character ends a line", "[00:01]A\r\n[00:02]B\r[00:03]C\u2028[00:04]D\u0085[00:05]E",
         {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}}},
        {"other white space stays in the text", "[00:01]\u00a0A\u00a0", {{1, "\u00a0A\u00a0"}}},
        {"nothing", "", {}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LyricsModel::parseLRC(QString::fromUtf8(test.text)), lines(test.expected));
    }

    // Lines of equal times keep their order in a text long enough for the
    // sort to split it.
    QString text;
    QList<LyricLine> expected;
    for (int index = 0; index < 64; ++index)
        text += QStringLiteral("[00:%1]%2\n").arg(index % 2 == 0 ? 10 : 5).arg(index);
    for (int index = 0; index < 64; ++index)
        expected.append({index, index < 32 ? 5.0 : 10.0, QString::number(index < 32 ? 2 * index + 1 : 2 * (index - 32))});
    EXPECT_EQ(LyricsModel::parseLRC(text), expected);
}

TEST(LyricsModel, TurnsARecordIntoContent)
{
    const QString tenLines = QStringLiteral("one\ntwo\nthree\n\n  \nfour\nfive\n\t\nsix\nseven\neight\nnine\nten");
    QList<TimedText> everyTwenty;
    QList<TimedText> everyFour;
    const char *const words[] = {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
    for (int index = 0; index < 10; ++index) {
        everyTwenty.append({20.0 * index, words[index]});
        everyFour.append({4.0 * index, words[index]});
    }
    const LyricsContent instrumental = LyricsContent::plain(lines({{0, "♪ Instrumental ♪"}}));

    struct Case {
        const char *name;
        LyricsModel::Record record;
        double duration;
        std::optional<LyricsContent> expected;
    };
    const QList<Case> cases{
        {"synced lyrics come first", {"[00:01]Sung", "Plain", true}, 200, LyricsContent::synced(lines({{1, "Sung"}}))},
        {"synced lyrics without a timed line fall back to plain", {"[ar:Someone]\nno tag", "Plain", std::nullopt}, 8,
         LyricsContent::plain(lines({{0, "Plain"}}))},
        {"plain lines share the duration; blank lines are dropped first", plainRecord(tenLines), 200, LyricsContent::plain(lines(everyTwenty))},
        {"plain lines of a song without duration are 4 s apart", plainRecord(tenLines), 0, LyricsContent::plain(lines(everyFour))},
        {"a negative duration counts as none", plainRecord(tenLines), -200, LyricsContent::plain(lines(everyFour))},
        {"an infinite duration counts as none", plainRecord(tenLines), std::numeric_limits<double>::infinity(),
         LyricsContent::plain(lines(everyFour))},
        {"a duration that is not a number counts as none", plainRecord(tenLines), std::nan(""), LyricsContent::plain(lines(everyFour))},
        {"plain lines end at every newline character, trimmed", plainRecord(QStringLiteral(" a \r\nb\u2029c")), 3,
         LyricsContent::plain(lines({{0, "a"}, {1, "b"}, {2, "c"}}))},
        {"an instrumental", {"", std::nullopt, true}, 200, instrumental},
        {"an instrumental with empty plain lyrics", {std::nullopt, "", true}, 200, instrumental},
        {"blank plain lyrics give nothing, even for an instrumental", {std::nullopt, " \n\t\n", true}, 200, std::nullopt},
        {"not an instrumental", {std::nullopt, std::nullopt, false}, 200, std::nullopt},
        {"nothing at all", {}, 200, std::nullopt},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LyricsModel::content(test.record, test.duration), test.expected);
    }
}

TEST(LyricsModel, DecodesTheLookupsAnswerStrictly)
{
    const std::optional<LyricsContent> sung = LyricsContent::synced(lines({{1, "Sung"}}));
    struct Case {
        const char *name;
        QByteArray body;
        std::optional<LyricsContent> expected;
    };
    const QList<Case> cases{
        {"a record", R"({"id":7,"syncedLyrics":"[00:01]Sung","plainLyrics":null,"instrumental":false,"extra":[1]})", sung},
        {"members may be missing or null", R"({"syncedLyrics":"[00:01]Sung","instrumental":null})", sung},
        {"lyrics of another type", R"({"syncedLyrics":"[00:01]Sung","plainLyrics":5})", std::nullopt},
        {"lyrics as an array", R"({"syncedLyrics":["[00:01]Sung"]})", std::nullopt},
        {"a number for the instrumental flag", R"({"syncedLyrics":"[00:01]Sung","instrumental":1})", std::nullopt},
        {"a string for the instrumental flag", R"({"syncedLyrics":"[00:01]Sung","instrumental":"true"})", std::nullopt},
        {"an array of records", R"([{"syncedLyrics":"[00:01]Sung"}])", std::nullopt},
        {"cut short", R"({"syncedLyrics":"[00:01]Su)", std::nullopt},
        {"not JSON", "<html>Not Found</html>", std::nullopt},
        {"empty", "", std::nullopt},
        {"a record with nothing usable", R"({"syncedLyrics":null,"plainLyrics":null,"instrumental":false})", std::nullopt},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LyricsModel::lookupContent(test.body, 0), test.expected);
    }
}

TEST(LyricsModel, PicksTheSearchsFirstUsableRecordSyncedFirst)
{
    const LyricsContent notFound{LyricsContent::Kind::notFound, {}};
    struct Case {
        const char *name;
        QByteArray body;
        LyricsContent expected;
    };
    const QList<Case> cases{
        {"a synced record before an earlier plain one", R"([{"plainLyrics":"First"},{"syncedLyrics":"[00:02]Second"}])",
         LyricsContent::synced(lines({{2, "Second"}}))},
        {"synced lyrics that parse to nothing still put their record first",
         R"([{"plainLyrics":"First"},{"syncedLyrics":"[ar:x]","plainLyrics":"Second"}])", LyricsContent::plain(lines({{0, "Second"}}))},
        {"unusable records are passed over",
         R"([{"syncedLyrics":"","plainLyrics":"  "},{"instrumental":false},{"plainLyrics":"Third"}])",
         LyricsContent::plain(lines({{0, "Third"}}))},
        {"an instrumental", R"([{"syncedLyrics":null,"instrumental":true}])", LyricsContent::plain(lines({{0, "♪ Instrumental ♪"}}))},
        {"no record", "[]", notFound},
        {"no usable record", R"([{"plainLyrics":"\n"},{}])", notFound},
        {"one record of the wrong shape spoils the answer", R"([{"plainLyrics":"First"},{"instrumental":"no"}])", notFound},
        {"an element that is no record spoils the answer", R"([{"plainLyrics":"First"},null])", notFound},
        {"one record instead of an array", R"({"plainLyrics":"First"})", notFound},
        {"not JSON", "Internal Server Error", notFound},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LyricsModel::searchContent(test.body, 0), test.expected);
    }
}

TEST(LyricsModel, BuildsTheRequests)
{
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char *name;
        const char *album;
        double duration;
        const char *expected;
    };
    const QList<Case> cases{
        {"album and duration", "Album", 215.4, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&album_name=Album&duration=215"},
        {"a half second rounds up", "Album", 215.5, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&album_name=Album&duration=216"},
        {"no album", "", 215.5, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&duration=216"},
        {"no duration", "Album", 0, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&album_name=Album"},
        {"a negative duration", "", -3, "https://lyrics.example/api/get?track_name=Song&artist_name=Band"},
        {"a duration that is not a number", "", std::nan(""), "https://lyrics.example/api/get?track_name=Song&artist_name=Band"},
        {"an infinite duration", "", infinity, "https://lyrics.example/api/get?track_name=Song&artist_name=Band"},
        {"a duration past every whole number", "", 1e300, "https://lyrics.example/api/get?track_name=Song&artist_name=Band"},
        {"the largest whole duration", "", 0x1p62, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&duration=4611686018427387904"},
        {"under half a second", "", 0.4, "https://lyrics.example/api/get?track_name=Song&artist_name=Band&duration=0"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LyricsModel::lookupUrl(service, QStringLiteral("Song"), QStringLiteral("Band"), QString::fromUtf8(test.album), test.duration)
                      .toString(QUrl::FullyEncoded),
                  QString::fromLatin1(test.expected));
    }
    EXPECT_EQ(LyricsModel::searchUrl(service, QStringLiteral("Song"), QStringLiteral("Band")).toString(QUrl::FullyEncoded),
              QStringLiteral("https://lyrics.example/api/search?track_name=Song&artist_name=Band"));

    // Delimiters and "+" in names are escaped, so they reach the service as
    // written.
    const QString title = QStringLiteral("C++ & Me = #1?");
    const QString artist = QStringLiteral("Zé/Ação 100%");
    EXPECT_EQ(LyricsModel::searchUrl(service, title, artist).toString(QUrl::FullyEncoded),
              QStringLiteral("https://lyrics.example/api/search?track_name=C%2B%2B%20%26%20Me%20%3D%20%231%3F"
                             "&artist_name=Z%C3%A9%2FA%C3%A7%C3%A3o%20100%25"));
}

TEST(LyricsModel, KeysSongsByArtistAndTitleInAnyCase)
{
    EXPECT_EQ(LyricsModel::key(QStringLiteral("Águas de Março"), QStringLiteral("Elis")), QStringLiteral("elis|águas de março"));
    EXPECT_EQ(LyricsModel::key(QStringLiteral("SONG"), QStringLiteral("BAND")), LyricsModel::key(QStringLiteral("song"), QStringLiteral("band")));
}
