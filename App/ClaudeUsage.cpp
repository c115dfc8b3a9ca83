#include "App/ClaudeUsage.h"

#include "Platform/DistributedNotifications.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"
#include "Support/AtomicFile.h"
#include "Support/EpochTime.h"
#include "Support/Text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

const QUrl ClaudeUsage::defaultEndpoint(QStringLiteral("https://api.anthropic.com/api/oauth/usage"));
const QString ClaudeUsage::credentialsService = QStringLiteral("Claude Code-credentials");
const QString ClaudeUsage::debugPath = QStringLiteral("/tmp/quib-claude-usage.txt");

namespace {

const QString tooManyRequests = QStringLiteral("muitas consultas, tentando de novo em breve");

// An internet date-time: with or without fractional seconds, always with
// "Z" or an offset.
std::optional<QDateTime> parseInternetDate(const QJsonValue &value)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(\\.\\d+)?(Z|[+-]\\d{2}:\\d{2})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!value.isString() || !form.match(value.toString()).hasMatch())
        return std::nullopt;
    const QDateTime parsed = QDateTime::fromString(value.toString().toUpper(), Qt::ISODateWithMs);
    return parsed.isValid() ? std::optional<QDateTime>(parsed) : std::nullopt;
}

std::optional<ClaudeUsageWindow> usageWindow(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonValue utilization = value.toObject().value(QStringLiteral("utilization"));
    if (!utilization.isDouble())
        return std::nullopt;
    return ClaudeUsageWindow{std::clamp(utilization.toDouble(), 0.0, 100.0), parseInternetDate(value.toObject().value(QStringLiteral("resets_at")))};
}

QString caseName(const ClaudeUsage::Status &status)
{
    switch (status.kind) {
    case ClaudeUsage::Status::Kind::off:
        return QStringLiteral("off");
    case ClaudeUsage::Status::Kind::loading:
        return QStringLiteral("loading");
    case ClaudeUsage::Status::Kind::ok:
        return QStringLiteral("ok");
    case ClaudeUsage::Status::Kind::noLogin:
        return QStringLiteral("noLogin");
    case ClaudeUsage::Status::Kind::expired:
        return QStringLiteral("expired");
    case ClaudeUsage::Status::Kind::needsPermission:
        return QStringLiteral("needsPermission");
    case ClaudeUsage::Status::Kind::failed:
        return QStringLiteral("failed(\"%1\")").arg(status.message);
    }
    return {};
}

QString usedText(const std::optional<ClaudeUsageWindow> &window)
{
    return window ? Text::shortestDecimal(window->used) : QStringLiteral("-");
}

} // namespace

ClaudeUsage::ClaudeUsage(const Services &services, QUrl endpoint, QString snapshotPath)
    : m_scheduler(services.scheduler)
    , m_credentials(services.credentials)
    , m_defaults(services.defaults)
    , m_endpoint(std::move(endpoint))
    , m_snapshotPath(std::move(snapshotPath))
    , m_timer(services.scheduler)
{
    load();
    services.notifications.observe(ClaudeUsageStore::notification, [this, alive = std::weak_ptr<bool>(m_alive)](const auto &) {
        if (alive.lock())
            load();
    });
}

void ClaudeUsage::load()
{
    const auto snapshot = ClaudeUsageStore::read(m_snapshotPath);
    if (!snapshot)
        return;
    const auto shown = m_updated.value();
    if (!shown || snapshot->updated > *shown)
        apply(*snapshot);
}

void ClaudeUsage::apply(const ClaudeUsageStore::Snapshot &snapshot)
{
    m_fiveHour = snapshot.fiveHour;
    m_sevenDay = snapshot.sevenDay;
    m_updated = std::optional<QDateTime>(snapshot.updated);
}

void ClaudeUsage::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    m_timer.stop();
    if (enabled) {
        m_timer.start(pollInterval, [this] { fetch(Credentials::Interaction::forbidden); });
        fetch(Credentials::Interaction::forbidden);
        return;
    }
    // An answer to a request sent while polling was on must not bring back
    // the windows or the file just removed.
    m_http.cancelAll();
    m_fetching = false;
    m_status = Status{};
    m_fiveHour = std::nullopt;
    m_sevenDay = std::nullopt;
    m_updated = std::nullopt;
    ClaudeUsageStore::remove(m_snapshotPath);
}

void ClaudeUsage::refreshIfStale()
{
    if (!m_enabled)
        return;
    const auto updated = m_updated.value();
    if (!updated || updated->msecsTo(m_scheduler.now()) > static_cast<qint64>(staleAfter * 1000))
        fetch(Credentials::Interaction::forbidden);
}

