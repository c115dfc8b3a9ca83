#include "App/Updater.h"

#include "Alerts/BannerCenter.h"
#include "Platform/UserDefaults.h"
#include "Settings/SettingsStyle.h"

const QString Updater::bannerTitle = QStringLiteral("Atualização do Quib");

namespace {

bool isConfigured(const BundleInfo &bundle, const UserDefaults &defaults)
{
    return !bundle.publicEDKey.isEmpty() && (!bundle.feedURL.isEmpty() || Updater::feedOverride(defaults));
}

QString versionText(const BundleInfo &bundle)
{
    const QString unknown = QStringLiteral("?");
    return bundle.shortVersion.value_or(unknown) + QStringLiteral(" (") + bundle.buildVersion.value_or(unknown) + QStringLiteral(")");
}

} // namespace

Updater::Updater(UpdateFramework &framework, const UserDefaults &defaults, BannerCenter &banners, const BundleInfo &bundle)
    : m_framework(framework)
    , m_defaults(defaults)
    , m_banners(banners)
    , m_isConfigured(::isConfigured(bundle, defaults))
    , m_version(versionText(bundle))
    , m_self(std::make_shared<Updater *>(this))
{
    m_framework.setDelegate(this);
    if (!m_isConfigured)
        return;
    m_automaticallyChecks = m_framework.automaticallyChecksForUpdates();
    m_automaticallyDownloads = m_framework.automaticallyDownloadsUpdates();
    m_framework.start();
    m_lastCheck = m_framework.lastUpdateCheckDate();
}

Updater::~Updater()
{
    m_framework.setDelegate(nullptr);
}

std::optional<QString> Updater::feedOverride(const UserDefaults &defaults)
{
    const QVariant feed = defaults.object(QStringLiteral("updateFeedURL"));
    if (!defaults.boolForKey(QStringLiteral("debugHooks")) || feed.typeId() != QMetaType::QString)
        return std::nullopt;
    return feed.toString();
}

void Updater::setAutomaticallyChecks(bool on)
{
    m_framework.setAutomaticallyChecksForUpdates(on);
    m_automaticallyChecks = m_isConfigured && m_framework.automaticallyChecksForUpdates();
}

void Updater::setAutomaticallyDownloads(bool on)
{
    m_framework.setAutomaticallyDownloadsUpdates(on);
    m_automaticallyDownloads = m_isConfigured && m_framework.automaticallyDownloadsUpdates();
}

void Updater::checkNow()
{
    if (m_isConfigured)
        m_framework.checkForUpdates();
}

void Updater::checkInBackground()
{
    if (m_isConfigured)
        m_framework.checkForUpdatesInBackground();
}

std::optional<QString> Updater::feedURLString()
{
    return feedOverride(m_defaults);
}

// Updates found by scheduled checks are announced by the banner rather than
// opened unasked.
bool Updater::shouldShowScheduledUpdate(const UpdateFramework::Update &)
{
    return false;
}

// When the framework shows an update it opens its page in the browser, which
// the desktop brings forward itself.
void Updater::willShowUpdate(UpdateFramework::Presenter presenter, const UpdateFramework::Update &update)
{
    if (presenter != UpdateFramework::Presenter::application)
        return;
    m_available = update.displayVersion;
    showBanner(update.displayVersion);
}

void Updater::didReceiveUserAttention(const UpdateFramework::Update &)
{
    if (const std::optional<NotchBanner> shown = m_banners.current(); shown && shown->title == bannerTitle)
        m_banners.dismiss();
}

void Updater::didFindValidUpdate(const UpdateFramework::Update &update)
{
    m_available = update.displayVersion;
}

void Updater::didNotFindUpdate()
{
    m_available = std::nullopt;
}

void Updater::didChangeLastUpdateCheckDate()
{
    m_lastCheck = m_framework.lastUpdateCheckDate();
}

void Updater::showBanner(const QString &displayVersion)
{
    NotchBanner banner;
    banner.title = bannerTitle;
    banner.body = QStringLiteral("Versão ") + displayVersion + QStringLiteral(" disponível · Clique para instalar");
    banner.symbol = QStringLiteral("arrow.down.circle.fill");
    banner.color = SettingsStyle::accent();
    banner.duration = bannerDuration;
    banner.action = [self = std::weak_ptr<Updater *>(m_self)] {
        if (const std::shared_ptr<Updater *> updater = self.lock())
            (*updater)->checkNow();
    };
    m_banners.show(banner);
}
