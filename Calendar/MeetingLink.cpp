#include "Calendar/MeetingLink.h"

#include "Platform/Workspace.h"

#include <QRegularExpression>
#include <QUrlQuery>

#include <array>

namespace {

const QString zoomHost = QStringLiteral("zoom.us");
const QString zoomSecondaryHost = QStringLiteral("zoom.com");
const QString teamsWorkHost = QStringLiteral("teams.microsoft.com");
const QString teamsPersonalHost = QStringLiteral("teams.live.com");

struct Row {
    QString host;
    QString pathPrefix;
    QString label;
};

const std::array<Row, 15> &table()
{
    static const std::array<Row, 15> rows{{
        {QStringLiteral("meet.google.com"), {}, QStringLiteral("Meet")},
        {zoomHost, QStringLiteral("/j/"), QStringLiteral("Zoom")},
        {zoomHost, QStringLiteral("/my/"), QStringLiteral("Zoom")},
        {zoomHost, QStringLiteral("/w/"), QStringLiteral("Zoom")},
        {zoomSecondaryHost, QStringLiteral("/j/"), QStringLiteral("Zoom")},
        {teamsWorkHost, QStringLiteral("/l/meetup-join"), QStringLiteral("Teams")},
        {teamsWorkHost, QStringLiteral("/meet/"), QStringLiteral("Teams")},
        {teamsPersonalHost, {}, QStringLiteral("Teams")},
        {QStringLiteral("webex.com"), {}, QStringLiteral("Webex")},
        {QStringLiteral("facetime.apple.com"), {}, QStringLiteral("FaceTime")},
        {QStringLiteral("whereby.com"), {}, QStringLiteral("Whereby")},
        {QStringLiteral("meet.jit.si"), {}, QStringLiteral("Jitsi")},
        {QStringLiteral("app.slack.com"), QStringLiteral("/huddle"), QStringLiteral("Slack")},
        {QStringLiteral("discord.gg"), {}, QStringLiteral("Discord")},
        {QStringLiteral("discord.com"), QStringLiteral("/channels/"), QStringLiteral("Discord")},
    }};
    return rows;
}

// The first query item named `name`: none when absent; an item without "="
// has no value, "pwd=" has the empty value.
std::optional<std::optional<QString>> queryItem(const QString &query, const QString &name)
{
    for (const QString &item : query.split(u'&')) {
        const qsizetype equals = item.indexOf(u'=');
        const QString key = QUrl::fromPercentEncoding(item.left(equals < 0 ? item.size() : equals).toUtf8());
        if (key != name)
            continue;
        if (equals < 0)
            return std::optional<QString>();
        return std::optional<QString>(QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
    }
    return std::nullopt;
}

QString lastPathComponent(const QString &path)
{
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.last();
}

} // namespace

std::optional<QString> MeetingLink::provider(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme != u"https" && scheme != u"http")
        return std::nullopt;
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return std::nullopt;
    const QString path = url.path(QUrl::FullyDecoded);
    for (const Row &row : table()) {
        const bool hostMatches = host == row.host || host.endsWith(u'.' + row.host);
        if (hostMatches && (row.pathPrefix.isEmpty() || path.startsWith(row.pathPrefix)))
            return row.label;
    }
    return std::nullopt;
}

QList<QUrl> MeetingLink::detectLinks(const QString &text)
{
    // A link ends at any white space: \h and \v are Unicode's horizontal and
    // vertical spaces (a no-break space after a Zoom password, a line
    // separator), where \s would stop only at ASCII ones.
    static const QRegularExpression link(QStringLiteral("(?:\\bhttps?://|\\bwww\\.)[^\\h\\v<>\"'`{}|\\\\^\\[\\]]+"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression trailing(QStringLiteral("[.,;:!?)]+$"));
    QList<QUrl> links;
    for (auto match = link.globalMatch(text); match.hasNext();) {
        QString found = match.next().captured();
        found.remove(trailing);
        if (found.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
            found.prepend(QStringLiteral("http://"));
        const QUrl url(found);
        if (url.isValid())
            links.append(url);
    }
    return links;
}

std::optional<MeetingLink::Found> MeetingLink::find(const std::optional<QUrl> &url, const std::optional<QString> &location, const std::optional<QString> &notes)
{
    if (url) {
        if (const auto label = provider(*url))
            return Found{*url, *label};
    }
    for (const auto &text : {location, notes}) {
        if (!text || text->isEmpty())
            continue;
        for (const QUrl &link : detectLinks(*text)) {
            if (const auto label = provider(link))
                return Found{link, *label};
        }
    }
    return std::nullopt;
}

bool MeetingLink::installed(const QString &urlText, const Workspace &workspace)
{
    const QUrl url(urlText);
    return url.isValid() && !url.scheme().isEmpty() && workspace.canOpen(url);
}

std::optional<QUrl> MeetingLink::nativeURL(const QUrl &url, const Workspace &workspace)
{
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return std::nullopt;
    if ((host.endsWith(zoomHost) || host.endsWith(zoomSecondaryHost)) && url.path(QUrl::FullyDecoded).startsWith(QStringLiteral("/j/"))
        && installed(QStringLiteral("zoommtg://"), workspace)) {
        QUrl native;
        native.setScheme(QStringLiteral("zoommtg"));
        native.setHost(zoomHost);
        native.setPath(QStringLiteral("/join"));
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("action"), QStringLiteral("join"));
        query.addQueryItem(QStringLiteral("confno"), lastPathComponent(url.path(QUrl::FullyDecoded)));
        if (const auto password = queryItem(url.query(QUrl::FullyEncoded), QStringLiteral("pwd")); password && *password)
            query.addQueryItem(QStringLiteral("pwd"), **password);
        native.setQuery(query);
        return native.isValid() ? std::optional<QUrl>(native) : std::nullopt;
    }
    if ((host == teamsWorkHost || host == teamsPersonalHost) && url.scheme() == u"https" && installed(QStringLiteral("msteams://"), workspace)) {
        const QUrl native(QStringLiteral("msteams:") + url.toString(QUrl::FullyEncoded).mid(6));
        return native.isValid() ? std::optional<QUrl>(native) : std::nullopt;
    }
    return std::nullopt;
}
