#include "Platform/Linux/AppcastUpdateFramework.h"

#include "Platform/Linux/Appcast.h"
#include "Platform/UserDefaults.h"
#include "Platform/Workspace.h"
#include "Support/EpochTime.h"
#include "Support/Log.h"

#include <QHostAddress>

#include <algorithm>
#include <utility>

const QString AppcastUpdateFramework::automaticChecksKey = QStringLiteral("automaticallyChecksForUpdates");
const QString AppcastUpdateFramework::automaticDownloadsKey = QStringLiteral("automaticallyDownloadsUpdates");
const QString AppcastUpdateFramework::lastCheckKey = QStringLiteral("lastUpdateCheckDate");

namespace {

// Plain HTTP would let anyone on the way offer a page to open; it is accepted
// only from this computer, where a local mirror or a test serves the feed.
bool isAllowedFeed(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == u"https")
        return true;
    return url.scheme() == u"http" && (url.host() == u"localhost" || QHostAddress(url.host()).isLoopback());
}

} // namespace

AppcastUpdateFramework::AppcastUpdateFramework(Scheduler &scheduler, UserDefaults &defaults, Workspace &workspace, const BundleInfo &bundle)
    : m_scheduler(scheduler)
    , m_defaults(defaults)
    , m_workspace(workspace)
    , m_bundle(bundle)
    , m_scheduledCheck(scheduler)
    , m_wallClockSteps(scheduler, [this] { schedule(); })
{
    m_defaults.registerDefaults({{automaticChecksKey, true}, {automaticDownloadsKey, false}});
}

void AppcastUpdateFramework::start()
{
    m_started = true;
    schedule();
}

void AppcastUpdateFramework::checkForUpdates()
{
    if (!m_started)
        return;
    // show() forgets the pending update, so it gets a copy.
    if (const std::optional<Update> pending = m_pending)
        show(*pending);
    else
        check(Check::user);
}

void AppcastUpdateFramework::checkForUpdatesInBackground()
{
    if (m_started)
        check(Check::scheduled);
}

std::optional<QDateTime> AppcastUpdateFramework::lastUpdateCheckDate() const
{
    // Stored as seconds since 1970; anything else counts as no check.
    const QVariant stored = m_defaults.object(lastCheckKey);
    if (stored.typeId() != QMetaType::Double)
        return std::nullopt;
    return EpochTime::fromSeconds(stored.toDouble());
}

bool AppcastUpdateFramework::automaticallyChecksForUpdates() const
{
    return m_defaults.boolForKey(automaticChecksKey);
}

void AppcastUpdateFramework::setAutomaticallyChecksForUpdates(bool on)
{
    m_defaults.setObject(automaticChecksKey, on);
    schedule();
}

bool AppcastUpdateFramework::automaticallyDownloadsUpdates() const
{
    return m_defaults.boolForKey(automaticDownloadsKey);
}

void AppcastUpdateFramework::setAutomaticallyDownloadsUpdates(bool on)
{
    m_defaults.setObject(automaticDownloadsKey, on);
}

void AppcastUpdateFramework::check(Check kind)
{
    if (m_inFlight) {
        if (kind == Check::user)
            m_inFlight = Check::user;
        return;
    }
    const std::optional<QString> override = m_delegate ? m_delegate->feedURLString() : std::nullopt;
    const QUrl feed(override.value_or(m_bundle.feedURL));
    if (!isAllowedFeed(feed)) {
        qCWarning(lcUpdates, "Quib: no update check: the feed address \"%s\" is not an HTTPS address", qPrintable(feed.toString()));
        recordCheck();
        return;
    }
    m_inFlight = kind;
    m_http.get(feed, {{"Accept", "application/rss+xml, application/xml, text/xml"}}, requestTimeout,
               [this, feed](const HttpClient::Response &response) {
                   const Check kind = *std::exchange(m_inFlight, std::nullopt);
                   answer(kind, feed, response);
               });
}

void AppcastUpdateFramework::answer(Check kind, const QUrl &feed, const HttpClient::Response &response)
{
    std::optional<QString> failure = response.error;
    Appcast::Document document;
    if (!failure && (response.status < 200 || response.status > 299))
        failure = QStringLiteral("the server answered HTTP %1").arg(response.status);
    if (!failure) {
        document = Appcast::parse(response.body, feed);
        failure = document.error;
    }
    recordCheck();
    if (failure) {
        qCWarning(lcUpdates, "Quib: the update check at %s failed: %s", qPrintable(feed.toString()), qPrintable(*failure));
        return;
    }
    report(kind, Appcast::newest(document.updates, m_bundle.buildVersion.value_or(QString())));
}

void AppcastUpdateFramework::recordCheck()
{
    m_defaults.setObject(lastCheckKey, EpochTime::toSeconds(m_scheduler.now()));
    schedule();
    if (m_delegate)
        m_delegate->didChangeLastUpdateCheckDate();
}

void AppcastUpdateFramework::report(Check kind, const std::optional<Update> &found)
{
    if (!found) {
        m_pending.reset();
        if (kind == Check::user)
            qCInfo(lcUpdates, "Quib: no version newer than %s", qPrintable(m_bundle.buildVersion.value_or(QStringLiteral("?"))));
        if (m_delegate)
            m_delegate->didNotFindUpdate();
        return;
    }
    if (m_delegate)
        m_delegate->didFindValidUpdate(*found);
    if (kind == Check::user || !m_delegate || m_delegate->shouldShowScheduledUpdate(*found)) {
        show(*found);
        return;
    }
    m_pending = found;
    m_delegate->willShowUpdate(Presenter::application, *found);
}

void AppcastUpdateFramework::show(const Update &update)
{
    m_pending.reset();
    if (m_delegate)
        m_delegate->willShowUpdate(Presenter::framework, update);
    m_workspace.open(update.page);
    if (m_delegate)
        m_delegate->didReceiveUserAttention(update);
}

// The last check is a date of the wall clock; the wait for the next one runs
// on the monotonic clock. A last check dated ahead of now (the clock was set
// back) waits one interval at most.
void AppcastUpdateFramework::schedule()
{
    m_scheduledCheck.cancel();
    if (!m_started || !automaticallyChecksForUpdates())
        return;
    double wait = 0;
    if (const std::optional<QDateTime> last = lastUpdateCheckDate())
        wait = std::clamp(checkInterval + m_scheduler.now().msecsTo(*last) / 1000.0, 0.0, checkInterval);
    m_scheduledCheck.start(wait, [this] { check(Check::scheduled); });
}
