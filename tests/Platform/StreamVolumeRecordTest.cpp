#include "Platform/Linux/StreamVolumeRecord.h"

#include <gtest/gtest.h>

namespace {

TEST(StreamVolumeRecordTest, WhatIsWrittenReadsBack)
{
    const QList<ScaledStreamEntry> entries{{7, 1234, {52016, 52016}, {65536, 65536}}, {0, 99, {0}, {131072}}};
    EXPECT_EQ(StreamVolumeRecord::parse(StreamVolumeRecord::serialize(entries)), entries);
    EXPECT_EQ(StreamVolumeRecord::parse(StreamVolumeRecord::serialize({})), QList<ScaledStreamEntry>());
}

TEST(StreamVolumeRecordTest, ARecordThatIsNoneReadsAsNothing)
{
    for (const char *contents : {"", "not json", "[]", "{}", R"({"streams":{}})", R"({"streams":"none"})"})
        EXPECT_EQ(StreamVolumeRecord::parse(contents), std::nullopt) << contents;
}

// One good entry beside each bad one: only the good one is kept.
TEST(StreamVolumeRecordTest, EntriesThatAreNotWholeAreLeftOut)
{
    const struct {
        const char *name;
        const char *entry;
    } cases[] = {
        {"not an object", R"(3)"},
        {"no index", R"({"processIdentifier":5,"written":[1],"own":[2]})"},
        {"negative index", R"({"index":-1,"processIdentifier":5,"written":[1],"own":[2]})"},
        {"fractional index", R"({"index":1.5,"processIdentifier":5,"written":[1],"own":[2]})"},
        {"invalid index", R"({"index":4294967295,"processIdentifier":5,"written":[1],"own":[2]})"},
        {"index as text", R"({"index":"1","processIdentifier":5,"written":[1],"own":[2]})"},
        {"no process", R"({"index":1,"written":[1],"own":[2]})"},
        {"process too large", R"({"index":1,"processIdentifier":4294967296,"written":[1],"own":[2]})"},
        {"no channels", R"({"index":1,"processIdentifier":5,"written":[],"own":[]})"},
        {"channels differ", R"({"index":1,"processIdentifier":5,"written":[1,1],"own":[2]})"},
        {"volume past the maximum", R"({"index":1,"processIdentifier":5,"written":[1],"own":[2147483648]})"},
        {"negative volume", R"({"index":1,"processIdentifier":5,"written":[-1],"own":[2]})"},
        {"fractional volume", R"({"index":1,"processIdentifier":5,"written":[0.5],"own":[2]})"},
        {"volume as text", R"({"index":1,"processIdentifier":5,"written":["1"],"own":[2]})"},
        {"more channels than a stream has",
         R"({"index":1,"processIdentifier":5,"written":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1],)"
         R"("own":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]})"},
    };
    const QByteArray good = R"({"index":2,"processIdentifier":6,"written":[3,4],"own":[5,6]})";
    for (const auto &row : cases) {
        const std::optional<QList<ScaledStreamEntry>> parsed = StreamVolumeRecord::parse(QByteArray(R"({"streams":[)") + row.entry + "," + good + "]}");
        ASSERT_TRUE(parsed) << row.name;
        EXPECT_EQ(*parsed, QList<ScaledStreamEntry>({{2, 6, {3, 4}, {5, 6}}})) << row.name;
    }
}

} // namespace
