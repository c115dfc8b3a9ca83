#include "Calendar/MeetingLink.h"
#include "Platform/Fake/FakeWorkspace.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct FindCase {
    const char *name;
    std::optional<QString> url;
    std::optional<QString> location;
    std::optional<QString> notes;
    std::optional<QString> expectedUrl;
    std::optional<QString> expectedProvider;
};

std::optional<QUrl> urlOf(const std::optional<QString> &text)
{
    return text ? std::optional<QUrl>(QUrl(*text)) : std::nullopt;
}

} // namespace

TEST(MeetingLink, FindsTheLinkByFieldAndProviderTable)
{
    const QList<FindCase> cases{
        {"document url, Teams link in notes", QStringLiteral("https://docs.example.com/agenda"), std::nullopt,
         QStringLiteral("Entrar: https://teams.microsoft.com/l/meetup-join/19%3ameeting_abc%40thread.v2/0 obrigado"),
         QStringLiteral("https://teams.microsoft.com/l/meetup-join/19%3ameeting_abc%40thread.v2/0"), QStringLiteral("Teams")},
        {"company zoom subdomain /j/", QStringLiteral("https://acme.zoom.us/j/123456789"), std::nullopt, std::nullopt,
         QStringLiteral("https://acme.zoom.us/j/123456789"), QStringLiteral("Zoom")},
        {"zoom /s/ matches no row", QStringLiteral("https://acme.zoom.us/s/123456789"), std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"capital scheme", QStringLiteral("HTTPS://meet.google.com/abc-defg-hij"), std::nullopt, std::nullopt, QStringLiteral("https://meet.google.com/abc-defg-hij"),
         QStringLiteral("Meet")},
        {"location wins over notes", std::nullopt, QStringLiteral("Sala 3, https://whereby.com/equipe."), QStringLiteral("https://meet.jit.si/sala"),
         QStringLiteral("https://whereby.com/equipe"), QStringLiteral("Whereby")},
        {"lookalike host is no provider", std::nullopt, QStringLiteral("https://notzoom.us.example.com/j/1 and https://evilzoom.us/j/2"), std::nullopt,
         std::nullopt, std::nullopt},
        {"slack needs its huddle path", std::nullopt, std::nullopt, QStringLiteral("https://app.slack.com/client/T1 https://app.slack.com/huddle/T1/C2"),
         QStringLiteral("https://app.slack.com/huddle/T1/C2"), QStringLiteral("Slack")},
        {"www link without scheme", std::nullopt, QStringLiteral("www.webex.com/meet/ana"), std::nullopt, QStringLiteral("http://www.webex.com/meet/ana"),
         QStringLiteral("Webex")},
        {"not a web scheme", QStringLiteral("ftp://meet.google.com/abc"), QStringLiteral("   "), QString(), std::nullopt, std::nullopt},
        {"discord invite and channels", std::nullopt, QStringLiteral("https://discord.com/invite/x https://discord.gg/abc"), std::nullopt,
         QStringLiteral("https://discord.gg/abc"), QStringLiteral("Discord")},
    };
    for (const FindCase &test : cases) {
        SCOPED_TRACE(test.name);
        const auto found = MeetingLink::find(urlOf(test.url), test.location, test.notes);
        ASSERT_EQ(found.has_value(), test.expectedUrl.has_value());
        if (found) {
            EXPECT_EQ(found->url, QUrl(*test.expectedUrl));
            EXPECT_EQ(found->provider, *test.expectedProvider);
        }
    }
}

