#include "App/DebugCommands.h"

#include "Alerts/AppNotificationMonitor.h"
#include "Alerts/FocusMonitor.h"
#include "App/AppDelegate.h"
#include "Notch/NotchManager.h"
#include "Notch/NotchWindowController.h"
#include "Settings/SettingsStyle.h"
#include "Shared/SystemColors.h"

#include <QLatin1String>

#include <cmath>
#include <functional>

const QString DebugCommands::notificationName = QStringLiteral("com.brenvask.Quib.debug");

namespace {

void eachNotch(AppDelegate &delegate, const std::function<void(NotchWindowController &)> &work)
{
    if (NotchManager *manager = delegate.notchManager()) {
        for (const auto &controller : manager->controllers())
            work(*controller);
    }
}

void showAlert(AppDelegate &delegate, const NotchAlert &alert)
{
    delegate.model().alerts.show(alert, DebugCommands::alertDuration);
}

NotchAlert strip(AlertKind kind, const QString &symbol, const QColor &color)
{
    NotchAlert alert;
    alert.kind = kind;
    alert.symbol = symbol;
    alert.symbolColor = color;
    return alert;
}

// A strip with a bar at "debugVolumeLevel" / 100 and that number beside it.
// The level is not clamped: a stored 150 draws a bar of 1.5.
NotchAlert levelAlert(AppModel &model, AlertKind kind)
{
    const Preferences &preferences = model.preferences;
    const bool volume = kind == AlertKind::volume;
    // An integer setting: a number stored by hand counts by its whole part;
    // adding 0 turns a negative zero into 0.
    const double stored = std::trunc(model.services().defaults.doubleForKey(QStringLiteral("debugVolumeLevel"))) + 0.0;
    NotchAlert alert = strip(kind, volume ? QStringLiteral("speaker.wave.3.fill") : QStringLiteral("sun.max.fill"), Qt::white);
    alert.level = stored / 100;
    alert.barStyle = volume ? preferences.soundStyle.value() : preferences.displayStyle.value();
    alert.levelColors = volume ? preferences.volumeLevelColors.value() : preferences.brightnessLevelColors.value();
    alert.levelBase = volume ? LevelBase::white : LevelBase::blue;
    // The stored number itself: the level times 100 can fall just short of
    // it (29 / 100 * 100 < 29).
    alert.trailing = QString::number(stored, 'f', 0);
    alert.trailingColor = Qt::white;
    alert.sideWidth = 100;
    return alert;
}

NotchAlert volumeAlert(const Preferences &preferences)
{
    NotchAlert alert = strip(AlertKind::volume, QStringLiteral("speaker.wave.2.fill"), Qt::white);
    alert.level = 0.56;
    alert.barStyle = preferences.soundStyle.value();
    alert.sideWidth = 92;
    return alert;
}

NotchAlert brightnessAlert(const Preferences &preferences)
{
    NotchAlert alert = strip(AlertKind::brightness, QStringLiteral("sun.max.fill"), Qt::white);
    alert.level = 0.73;
    alert.barStyle = preferences.displayStyle.value();
    alert.sideWidth = 92;
    return alert;
}

// A strip with a title and a short text in the symbol's colour.
NotchAlert labelledAlert(AlertKind kind, const QString &symbol, const QColor &color, const QString &title, const QString &trailing, double sideWidth)
{
    NotchAlert alert = strip(kind, symbol, color);
    alert.title = title;
    alert.trailing = trailing;
    alert.trailingColor = color;
    alert.sideWidth = sideWidth;
    return alert;
}

NotchBanner demoBanner()
{
    NotchBanner banner;
    banner.title = QStringLiteral("Quib");
    banner.body = QStringLiteral("Terminou · Adicionei a contagem dos eventos e o botão Entrar.");
    banner.color = SettingsStyle::accent();
    // The coding agent's desktop app, whose icon the banner shows.
    banner.appBundleID = QStringLiteral("com.anthropic.claudefordesktop");
    banner.duration = 6.0;
    return banner;
}

struct Command {
    QLatin1String word;
    void (*run)(AppDelegate &);
};

// Every command, one row each. Words are matched whole, so the order only
// keeps related commands together.
const Command commands[] = {
    {QLatin1String("open"), [](AppDelegate &d) { eachNotch(d, [](NotchWindowController &notch) { notch.viewModel().setOpen(true); }); }},
    {QLatin1String("close"), [](AppDelegate &d) { eachNotch(d, [](NotchWindowController &notch) { notch.viewModel().setOpen(false); }); }},
    {QLatin1String("demo-brightness-level"), [](AppDelegate &d) { showAlert(d, levelAlert(d.model(), AlertKind::brightness)); }},
    {QLatin1String("demo-volume-level"), [](AppDelegate &d) { showAlert(d, levelAlert(d.model(), AlertKind::volume)); }},
    {QLatin1String("demo-volume"), [](AppDelegate &d) { showAlert(d, volumeAlert(d.model().preferences)); }},
    {QLatin1String("demo-brightness"), [](AppDelegate &d) { showAlert(d, brightnessAlert(d.model().preferences)); }},
    {QLatin1String("demo-battery"),
     [](AppDelegate &d) {
         showAlert(d, labelledAlert(AlertKind::battery, QStringLiteral("battery.100percent.bolt"), SystemColors::green(), QStringLiteral("Carregando"),
                                    QStringLiteral("54%"), 112));
     }},
    {QLatin1String("demo-device"),
     [](AppDelegate &d) {
         showAlert(d, labelledAlert(AlertKind::device, QStringLiteral("airpodspro"), Qt::white, QStringLiteral("AirPods Pro"), QStringLiteral("82%"), 124));
     }},
    {QLatin1String("demo-banner"), [](AppDelegate &d) { d.model().banners.show(demoBanner()); }},
    {QLatin1String("demo-event"), [](AppDelegate &d) { d.model().calendar.debugInjectEvent(4); }},
    {QLatin1String("demo-event-now"), [](AppDelegate &d) { d.model().calendar.debugInjectEvent(0.1); }},
    {QLatin1String("demo-event-ongoing"), [](AppDelegate &d) { d.model().calendar.debugInjectEvent(-12); }},
    {QLatin1String("demo-mic"), [](AppDelegate &d) { d.model().micMute.toggle(); }},
    // Only the flag: the device keeps its volume and mute switch.
    {QLatin1String("demo-sound-muted"),
     [](AppDelegate &d) {
         OutputMute &mute = d.model().outputMute;
         mute.bindableIsMuted().setValue(!mute.isMuted());
     }},
    {QLatin1String("demo-mixer"),
     [](AppDelegate &d) {
         showAlert(d, volumeAlert(d.model().preferences));
         eachNotch(d, [](NotchWindowController &notch) { notch.setMixerOpen(true); });
     }},
    {QLatin1String("demo-mixer-menu"),
     [](AppDelegate &d) {
         if (NotchManager *manager = d.notchManager())
             manager->debugOpenMixerFromMenu();
     }},
    {QLatin1String("demo-mixer-close"),
     [](AppDelegate &d) {
         eachNotch(d, [](NotchWindowController &notch) {
             if (notch.viewModel().isMixerOpen())
                 notch.setMixerOpen(false);
         });
     }},
    {QLatin1String("demo-timer"), [](AppDelegate &d) { d.model().timers.start(5); }},
    {QLatin1String("demo-focus-on"),
     [](AppDelegate &d) {
         if (FocusMonitor *focus = d.focus())
             focus->announceChange(true, std::nullopt);
     }},
    {QLatin1String("demo-focus-off"),
     [](AppDelegate &d) {
         if (FocusMonitor *focus = d.focus())
             focus->announceChange(false, std::nullopt);
     }},
    {QLatin1String("focus-check"),
     [](AppDelegate &d) {
         if (FocusMonitor *focus = d.focus())
             focus->debugCheck();
     }},
    {QLatin1String("demo-peek"), [](AppDelegate &d) { d.model().debugPeekSong(AppModel::DebugPeek::currentSong); }},
    {QLatin1String("demo-peek-long"), [](AppDelegate &d) { d.model().debugPeekSong(AppModel::DebugPeek::demoSong); }},
    {QLatin1String("notif-dump"),
     [](AppDelegate &d) {
         if (AppNotificationMonitor *notifications = d.appNotifications())
             notifications->debugDumpRecent();
     }},
    {QLatin1String("update-check"), [](AppDelegate &d) { d.model().updater.checkNow(); }},
    {QLatin1String("update-background"), [](AppDelegate &d) { d.model().updater.checkInBackground(); }},
    {QLatin1String("onboarding"), [](AppDelegate &d) { d.showOnboarding(); }},
    {QLatin1String("quit"), [](AppDelegate &d) { d.quit(); }},
    {QLatin1String("demo-timer-cancel"), [](AppDelegate &d) { d.model().timers.cancel(); }},
    {QLatin1String("settings-close"), [](AppDelegate &d) { d.closeSettings(); }},
};

// "settings:" followed by a page's raw value selects that page and opens the
// settings.
const QLatin1String settingsPrefix("settings:");

} // namespace

DebugCommands::DebugCommands(AppDelegate &delegate)
    : m_delegate(delegate)
{
}

void DebugCommands::run(const QString &word)
{
    if (word.startsWith(settingsPrefix)) {
        if (const auto page = fromRawValue<SettingsPageID>(word.mid(settingsPrefix.size())))
            m_delegate.openSettings(*page);
        return;
    }
    for (const Command &command : commands) {
        if (word == command.word) {
            command.run(m_delegate);
            return;
        }
    }
}
