#include "Platform/Linux/Appcast.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using Update = UpdateFramework::Update;

const QUrl feed(QStringLiteral("https://updates.example.org/quib/appcast.xml"));

// An RSS feed holding `items`, with the version elements in a namespace of
// their own as real feeds declare it.
QByteArray rss(const QByteArray &items)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:up="urn:example:updates"><channel><title>Quib</title>)" +
           items + "</channel></rss>";
}

} // namespace

TEST(AppcastTest, ComparesDottedNumbers)
{
    using std::strong_ordering;
    const struct {
        const char *left;
        const char *right;
        std::optional<strong_ordering> order;
    } cases[] = {
        {"1.3", "1.2", strong_ordering::greater},
        {"1.2", "1.2", strong_ordering::equal},
        {"1.2", "1.3", strong_ordering::less},
        {"1.10", "1.9", strong_ordering::greater},             // numbers, not text
        {"1.2", "1.2.0", strong_ordering::equal},              // a missing part is 0
        {"1.2.0.1", "1.2", strong_ordering::greater},
        {"01.002", "1.2", strong_ordering::equal},             // leading zeros
        {" 2.0 ", "2", strong_ordering::equal},                // white space around
        {"99999999999999999999.1", "99999999999999999999.0", strong_ordering::greater}, // beyond 64 bits
        {"100000000000000000000", "99999999999999999999", strong_ordering::greater},
        {"", "1.0", std::nullopt},
        {"1.0", "", std::nullopt},
        {"1..2", "1.2", std::nullopt},
        {"1.2.", "1.2", std::nullopt},
        {"1.3b1", "1.2", std::nullopt},                        // pre-releases are not versions
        {"v1.3", "1.2", std::nullopt},
        {"-1", "1", std::nullopt},
        {"1.2", "?", std::nullopt},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(std::string(row.left) + " vs " + row.right);
        EXPECT_EQ(Appcast::compareVersions(QString::fromUtf8(row.left), QString::fromUtf8(row.right)), row.order);
    }
}

TEST(AppcastTest, ReadsVersionsAndPagesFromElementsAndEnclosures)
{
    const Appcast::Document document = Appcast::parse(rss(R"(
<item><title>Quib 1.3</title><link>https://quib.example.org/1.3</link>
  <up:version>130</up:version><up:shortVersionString>1.3</up:shortVersionString>
  <enclosure url="https://dl.example.org/quib-1.3.tar.gz" up:version="999" up:shortVersionString="9.9" length="10" type="application/gzip"/></item>
<item><up:releaseNotesLink>notes/1.2.html</up:releaseNotesLink>
  <enclosure url="https://dl.example.org/quib-1.2.tar.gz" up:version="120" up:shortVersionString="1.2"/></item>
<item><enclosure url="https://dl.example.org/quib-1.1.tar.gz" up:version="110"/></item>
<item><link>ftp://quib.example.org/1.0</link><enclosure url="file:///tmp/quib-1.0" up:version="100"/></item>
<item><link>https://quib.example.org/nightly</link><up:version>2.0-nightly</up:version></item>
<item><link>https://quib.example.org/unversioned</link></item>
)"),
                                                      feed);
    ASSERT_FALSE(document.error) << document.error->toStdString();
    const QList<Update> expected{
        // Elements win over the enclosure's attributes; the link over the download.
        {"130", "1.3", QUrl("https://quib.example.org/1.3")},
        // Release notes before the download; a relative address against the feed's.
        {"120", "1.2", QUrl("https://updates.example.org/quib/notes/1.2.html")},
        // The download when nothing else; the build version shown when there is no other.
        {"110", "110", QUrl("https://dl.example.org/quib-1.1.tar.gz")},
        // Left out: nothing that is a web address to open, a version that is
        // not dotted numbers, no version.
    };
    EXPECT_EQ(document.updates, expected);
}

TEST(AppcastTest, RejectsDocumentsThatAreNotWellFormedFeeds)
{
    const struct {
        const char *name;
        QByteArray document;
    } cases[] = {
        {"empty", ""},
        {"not XML", "HTTP/1.1 502 Bad Gateway"},
        {"cut short", rss("<item><link>https://quib.example.org/1.3</link><up:version>130</up:version>").left(150)},
        {"unclosed item", rss("<item><up:version>130</up:version>")},
        {"undeclared prefix", R"(<rss><channel><item><x:version>130</x:version></item></channel></rss>)"},
        {"not RSS", R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry/></feed>)"},
        {"junk after the feed", rss("<item><link>https://quib.example.org/1.3</link><up:version>130</up:version></item>") + "<rss/>"},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        const Appcast::Document document = Appcast::parse(row.document, feed);
        EXPECT_TRUE(document.error);
        EXPECT_TRUE(document.updates.isEmpty());
    }
}

TEST(AppcastTest, AWellFormedFeedWithoutItemsOffersNothing)
{
    const Appcast::Document document = Appcast::parse(rss(""), feed);
    EXPECT_FALSE(document.error);
    EXPECT_TRUE(document.updates.isEmpty());
}

TEST(AppcastTest, OffersTheNewestItemOnlyWhenNewerThanTheRunningVersion)
{
    const Update older{"1.1", "1.1", QUrl("https://quib.example.org/1.1")};
    const Update newest{"1.3", "1.3", QUrl("https://quib.example.org/1.3")};
    const Update sameAsNewest{"1.3.0", "1.3 again", QUrl("https://quib.example.org/1.3-again")};
    const Update middle{"1.2.5", "1.2.5", QUrl("https://quib.example.org/1.2.5")};
    const QList<Update> updates{older, newest, sameAsNewest, middle};

    EXPECT_EQ(Appcast::newest(updates, "1.2"), newest) << "the highest version, not the first or last item; the first of equals";
    EXPECT_EQ(Appcast::newest(updates, "1.3"), std::nullopt) << "equal to the running version";
    EXPECT_EQ(Appcast::newest(updates, "1.4"), std::nullopt) << "older than the running version";
    EXPECT_EQ(Appcast::newest(updates, "?"), std::nullopt) << "a running version that cannot be compared";
    EXPECT_EQ(Appcast::newest({}, "1.0"), std::nullopt);
}