void ClaudeUsage::fetch(Credentials::Interaction interaction)
{
    if (!m_enabled || m_fetching)
        return;
    const QDateTime now = m_scheduler.now();
    if (m_pausedUntil && *m_pausedUntil > m_scheduler.monotonicNow() && interaction == Credentials::Interaction::forbidden)
        return;
    if (m_login && (!m_login->expiresAt || *m_login->expiresAt > now.addSecs(60))) {
        request(*m_login, LoginSource::cache);
        return;
    }
    const LoginRead read = readLogin(interaction);
    switch (read.status) {
    case Credentials::Item::Status::found:
        request(read.login, LoginSource::store);
        return;
    case Credentials::Item::Status::needsPermission:
        m_login.reset();
        m_status = Status{Status::Kind::needsPermission, {}};
        break;
    case Credentials::Item::Status::missing:
        m_login.reset();
        m_status = Status{Status::Kind::noLogin, {}};
        break;
    }
    writeDebug(0);
}

ClaudeUsage::LoginRead ClaudeUsage::readLogin(Credentials::Interaction interaction) const
{
    const Credentials::Item item = m_credentials.read(credentialsService, interaction);
    if (item.status != Credentials::Item::Status::found)
        return {item.status, {}};
    const QJsonObject oauth = QJsonDocument::fromJson(item.data).object().value(QStringLiteral("claudeAiOauth")).toObject();
    const QJsonValue token = oauth.value(QStringLiteral("accessToken"));
    if (!token.isString() || token.toString().isEmpty())
        return {Credentials::Item::Status::missing, {}};
    Login login{token.toString(), std::nullopt};
    if (const QJsonValue expires = oauth.value(QStringLiteral("expiresAt")); expires.isDouble() && expires.toDouble() > 0)
        login.expiresAt = EpochTime::fromMilliseconds(expires.toDouble());
    return {Credentials::Item::Status::found, login};
}

void ClaudeUsage::request(const Login &login, LoginSource source)
{
    if (login.expiresAt && *login.expiresAt <= m_scheduler.now().addSecs(30)) {
        m_login.reset();
        m_status = Status{Status::Kind::expired, {}};
        return;
    }
    m_login = login;
    m_fetching = true;
    if (!hasData())
        m_status = Status{Status::Kind::loading, {}};
    const QList<HttpClient::Header> headers{
        {"Authorization", "Bearer " + login.token.toUtf8()},
        {"anthropic-beta", "oauth-2025-04-20"},
        {"Accept", "application/json"},
        {"User-Agent", "Quib"},
    };
    m_http.get(m_endpoint, headers, requestTimeout, [this, source](const HttpClient::Response &response) { handle(response, source); });
}

void ClaudeUsage::handle(const HttpClient::Response &response, LoginSource source)
{
    const QDateTime now = m_scheduler.now();
    const int code = response.status;
    std::optional<double> retryAfter;
    if (const auto header = response.header("Retry-After")) {
        bool ok = false;
        const double seconds = header->trimmed().toDouble(&ok);
        if (ok && std::isfinite(seconds))
            retryAfter = seconds;
    }
    const auto snapshot = response.body.isEmpty() ? std::nullopt : ClaudeUsage::snapshot(response.body, now);
    QString message;
    if (response.error)
        message = *response.error;
    else if (code == 200)
        message = QStringLiteral("resposta sem limites");
    else if (code == 401 || code == 403)
        message = QStringLiteral("login recusado (%1)").arg(code);
    else
        message = QStringLiteral("resposta %1").arg(code);

    m_fetching = false;
    if (snapshot) {
        apply(*snapshot);
        ClaudeUsageStore::write(*snapshot, m_snapshotPath);
        m_status = Status{Status::Kind::ok, {}};
        m_pausedUntil.reset();
    } else if (code == 401) {
        m_login.reset();
        // A cached login may have been replaced by a new one: read it afresh
        // once.
        if (source == LoginSource::cache)
            fetch(Credentials::Interaction::forbidden);
        else
            m_status = Status{Status::Kind::expired, {}};
    } else if (code == 429) {
        const double pause = std::clamp(retryAfter.value_or(0), minimumPause, maximumPause);
        m_pausedUntil = m_scheduler.deadlineAfter(pause);
        if (!hasData())
            m_status = Status::failed(tooManyRequests);
    } else {
        m_status = Status::failed(message);
    }
    writeDebug(code);
}

std::optional<ClaudeUsageStore::Snapshot> ClaudeUsage::snapshot(const QByteArray &usageResponse, const QDateTime &now)
{
    const QJsonDocument document = QJsonDocument::fromJson(usageResponse);
    if (!document.isObject())
        return std::nullopt;
    ClaudeUsageStore::Snapshot snapshot;
    snapshot.fiveHour = usageWindow(document.object().value(QStringLiteral("five_hour")));
    snapshot.sevenDay = usageWindow(document.object().value(QStringLiteral("seven_day")));
    if (!snapshot.fiveHour && !snapshot.sevenDay)
        return std::nullopt;
    snapshot.updated = now;
    return snapshot;
}

void ClaudeUsage::writeDebug(int code) const
{
    if (!m_defaults.boolForKey(QStringLiteral("debugHooks")))
        return;
    const QString line = QStringLiteral("status=%1 http=%2 5h=%3 semana=%4")
                             .arg(caseName(m_status.value()))
                             .arg(code)
                             .arg(usedText(m_fiveHour.value()), usedText(m_sevenDay.value()));
    AtomicFile::write(debugPath, line.toUtf8());
}