TEST(MeetingLink, ALinkEndsAtAnyWhiteSpace)
{
    const QList<std::pair<const char *, QString>> spaces{
        {"no-break space", QStringLiteral("\u00A0")},      {"figure space", QStringLiteral("\u2007")},
        {"narrow no-break space", QStringLiteral("\u202F")}, {"ideographic space", QStringLiteral("\u3000")},
        {"em space", QStringLiteral("\u2003")},            {"tab", QStringLiteral("\t")},
        {"line feed", QStringLiteral("\n")},               {"next line", QStringLiteral("\u0085")},
        {"line separator", QStringLiteral("\u2028")},      {"paragraph separator", QStringLiteral("\u2029")},
    };
    FakeWorkspace workspace;
    workspace.openableSchemes = {QStringLiteral("zoommtg")};
    for (const auto &[name, space] : spaces) {
        SCOPED_TRACE(name);
        const auto found = MeetingLink::find(std::nullopt, std::nullopt, QStringLiteral("Entrar: https://acme.zoom.us/j/555?pwd=abc") + space + QStringLiteral("Senha:\u00A0123"));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->url, QUrl(QStringLiteral("https://acme.zoom.us/j/555?pwd=abc")));
        const auto native = MeetingLink::nativeURL(found->url, workspace);
        ASSERT_TRUE(native);
        EXPECT_EQ(native->query(QUrl::FullyDecoded), QStringLiteral("action=join&confno=555&pwd=abc"));
    }
}

TEST(MeetingLink, ZoomLinksBecomeTheAppsLinkOnlyWhenInstalled)
{
    FakeWorkspace workspace;
    const QUrl web(QStringLiteral("https://acme.zoom.us/j/987654321?pwd=s3cr%2Bt&uname=x"));
    EXPECT_EQ(MeetingLink::nativeURL(web, workspace), std::nullopt);

    workspace.openableSchemes = {QStringLiteral("zoommtg")};
    const auto native = MeetingLink::nativeURL(web, workspace);
    ASSERT_TRUE(native);
    EXPECT_EQ(native->scheme(), QStringLiteral("zoommtg"));
    EXPECT_EQ(native->host(), QStringLiteral("zoom.us"));
    EXPECT_EQ(native->path(), QStringLiteral("/join"));
    EXPECT_EQ(native->query(QUrl::FullyDecoded), QStringLiteral("action=join&confno=987654321&pwd=s3cr+t"));

    EXPECT_EQ(MeetingLink::nativeURL(QUrl(QStringLiteral("https://zoom.us/j/42")), workspace)->query(), QStringLiteral("action=join&confno=42"));
    // A pwd item without a value adds nothing.
    EXPECT_EQ(MeetingLink::nativeURL(QUrl(QStringLiteral("https://zoom.us/j/42?pwd")), workspace)->query(), QStringLiteral("action=join&confno=42"));
    // Personal rooms are meeting links but are never rewritten.
    EXPECT_TRUE(MeetingLink::find(QUrl(QStringLiteral("https://zoom.us/my/ana")), std::nullopt, std::nullopt));
    EXPECT_EQ(MeetingLink::nativeURL(QUrl(QStringLiteral("https://zoom.us/my/ana")), workspace), std::nullopt);
}

TEST(MeetingLink, TeamsLinksSwapTheirSchemeWhenTheAppIsInstalled)
{
    FakeWorkspace workspace;
    const QUrl web(QStringLiteral("https://teams.microsoft.com/l/meetup-join/19%3ameeting%40thread.v2/0?context=%7B%7D"));
    EXPECT_EQ(MeetingLink::nativeURL(web, workspace), std::nullopt);
    workspace.openableSchemes = {QStringLiteral("msteams")};
    EXPECT_EQ(MeetingLink::nativeURL(web, workspace)->toString(QUrl::FullyEncoded),
              QStringLiteral("msteams://teams.microsoft.com/l/meetup-join/19%3Ameeting%40thread.v2/0?context=%7B%7D"));
    // Only https links of the two Teams hosts, nothing else.
    EXPECT_EQ(MeetingLink::nativeURL(QUrl(QStringLiteral("http://teams.microsoft.com/meet/1")), workspace), std::nullopt);
    EXPECT_EQ(MeetingLink::nativeURL(QUrl(QStringLiteral("https://meet.google.com/abc")), workspace), std::nullopt);
}
