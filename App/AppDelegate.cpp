#include "App/AppDelegate.h"

#include "Alerts/AppNotificationMonitor.h"
#include "Alerts/BatteryMonitor.h"
#include "Alerts/DeviceMonitor.h"
#include "Alerts/ExternalAlertListener.h"
#include "Alerts/FocusMonitor.h"
#include "Alerts/HUDController.h"
#include "Alerts/NotificationDatabaseReader.h"
#include "App/DebugCommands.h"
#include "Notch/MicMutedIcon.h"
#include "Notch/NotchManager.h"
#include "Notch/NotchWindowController.h"
#include "Onboarding/OnboardingView.h"
#include "Platform/AudioSystem.h"
#include "Platform/DistributedNotifications.h"
#include "Platform/UserDefaults.h"
#include "Settings/SettingsView.h"
#include "Shared/SystemColors.h"
#include "Support/Log.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>

namespace {

const QString onboardingDoneKey = QStringLiteral("onboardingDone");
const QString fullDiskAccessSuggestedKey = QStringLiteral("fullDiskAccessSuggested");

// How long quitting waits for the sound server's answers.
constexpr std::chrono::milliseconds soundServerWait{2000};

} // namespace

AppDelegate::AppDelegate(const Services &services, MediaBridgeProcess::Files bridgeFiles)
    : m_model(services)
    , m_bridgeFiles(std::move(bridgeFiles))
    , m_fullDiskAccessHint(services.scheduler)
{
}

AppDelegate::~AppDelegate() = default;

std::function<void()> AppDelegate::whileAlive(std::function<void()> work) const
{
    return [alive = std::weak_ptr<bool>(m_alive), work = std::move(work)] {
        if (alive.lock())
            work();
    };
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_model.start(m_bridgeFiles);

    m_notchManager = std::make_unique<NotchManager>(m_model);
    m_hud = std::make_unique<HUDController>(m_model);
    m_battery = std::make_unique<BatteryMonitor>(m_model);
    m_externalAlerts = std::make_unique<ExternalAlertListener>(m_model);
    m_deviceMonitor = std::make_unique<DeviceMonitor>(m_model);
    m_focus = std::make_unique<FocusMonitor>(m_model);
    m_appNotifications = std::make_unique<AppNotificationMonitor>(m_model, [this] { return m_focus->activeName(); });
    m_settingsRouter.setNotifications(m_appNotifications.get());
    m_settingsRouter.setFocus(m_focus.get());

    setUpMicMute();
    m_model.timers.onFinish = whileAlive([this] { timerFinished(); });
    NotchWindowController::contextMenu = [this, alive = std::weak_ptr<bool>(m_alive)]() -> QMenu * {
        return alive.lock() ? makeMenu() : nullptr;
    };
    m_model.services().notifications.observeReopen(whileAlive([this] { applicationShouldHandleReopen(); }));
    QObject::connect(&m_model.permissionNotifications, &PermissionNotifications::quibShowPermissions, &m_menuReceiver, [this] { showOnboarding(); });
    setUpDebugHooks();
    if (m_model.services().defaults.boolForKey(onboardingDoneKey))
        m_fullDiskAccessHint.start(fullDiskAccessHintDelay, [this] { suggestFullDiskAccess(); });
    else
        showOnboarding();
}

void AppDelegate::showOnboarding()
{
    if (!m_onboarding) {
        m_onboarding = std::make_unique<OnboardingView>(m_model.permissions, whileAlive([this] {
            m_model.services().defaults.setObject(onboardingDoneKey, true);
            m_onboarding->close();
        }));
        // The window shows no title; closing it only hides it for the next
        // call.
        m_onboarding->setWindowTitle(QString());
        m_onboarding->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            m_onboarding->move(screen->availableGeometry().center() - m_onboarding->rect().center());
    }
    m_onboarding->show();
    m_onboarding->raise();
    m_onboarding->activateWindow();
}

NotchBanner AppDelegate::fullDiskAccessBanner()
{
    NotchBanner banner;
    banner.title = QStringLiteral("Mensagens no notch");
    banner.body = QStringLiteral("Para ver o WhatsApp e outros apps aqui, dê Acesso Total ao Disco ao Quib · Clique para abrir");
    banner.symbol = QStringLiteral("message.fill");
    banner.color = QColor::fromRgbF(0.2f, 0.78f, 0.35f);
    banner.duration = 14.0;
    return banner;
}

void AppDelegate::suggestFullDiskAccess()
{
    UserDefaults &defaults = m_model.services().defaults;
    if (!m_model.preferences.appNotifications.value() || defaults.boolForKey(fullDiskAccessSuggestedKey)
        || NotificationDatabaseReader::isReadable(AppNotificationMonitor::databasePath()))
        return;
    defaults.setObject(fullDiskAccessSuggestedKey, true);
    NotchBanner banner = fullDiskAccessBanner();
    banner.action = whileAlive([this] {
        if (m_appNotifications)
            m_model.permissions.openSettings(PermissionKind::fullDiskAccess);
    });
    m_model.banners.show(banner);
}

void AppDelegate::applicationWillTerminate()
{
    const bool unmutes = m_model.micMute.isMuted();
    if (unmutes)
        m_model.micMute.setMuted(false);
    // Puts every application's volume back as it was before the mixer
    // changed it.
    m_model.mixer.releaseTaps();
    // Requests to the sound server travel asynchronously: one still on its
    // way when the process ends is lost.
    const bool answered = m_model.services().audio.finishRequests(soundServerWait);
    if (unmutes && answered)
        qCInfo(lcApp, "Quib: microphone unmuted before quitting");
    else if (unmutes)
        qCWarning(lcApp, "Quib: the sound server did not confirm that the microphone was unmuted before quitting");
    if (MediaBridgeProcess *bridge = m_model.nowPlaying.bridge())
        bridge->stop();
    qCInfo(lcApp, "Quib: quitting");
}

