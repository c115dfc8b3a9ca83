#include "Alerts/ExternalAlertListener.h"
#include "App/AppDelegate.h"
#include "LogCapture.h"
#include "Notch/NotchViewModel.h"
#include "Notch/NotchWindowController.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsView.h"
#include "Shared/SystemColors.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr AudioScope Input = AudioScope::Input;

// The titles of a menu's items, "-" for a separator, and an item with a
// submenu as its title followed by the submenu's titles in brackets.
QStringList titles(const QMenu &menu)
{
    QStringList result;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator())
            result.append(QStringLiteral("-"));
        else if (action->menu())
            result.append(action->text() + QStringLiteral(" [") + titles(*action->menu()).join(QStringLiteral(", ")) + u']');
        else
            result.append(action->text());
    }
    return result;
}

QAction *item(const QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == title)
            return action;
        if (action->menu()) {
            if (QAction *found = item(*action->menu(), title))
                return found;
        }
    }
    return nullptr;
}

const QString presets = QStringLiteral("1 minuto, 3 minutos, 5 minutos, 10 minutos, 15 minutos, 25 minutos, 30 minutos, 45 minutos, 60 minutos");

// The delegate over faked services, launched, with a switched microphone as
// the default input.
class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest()
    {
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        platform.audio.addDevice(Input, FakeAudioSystem::switchedDevice(QStringLiteral("usb"), 0.6f));
        platform.audio.defaults[Input] = QStringLiteral("usb");
        delegate = std::make_unique<AppDelegate>(platform.services(), MediaBridgeProcess::Files{});
        delegate->applicationDidFinishLaunching();
    }
    ~AppDelegateTest() override
    {
        delegate.reset();
        qunsetenv("XDG_DATA_HOME");
    }

    AppModel &model() { return delegate->model(); }
    // The menu a right-click on the notch shows.
    std::unique_ptr<QMenu> menu() { return std::unique_ptr<QMenu>(NotchWindowController::contextMenu()); }
    void pressHotKey() { platform.keyCapture.press(MicMute::hotKeyCombination); }
    int hotKeyGrabs() const { return platform.keyCapture.grabCount(MicMute::hotKeyCombination); }
    void nextTurn() { platform.scheduler.advance(0); }

    QTemporaryDir dataHome;
    FakePlatform platform;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(AppDelegateTest, LaunchStartsTheModelAndArmsTheMonitorsTheHotKeyTheTimerAndTheMenu)
{
    EXPECT_EQ(platform.location.requests, 1) << "the model has started: weather";
    EXPECT_EQ(hotKeyGrabs(), 1) << "the microphone hot key";
    ASSERT_TRUE(NotchWindowController::contextMenu);

    platform.notifications.deliver({ExternalAlertListener::name, QString(), DistributedNotifications::UserInfo{{QStringLiteral("body"), QStringLiteral("oi")}}});
    ASSERT_TRUE(model().banners.current()) << "alerts from the command line arrive";
    EXPECT_EQ(model().banners.current()->body, QStringLiteral("oi"));

    model().timers.start(1);
    platform.scheduler.advance(60);
    ASSERT_TRUE(model().alerts.current()) << "the finished timer shows its strip";
    EXPECT_EQ(model().alerts.current()->kind, AlertKind::timer);
}

