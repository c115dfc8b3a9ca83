#pragma once

#include "Platform/BundleInfo.h"
#include "Platform/UpdateFramework.h"

#include <QBindable>
#include <QDateTime>
#include <QProperty>
#include <QString>

#include <memory>
#include <optional>

class BannerCenter;
class UserDefaults;

// The app's software updates, over the update framework. Whether updating is
// configured is decided once, here: the build names a public key, and a feed
// or the diagnostic feed override exists. Only then is the framework started;
// otherwise nothing checks and the switches read false. The last check and
// an update found are mirrored for the settings; an update found by a
// scheduled check is announced by a notch banner whose click shows it.
class Updater final : private UpdateFramework::Delegate {
public:
    static const QString bannerTitle;
    static constexpr double bannerDuration = 15.0;

    // `banners` must outlive the updater (AppModel creates it first).
    Updater(UpdateFramework &framework, const UserDefaults &defaults, BannerCenter &banners, const BundleInfo &bundle = BundleInfo::main());
    ~Updater() override;
    Updater(const Updater &) = delete;
    Updater &operator=(const Updater &) = delete;

    // "updateFeedURL" when "debugHooks" is true and it holds a string.
    static std::optional<QString> feedOverride(const UserDefaults &defaults);

    bool isConfigured() const { return m_isConfigured; }
    // The short version and, in parentheses, the build version ("?" for a
    // missing one).
    const QString &version() const { return m_version; }

    // The version users read of an update found; none when none is known.
    std::optional<QString> available() const { return m_available.value(); }
    QBindable<std::optional<QString>> bindableAvailable() { return &m_available; }
    std::optional<QDateTime> lastCheck() const { return m_lastCheck.value(); }
    QBindable<std::optional<QDateTime>> bindableLastCheck() { return &m_lastCheck; }

    // False when not configured; a write reaches the framework either way.
    bool automaticallyChecks() const { return m_automaticallyChecks.value(); }
    void setAutomaticallyChecks(bool on);
    QBindable<bool> bindableAutomaticallyChecks() { return &m_automaticallyChecks; }
    bool automaticallyDownloads() const { return m_automaticallyDownloads.value(); }
    void setAutomaticallyDownloads(bool on);
    QBindable<bool> bindableAutomaticallyDownloads() { return &m_automaticallyDownloads; }

    // A check the user asked for (the settings, the update banner, the
    // diagnostic channel): a found update is shown. Nothing when not
    // configured.
    void checkNow();
    // A check as the schedule makes it, now. Nothing when not configured.
    void checkInBackground();

private:
    std::optional<QString> feedURLString() override;
    bool shouldShowScheduledUpdate(const UpdateFramework::Update &update) override;
    void willShowUpdate(UpdateFramework::Presenter presenter, const UpdateFramework::Update &update) override;
    void didReceiveUserAttention(const UpdateFramework::Update &update) override;
    void didFindValidUpdate(const UpdateFramework::Update &update) override;
    void didNotFindUpdate() override;
    void didChangeLastUpdateCheckDate() override;

    void showBanner(const QString &displayVersion);

    UpdateFramework &m_framework;
    const UserDefaults &m_defaults;
    BannerCenter &m_banners;
    const bool m_isConfigured;
    const QString m_version;
    QProperty<std::optional<QString>> m_available;
    QProperty<std::optional<QDateTime>> m_lastCheck;
    QProperty<bool> m_automaticallyChecks{false};
    QProperty<bool> m_automaticallyDownloads{false};
    // The banner's action holds the updater weakly through this.
    std::shared_ptr<Updater *> m_self;
};
