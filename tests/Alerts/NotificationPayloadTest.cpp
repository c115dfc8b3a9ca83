#include "Alerts/NotificationPayload.h"
#include "NotificationFixtures.h"
#include "QtPrinters.h"

#include <QFile>

#include <gtest/gtest.h>

namespace NotificationPayload {
void PrintTo(const Texts &texts, std::ostream *out)
{
    *out << '{' << texts.title.toStdString() << " | " << texts.subtitle.toStdString() << " | " << texts.body.toStdString() << '}';
}
} // namespace NotificationPayload

namespace NotificationFixtures {
void PrintTo(PlistFormat format, std::ostream *out)
{
    *out << (format == PlistFormat::xml ? "XML" : "binary");
}
} // namespace NotificationFixtures

using NotificationFixtures::PlistFormat;
using Texts = NotificationPayload::Texts;

namespace {

const QString thumbsUp = QStringLiteral("\U0001F44D\U0001F3FD");

struct DecodeCase {
    const char *name;
    QString xml;
    std::optional<Texts> expected;
};

void PrintTo(const DecodeCase &testCase, std::ostream *out)
{
    *out << testCase.name;
}

class NotificationPayloadDecode : public ::testing::TestWithParam<std::tuple<PlistFormat, DecodeCase>> {};

QString request(const QString &entries)
{
    return QStringLiteral("<dict><key>req</key><dict>%1</dict></dict>").arg(entries);
}

const DecodeCase decodeCases[] = {
    {"AllThreeTexts", request("<key>titl</key><string>Ana</string><key>subt</key><string>Grupo</string><key>body</key><string>Oi!</string>"),
     Texts{"Ana", "Grupo", "Oi!"}},
    {"MissingTextsAreEmpty", request("<key>body</key><string>Só o corpo</string>"), Texts{"", "", "Só o corpo"}},
    {"TextsThatAreNotStringsAreEmpty", request("<key>titl</key><integer>3</integer><key>subt</key><array/><key>body</key><string>b</string>"),
     Texts{"", "", "b"}},
    {"BlanksAndLineBreaksTrimmed", request("<key>titl</key><string>  \n Título\t </string><key>body</key><string>\nTexto\n</string>"),
     Texts{"Título", "", "Texto"}},
    {"TitleCutTo80", request("<key>titl</key><string>" + QString(100, u'a') + "</string>"), Texts{QString(80, u'a'), "", ""}},
    {"SubtitleCutTo80", request("<key>subt</key><string>" + QString(81, u'b') + "</string>"), Texts{"", QString(80, u'b'), ""}},
    {"BodyCutTo240", request("<key>body</key><string>" + QString(300, u'c') + "</string>"), Texts{"", "", QString(240, u'c')}},
    // A thumbs-up with a skin tone is one character of four UTF-16 units.
    {"CutCountsUserPerceivedCharacters", request("<key>titl</key><string>" + thumbsUp.repeated(81) + "</string>"),
     Texts{thumbsUp.repeated(80), "", ""}},
    {"EmptyRequest", request(""), Texts{}},
    {"NoRequest", "<dict><key>titl</key><string>Ana</string></dict>", std::nullopt},
    {"RequestNotADictionary", "<dict><key>req</key><string>Ana</string></dict>", std::nullopt},
    {"TopLevelNotADictionary", "<array><dict><key>req</key><dict/></dict></array>", std::nullopt},
};

} // namespace

TEST_P(NotificationPayloadDecode, ReadsTheTexts)
{
    const auto &[format, testCase] = GetParam();
    EXPECT_EQ(NotificationPayload::decode(NotificationFixtures::plist(format, testCase.xml)), testCase.expected);
}

INSTANTIATE_TEST_SUITE_P(, NotificationPayloadDecode,
                         ::testing::Combine(::testing::Values(PlistFormat::xml, PlistFormat::binary), ::testing::ValuesIn(decodeCases)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param) == PlistFormat::xml ? "Xml" : "Binary") + std::get<1>(info.param).name;
                         });

TEST(NotificationPayload, BytesThatAreNoPropertyListGiveNothing)
{
    const QByteArray binary = NotificationFixtures::payload(PlistFormat::binary, QStringLiteral("Ana"));
    const QByteArray xml = NotificationFixtures::payload(PlistFormat::xml, QStringLiteral("Ana"));
    for (const QByteArray &bytes : {QByteArray(), QByteArray("garbage"), QByteArray("bplist00"), binary.left(binary.size() / 2),
                                    xml.left(xml.size() / 2), QByteArray(64, '\0'), QByteArray("<plist><dict><key>req</key>")}) {
        EXPECT_EQ(NotificationPayload::decode(bytes), std::nullopt) << bytes.toHex().constData();
        EXPECT_EQ(NotificationPayload::summary(bytes), QStringLiteral("-")) << bytes.toHex().constData();
    }
}

TEST(NotificationPayload, SummaryListsTheKeysSorted)
{
    for (PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        EXPECT_EQ(NotificationPayload::summary(NotificationFixtures::payload(format, QStringLiteral("Ana"), std::nullopt, QStringLiteral("Oi"))),
                  QStringLiteral("top[req,uuid] req[body,titl] decode=true"));
        EXPECT_EQ(NotificationPayload::summary(NotificationFixtures::plist(format, QStringLiteral("<dict><key>z</key><true/><key>a</key><true/></dict>"))),
                  QStringLiteral("top[a,z] req[sem req] decode=false"));
        // A key that reads like markup is shown as the text it is.
        EXPECT_EQ(NotificationPayload::summary(NotificationFixtures::plist(format, QStringLiteral("<dict><key>x&amp;lt;y&lt;&gt;&amp;</key><true/></dict>"))),
                  QStringLiteral("top[x&lt;y<>&] req[sem req] decode=false"));
    }
}

// A database written by someone else may hold strings and keys with a NUL
// inside.
TEST(NotificationPayload, AStringWithANulInsideIsReadWhole)
{
    QFile file(QStringLiteral(QUIB_TEST_FIXTURES "/payloads/string-with-nul.bplist"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto texts = NotificationPayload::decode(file.readAll());
    ASSERT_TRUE(texts.has_value());
    EXPECT_EQ(texts->body, QStringLiteral("Corpo da mensagem"));
    EXPECT_TRUE(texts->subtitle.contains(QChar(0))) << texts->subtitle.toStdString();
}

TEST(NotificationPayload, AKeyWithANulInsideIsListedWhole)
{
    QFile file(QStringLiteral(QUIB_TEST_FIXTURES "/payloads/key-with-nul.bplist"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(NotificationPayload::decode(bytes), Texts{});
    EXPECT_EQ(NotificationPayload::summary(bytes), QStringLiteral("top[app,req] req[Títu") + QChar(0) + QStringLiteral("o] decode=true"));
}