TEST_F(AppDelegateTest, MenuListsSettingsTimerPresetsAndQuit)
{
    model().preferences.appMixer.setValue(false);
    auto plain = menu();
    EXPECT_EQ(titles(*plain), QStringList({QStringLiteral("Ajustes…"), QStringLiteral("-"), QStringLiteral("Timer [") + presets + u']',
                                           QStringLiteral("-"), QStringLiteral("Sair do Quib")}));
    EXPECT_EQ(item(*plain, QStringLiteral("Ajustes…"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(item(*plain, QStringLiteral("Sair do Quib"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(item(*plain, QStringLiteral("25 minutos"))->data().toInt(), 25);
    EXPECT_TRUE(item(*plain, QStringLiteral("Timer"))->shortcut().isEmpty());

    model().timers.start(5);
    auto running = menu();
    EXPECT_EQ(titles(*running).at(2), QStringLiteral("Timer [") + presets + QStringLiteral(", -, Cancelar timer]"))
        << "built anew at each right-click";

    model().timers.cancel();
    EXPECT_EQ(titles(*menu()), titles(*plain));
}

TEST_F(AppDelegateTest, MixerItemFollowsItsSettingAndOpensTheRightClickedNotchsMixer)
{
    ASSERT_TRUE(model().preferences.appMixer.value());
    auto shown = menu();
    EXPECT_EQ(titles(*shown).mid(0, 3), QStringList({QStringLiteral("Ajustes…"), QStringLiteral("Mixer de volume"), QStringLiteral("-")}));
    EXPECT_TRUE(item(*shown, QStringLiteral("Mixer de volume"))->shortcut().isEmpty());

    NotchWindowController::menuOwner = nullptr;
    item(*shown, QStringLiteral("Mixer de volume"))->trigger(); // the notch is gone: nothing happens

    NotchWindowController controller(FakeScreens::screen(QStringLiteral("HDMI-1"), QRect(0, 0, 1920, 1080), 24), model());
    NotchWindowController::menuOwner = &controller;
    item(*shown, QStringLiteral("Mixer de volume"))->trigger();
    EXPECT_TRUE(controller.viewModel().isMixerOpen());
    EXPECT_TRUE(controller.viewModel().isMixerPinned());
    NotchWindowController::menuOwner = nullptr;
}

TEST_F(AppDelegateTest, TimerItemsStartReplaceAndCancelTheCountdown)
{
    item(*menu(), QStringLiteral("25 minutos"))->trigger();
    EXPECT_TRUE(model().timers.isRunning());
    EXPECT_EQ(model().timers.duration(), 1500);
    EXPECT_EQ(model().timers.endDate(), platform.scheduler.monotonicNow().addMSecs(1500 * 1000));

    platform.scheduler.advance(60);
    item(*menu(), QStringLiteral("1 minuto"))->trigger();
    EXPECT_EQ(model().timers.duration(), 60);
    EXPECT_EQ(model().timers.endDate(), platform.scheduler.monotonicNow().addMSecs(60 * 1000)) << "the running countdown was replaced";

    item(*menu(), QStringLiteral("Cancelar timer"))->trigger();
    EXPECT_FALSE(model().timers.isRunning());
    platform.scheduler.advance(3600);
    EXPECT_FALSE(model().alerts.current()) << "a cancelled timer does not finish";
}

TEST_F(AppDelegateTest, SettingsItemAndReopenShowTheOneSettingsWindow)
{
    EXPECT_EQ(delegate->settingsWindow(), nullptr) << "made on first use";
    item(*menu(), QStringLiteral("Ajustes…"))->trigger();
    SettingsView *window = delegate->settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ajustes do Quib"));
    EXPECT_EQ(window->size(), QSize(650, 712));

    delegate->closeSettings();
    EXPECT_FALSE(window->isVisible());
    platform.notifications.reopen();
    EXPECT_EQ(delegate->settingsWindow(), window) << "kept when closed";
    EXPECT_TRUE(window->isVisible());
}

TEST_F(AppDelegateTest, TheSelectedPageSurvivesClosingTheWindow)
{
    delegate->openSettings();
    delegate->settingsRouter().setPage(SettingsPageID::sound);
    delegate->closeSettings();
    delegate->openSettings();
    EXPECT_EQ(delegate->settingsWindow()->currentPage()->page(), SettingsPageID::sound);
}

TEST_F(AppDelegateTest, TheRouterCarriesTheMonitors)
{
    EXPECT_EQ(delegate->settingsRouter().focus(), delegate->focus());
    EXPECT_EQ(delegate->settingsRouter().notifications(), delegate->appNotifications());
    EXPECT_NE(delegate->settingsRouter().focus(), nullptr);
}

TEST_F(AppDelegateTest, QuitItemEndsTheEventLoop)
{
    auto shown = menu();
    QTimer::singleShot(0, [&] { item(*shown, QStringLiteral("Sair do Quib"))->trigger(); });
    // Fails the test rather than hang when quitting does nothing.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(AppDelegateTest, HotKeyShowsTheToastAndASecondPressReplacesIt)
{
    pressHotKey();
    ASSERT_TRUE(model().alerts.current());
    const NotchAlert muted = *model().alerts.current();
    EXPECT_EQ(muted.kind, AlertKind::mic);
    EXPECT_EQ(muted.symbol, QStringLiteral("mic.slash.fill"));
    EXPECT_EQ(muted.symbolColor, QColor::fromRgbF(1.0f, 0.32f, 0.30f));
    EXPECT_EQ(muted.title, QStringLiteral("Microfone mudo"));
    EXPECT_EQ(muted.level, std::nullopt);
    EXPECT_EQ(muted.trailing, QStringLiteral("⌃⌥M"));
    EXPECT_EQ(muted.trailingColor, QColor::fromRgbF(1, 1, 1, 0.45f));
    EXPECT_EQ(muted.sideWidth, 124);
    EXPECT_EQ(platform.audio.device(Input, QStringLiteral("usb"))->isMuted, true);

    platform.scheduler.advance(1);
    pressHotKey();
    ASSERT_TRUE(model().alerts.current());
    EXPECT_EQ(model().alerts.current()->title, QStringLiteral("Microfone ligado")) << "replaced at once";
    EXPECT_EQ(model().alerts.current()->symbol, QStringLiteral("mic.fill"));
    EXPECT_EQ(model().alerts.current()->symbolColor, QColor(Qt::white));

    platform.scheduler.advance(1.59);
    EXPECT_TRUE(model().alerts.current()) << "1.6 s from the second press";
    platform.scheduler.advance(0.01);
    EXPECT_FALSE(model().alerts.current());
}

TEST_F(AppDelegateTest, HotKeyFollowsItsSettingAndIsNeverGrabbedTwice)
{
    model().preferences.micShortcut.setValue(false);
    EXPECT_EQ(hotKeyGrabs(), 1) << "released on the next turn";
    nextTurn();
    EXPECT_EQ(hotKeyGrabs(), 0);
    EXPECT_EQ(platform.keyCapture.press(MicMute::hotKeyCombination), std::nullopt) << "the key no longer mutes";

    model().preferences.micShortcut.setValue(true);
    nextTurn();
    EXPECT_EQ(hotKeyGrabs(), 1);

    // Off and on again within one turn: the key stays grabbed once.
    model().preferences.micShortcut.setValue(false);
    model().preferences.micShortcut.setValue(true);
    nextTurn();
    EXPECT_EQ(hotKeyGrabs(), 1);

    pressHotKey();
    EXPECT_EQ(platform.audio.writes, QStringList{QStringLiteral("mute Input usb 1")}) << "one press, one toggle";
}

TEST_F(AppDelegateTest, FinishedTimerPlaysTheSoundOnlyWhenItsSettingIsOn)
{
    for (const bool sound : {false, true}) {
        SCOPED_TRACE(sound ? "timerSound on" : "timerSound off");
        platform.soundPlayer.events.clear();
        model().preferences.timerSound.setValue(sound);
        model().timers.start(3);
        platform.scheduler.advance(180);
        EXPECT_EQ(platform.soundPlayer.played(), sound ? QStringList{QStringLiteral("Submarine")} : QStringList());

        ASSERT_TRUE(model().alerts.current());
        const NotchAlert alert = *model().alerts.current();
        EXPECT_EQ(alert.kind, AlertKind::timer);
        EXPECT_EQ(alert.symbol, QStringLiteral("timer"));
        EXPECT_EQ(alert.title, QStringLiteral("Timer"));
        EXPECT_EQ(alert.trailing, QStringLiteral("Concluído"));
        EXPECT_EQ(alert.symbolColor, SystemColors::orange());
        EXPECT_EQ(alert.trailingColor, SystemColors::orange());
        EXPECT_EQ(alert.level, std::nullopt);
        EXPECT_EQ(alert.sideWidth, 100);
        platform.scheduler.advance(5.99);
        EXPECT_TRUE(model().alerts.current());
        platform.scheduler.advance(0.01);
        EXPECT_FALSE(model().alerts.current()) << "shown for 6 s";
    }
}

TEST_F(AppDelegateTest, QuittingUnmutesAMicrophoneTheAppMuted)
{
    pressHotKey();
    ASSERT_TRUE(model().micMute.isMuted());
    delegate->applicationWillTerminate();
    EXPECT_FALSE(model().micMute.isMuted());
    EXPECT_EQ(platform.audio.device(Input, QStringLiteral("usb"))->isMuted, false);

    platform.audio.writes.clear();
    delegate->applicationWillTerminate();
    EXPECT_TRUE(platform.audio.writes.isEmpty()) << "nothing to give back";
}

// The sound server answers a while after each request; quitting waits for
// the answer, so the microphone is unmuted before the process ends.
TEST_F(AppDelegateTest, QuittingWaitsForTheSoundServerToUnmute)
{
    platform.audio.delaysEchoes = true;
    pressHotKey();
    platform.audio.deliverEcho();
    ASSERT_EQ(platform.audio.device(Input, QStringLiteral("usb"))->isMuted, true);
    {
        LogCapture log;
        delegate->applicationWillTerminate();
        EXPECT_EQ(platform.audio.pendingEchoes(), 0);
        EXPECT_EQ(platform.audio.device(Input, QStringLiteral("usb"))->isMuted, false);
        EXPECT_EQ(log.messages(QStringLiteral("Quib: microphone unmuted before quitting")).size(), 1);
    }

    // A server that does not answer: the log does not claim the unmute.
    pressHotKey();
    platform.audio.deliverEcho();
    platform.audio.answersRequests = false;
    LogCapture log;
    delegate->applicationWillTerminate();
    EXPECT_TRUE(log.messages(QStringLiteral("Quib: microphone unmuted")).isEmpty());
    EXPECT_EQ(log.messages(QStringLiteral("Quib: the sound server did not confirm that the microphone was unmuted before quitting")).size(), 1);
}

TEST_F(AppDelegateTest, ReopenAndRightClickAfterTheDelegateIsGoneDoNothing)
{
    LogCapture log;
    delegate.reset();
    platform.notifications.reopen();
    EXPECT_TRUE(log.messages(QStringLiteral("Quib: settings opened")).isEmpty());
    EXPECT_EQ(NotchWindowController::contextMenu(), nullptr) << "no menu";
}

TEST_F(AppDelegateTest, QuittingPutsEveryApplicationsVolumeBack)
{
    platform.audio.addDevice(AudioScope::Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers"), 0.5f));
    platform.audio.defaults[AudioScope::Output] = QStringLiteral("speakers");
    platform.workspace.addApplication(100, 1, QStringLiteral("org.player"));
    platform.audio.changeStreams({AudioStream{1, AudioStream::Direction::Playback, 100, false, {1.0f}}});
    model().mixer.setGain(0.3, QStringLiteral("org.player"));
    ASSERT_EQ(platform.audio.taps.size(), 1);
    ASSERT_TRUE(platform.audio.taps[0]->isLive);

    delegate->applicationWillTerminate();
    EXPECT_FALSE(platform.audio.taps[0]->isLive);
    EXPECT_EQ(platform.defaults.values.value(QStringLiteral("appVolumes")), (QVariantMap{{QStringLiteral("org.player"), 0.3}}))
        << "the gain is kept for the next launch";
}