void AppDelegate::applicationShouldHandleReopen()
{
    openSettings();
}

void AppDelegate::openSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = std::make_unique<SettingsView>(m_settingsRouter, m_model);
        m_settingsWindow->setWindowTitle(QStringLiteral("Ajustes do Quib"));
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), SettingsView::fixedSize);
            frame.moveCenter(screen->availableGeometry().center());
            m_settingsWindow->move(frame.topLeft());
        }
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    qCInfo(lcApp, "Quib: settings opened on the page %s", qPrintable(rawValue(m_settingsRouter.page())));
}

void AppDelegate::openSettings(SettingsPageID page)
{
    if (m_settingsRouter.page() != page)
        m_settingsRouter.setPage(page);
    openSettings();
}

void AppDelegate::closeSettings()
{
    if (m_settingsWindow)
        m_settingsWindow->close();
}

void AppDelegate::openMixer()
{
    // The displays may have been rebuilt while the menu was open.
    if (NotchWindowController *owner = NotchWindowController::menuOwner)
        owner->openMixer();
}

void AppDelegate::startTimer(int minutes)
{
    m_model.timers.start(minutes);
}

void AppDelegate::cancelTimer()
{
    m_model.timers.cancel();
}

void AppDelegate::quit()
{
    QCoreApplication::exit(0);
}

QMenu *AppDelegate::makeMenu()
{
    auto *menu = new QMenu;
    // Deleted on the next turn of the event loop, after a chosen action ran.
    QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    auto add = [this](QMenu *to, const QString &title, std::function<void()> action, const QKeySequence &shortcut = {}) {
        QAction *item = to->addAction(title);
        item->setShortcut(shortcut);
        QObject::connect(item, &QAction::triggered, &m_menuReceiver, [action = std::move(action)] { action(); });
        return item;
    };

    add(menu, QStringLiteral("Ajustes…"), [this] { openSettings(); }, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    if (m_model.preferences.appMixer.value())
        add(menu, QStringLiteral("Mixer de volume"), [this] { openMixer(); });
    menu->addSeparator();

    QMenu *timer = menu->addMenu(QStringLiteral("Timer"));
    for (const int minutes : timerPresets) {
        const QString title = minutes == 1 ? QStringLiteral("1 minuto") : QStringLiteral("%1 minutos").arg(minutes);
        add(timer, title, [this, minutes] { startTimer(minutes); })->setData(minutes);
    }
    if (m_model.timers.isRunning()) {
        timer->addSeparator();
        add(timer, QStringLiteral("Cancelar timer"), [this] { cancelTimer(); });
    }

    menu->addSeparator();
    add(menu, QStringLiteral("Sair do Quib"), [this] { quit(); }, QKeySequence(Qt::CTRL | Qt::Key_Q));
    return menu;
}

NotchAlert AppDelegate::micToast(bool muted)
{
    NotchAlert alert;
    alert.kind = AlertKind::mic;
    alert.symbol = muted ? QStringLiteral("mic.slash.fill") : QStringLiteral("mic.fill");
    alert.symbolColor = muted ? MicMutedIcon::red() : QColor(Qt::white);
    alert.title = muted ? QStringLiteral("Microfone mudo") : QStringLiteral("Microfone ligado");
    alert.trailing = QStringLiteral("⌃⌥M");
    alert.trailingColor = QColor::fromRgbF(1, 1, 1, 0.45f);
    alert.sideWidth = 124;
    return alert;
}

NotchAlert AppDelegate::timerAlert()
{
    NotchAlert alert;
    alert.kind = AlertKind::timer;
    alert.symbol = QStringLiteral("timer");
    alert.symbolColor = SystemColors::orange();
    alert.title = QStringLiteral("Timer");
    alert.trailing = QStringLiteral("Concluído");
    alert.trailingColor = SystemColors::orange();
    alert.sideWidth = 100;
    return alert;
}

void AppDelegate::setUpMicMute()
{
    m_model.micMute.onToggle = [this](bool muted) { m_model.alerts.show(micToast(muted), micToastDuration); };
    applyMicShortcut();
    m_micPreferenceLoop = std::make_unique<ObservationLoop>(
        m_model.services().scheduler, [this] { m_model.preferences.micShortcut.value(); }, [this] { applyMicShortcut(); });
}

// Registers or releases the hot key as the setting says; applying it again
// changes nothing, so the key is never grabbed twice.
void AppDelegate::applyMicShortcut()
{
    MicMute &mic = m_model.micMute;
    const bool wanted = m_model.preferences.micShortcut.value();
    if (wanted && !mic.hotKey())
        mic.registerHotKey();
    else if (!wanted && mic.hotKey())
        mic.unregisterHotKey();
}

// Read once: switching "debugHooks" while the app runs takes effect at the
// next launch.
void AppDelegate::setUpDebugHooks()
{
    if (!m_model.services().defaults.boolForKey(QStringLiteral("debugHooks")))
        return;
    m_debugCommands = std::make_unique<DebugCommands>(*this);
    m_model.services().notifications.observe(DebugCommands::notificationName,
                                             [this, alive = std::weak_ptr<bool>(m_alive)](const DistributedNotifications::Notification &notification) {
                                                 if (alive.lock())
                                                     m_debugCommands->run(notification.object);
                                             });
    qCInfo(lcApp, "Quib: diagnostic commands are on");
}

void AppDelegate::timerFinished()
{
    if (m_model.preferences.timerSound.value())
        m_model.sounds.play(Sounds::Kind::submarine);
    m_model.alerts.show(timerAlert(), timerAlertDuration);
}
