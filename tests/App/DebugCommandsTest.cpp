#include "Alerts/FocusMonitor.h"
#include "App/AppDelegate.h"
#include "App/DebugCommands.h"
#include "Notch/NotchManager.h"
#include "Notch/NotchViewModel.h"
#include "Notch/NotchWindowController.h"
#include "Onboarding/OnboardingView.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "Wait.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsView.h"
#include "Shared/SystemColors.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

// Readable failure messages for the compared strips.
static void PrintTo(const NotchAlert &alert, std::ostream *out)
{
    *out << "{kind " << int(alert.kind) << ", " << alert.symbol.toStdString() << " " << alert.symbolColor.name(QColor::HexArgb).toStdString()
         << ", title " << alert.title.value_or(QStringLiteral("-")).toStdString() << ", level "
         << (alert.level ? QString::number(*alert.level) : QStringLiteral("-")).toStdString() << ", bar " << int(alert.barStyle) << "/"
         << alert.levelColors << "/" << int(alert.levelBase) << ", trailing " << alert.trailing.value_or(QStringLiteral("-")).toStdString() << " "
         << alert.trailingColor.name(QColor::HexArgb).toStdString() << ", side " << alert.sideWidth << '}';
}

namespace {

constexpr AudioScope Input = AudioScope::Input;

// What the commands can change, gathered to show that a word changed nothing.
struct AppState {
    QList<bool> open, mixerOpen, mixerPinned;
    std::optional<NotchAlert> alert;
    std::optional<NotchBanner> banner;
    bool timerRunning, peeking, micMuted, soundMuted;
    qsizetype events;
    int userChecks, backgroundChecks;
    bool operator==(const AppState &) const = default;
};

void PrintTo(const AppState &state, std::ostream *out)
{
    auto flags = [](const QList<bool> &list) {
        std::string text;
        for (const bool flag : list)
            text += flag ? '1' : '0';
        return text;
    };
    *out << "{open " << flags(state.open) << ", mixer " << flags(state.mixerOpen) << ", pinned " << flags(state.mixerPinned) << ", alert ";
    if (state.alert)
        PrintTo(*state.alert, out);
    else
        *out << '-';
    *out << ", banner " << (state.banner ? state.banner->title.toStdString() : "-") << ", timer " << state.timerRunning << ", peek " << state.peeking
         << ", mic " << state.micMuted << ", sound " << state.soundMuted << ", events " << state.events << ", checks " << state.userChecks << "/"
         << state.backgroundChecks << '}';
}

// The app launched over faked services with two screens, so two notches,
// and a switched microphone as the default input. "debugHooks" is set unless
// a test says otherwise before launch().
class DebugCommandsTest : public ::testing::Test {
protected:
    DebugCommandsTest()
    {
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        platform.screens.setScreens({FakeScreens::screen(QStringLiteral("eDP-1"), QRect(0, 0, 1512, 982), 24),
                                     FakeScreens::screen(QStringLiteral("HDMI-1"), QRect(1512, 0, 1920, 1080), 24)});
        platform.audio.addDevice(Input, FakeAudioSystem::switchedDevice(QStringLiteral("usb"), 0.6f));
        platform.audio.defaults[Input] = QStringLiteral("usb");
        platform.defaults.setObject(QStringLiteral("debugHooks"), true);
    }
    ~DebugCommandsTest() override
    {
        delegate.reset();
        qunsetenv("XDG_DATA_HOME");
    }

    void launch()
    {
        delegate = std::make_unique<AppDelegate>(platform.services(), MediaBridgeProcess::Files{});
        delegate->applicationDidFinishLaunching();
        ASSERT_EQ(notches().size(), 2);
    }
    // As another process sends it.
    void send(const QString &word) { platform.notifications.deliver({DebugCommands::notificationName, word, DistributedNotifications::UserInfo{}}); }

    AppModel &model() { return delegate->model(); }
    QList<NotchViewModel *> notches()
    {
        QList<NotchViewModel *> list;
        for (const auto &controller : delegate->notchManager()->controllers())
            list.append(&controller->viewModel());
        return list;
    }
    template<typename Read>
    QList<bool> eachNotch(Read read)
    {
        QList<bool> flags;
        for (NotchViewModel *notch : notches())
            flags.append(read(*notch));
        return flags;
    }
    QList<NotchState> states()
    {
        QList<NotchState> list;
        for (NotchViewModel *notch : notches())
            list.append(notch->state());
        return list;
    }
    AppState state()
    {
        return AppState{eachNotch([](NotchViewModel &n) { return n.isOpen(); }),
                        eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }),
                        eachNotch([](NotchViewModel &n) { return n.isMixerPinned(); }),
                        model().alerts.current(),
                        model().banners.current(),
                        model().timers.isRunning(),
                        model().isPeekingSong(),
                        model().micMute.isMuted(),
                        model().outputMute.isMuted(),
                        model().calendar.events().size(),
                        platform.updates.userChecks,
                        platform.updates.backgroundChecks};
    }
    // Every word of the channel that changes something visible at once.
    void sendEveryCommand()
    {
        for (const char *word : {"open", "demo-volume", "demo-banner", "demo-event", "demo-mic", "demo-sound-muted", "demo-mixer", "demo-mixer-menu",
                                 "demo-timer", "demo-focus-on", "demo-peek-long", "update-check", "update-background"})
            send(QString::fromLatin1(word));
    }

    QTemporaryDir dataHome;
    FakePlatform platform;
    std::unique_ptr<AppDelegate> delegate;
};

const QList<bool> bothOn{true, true};
const QList<bool> bothOff{false, false};

} // namespace

TEST_F(DebugCommandsTest, WithoutTheSwitchAtLaunchNoCommandIsHeard)
{
    platform.defaults.removeObject(QStringLiteral("debugHooks"));
    launch();
    const AppState before = state();
    sendEveryCommand();
    EXPECT_EQ(state(), before);

    // Read once at launch: switching it on later changes nothing.
    platform.defaults.setObject(QStringLiteral("debugHooks"), true);
    sendEveryCommand();
    EXPECT_EQ(state(), before);
}

TEST_F(DebugCommandsTest, UnknownWordsAndOtherCasesDoNothing)
{
    launch();
    const AppState before = state();
    // Words of commands this app does not have, and the known ones changed.
    for (const char *word : {"", "Open", "OPEN", " open", "open ", "open\n", "demo-Volume", "demo-volume-", "demo", "lock-preview", "lock-mute-on",
                             "settings:", "settings:Sound", "settings:LockScreen", "Settings:sound", "settings: sound", "settings-Close", "onboarding",
                             "demo-Focus-on", "Quit"}) {
        SCOPED_TRACE(word);
        send(QString::fromUtf8(word));
        EXPECT_EQ(state(), before);
        EXPECT_EQ(delegate->settingsWindow(), nullptr);
        EXPECT_EQ(delegate->settingsRouter().page(), SettingsPageID::general);
    }
}

TEST_F(DebugCommandsTest, SettingsCommandsSelectAPageOpenAndClose)
{
    launch();
    int notified = 0;
    const QPropertyNotifier notifier = delegate->settingsRouter().bindablePage().addNotifier([&] { ++notified; });
    send(QStringLiteral("settings:lockScreen"));
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    EXPECT_TRUE(delegate->settingsWindow()->isVisible());
    EXPECT_EQ(delegate->settingsRouter().page(), SettingsPageID::lockScreen);
    EXPECT_EQ(delegate->settingsWindow()->currentPage()->page(), SettingsPageID::lockScreen);
    EXPECT_EQ(notified, 1);

    send(QStringLiteral("settings-close"));
    EXPECT_FALSE(delegate->settingsWindow()->isVisible());
    // The same page again: no change to notify, the window comes back.
    send(QStringLiteral("settings:lockScreen"));
    EXPECT_TRUE(delegate->settingsWindow()->isVisible());
    EXPECT_EQ(notified, 1);
    // An invalid page leaves both the page and the window.
    send(QStringLiteral("settings-close"));
    send(QStringLiteral("settings:LockScreen"));
    EXPECT_FALSE(delegate->settingsWindow()->isVisible());
    EXPECT_EQ(delegate->settingsRouter().page(), SettingsPageID::lockScreen);
}

TEST_F(DebugCommandsTest, FocusCommandsAnnounceAndCheckTheFocus)
{
    launch();
    send(QStringLiteral("demo-focus-on"));
    ASSERT_TRUE(model().alerts.current());
    EXPECT_EQ(model().alerts.current()->kind, AlertKind::focus);
    EXPECT_EQ(model().alerts.current()->trailing, QStringLiteral("On"));
    send(QStringLiteral("demo-focus-off"));
    ASSERT_TRUE(model().alerts.current());
    EXPECT_EQ(model().alerts.current()->trailing, QStringLiteral("Off"));

    QFile::remove(FocusMonitor::debugFilePath);
    send(QStringLiteral("focus-check"));
    // Written off the main thread.
    EXPECT_TRUE(waitUntil([] { return QFile::exists(FocusMonitor::debugFilePath); }));
}

TEST_F(DebugCommandsTest, OpenAndCloseActOnEveryNotch)
{
    launch();
    send(QStringLiteral("open"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isOpen(); }), bothOn);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::open(), NotchState::open()}));
    send(QStringLiteral("close"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isOpen(); }), bothOff);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::closed(), NotchState::closed()}));
}

TEST_F(DebugCommandsTest, LevelStripsShowTheStoredLevelUnclamped)
{
    launch();
    // Settings away from their defaults, to see that the strips read them.
    model().preferences.soundStyle.setValue(HUDStyle::glow);
    model().preferences.volumeLevelColors.setValue(false);
    model().preferences.displayStyle.setValue(HUDStyle::accent);
    model().preferences.brightnessLevelColors.setValue(true);

    struct Case {
        const char *name;
        QVariant stored;
        double level;
        QString digits;
    };
    const Case cases[] = {
        {"absent", QVariant(), 0, "0"},
        {"40", 40.0, 0.4, "40"},
        // 29 / 100 * 100 is just below 29 in floating point.
        {"29", 29.0, 0.29, "29"},
        {"100", 100.0, 1.0, "100"},
        {"above 100", 150.0, 1.5, "150"},
        {"negative", -20.0, -0.2, "-20"},
        {"a fraction counts by its whole part", 40.9, 0.4, "40"},
        {"a small negative fraction is zero", -0.5, 0, "0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.stored.isValid())
            platform.defaults.setObject(QStringLiteral("debugVolumeLevel"), c.stored);
        else
            platform.defaults.removeObject(QStringLiteral("debugVolumeLevel"));

        NotchAlert volume;
        volume.kind = AlertKind::volume;
        volume.symbol = QStringLiteral("speaker.wave.3.fill");
        volume.symbolColor = Qt::white;
        volume.level = c.level;
        volume.barStyle = HUDStyle::glow;
        volume.levelColors = false;
        volume.levelBase = LevelBase::white;
        volume.trailing = c.digits;
        volume.trailingColor = Qt::white;
        volume.sideWidth = 100;
        send(QStringLiteral("demo-volume-level"));
        EXPECT_EQ(model().alerts.current(), volume);

        NotchAlert brightness = volume;
        brightness.kind = AlertKind::brightness;
        brightness.symbol = QStringLiteral("sun.max.fill");
        brightness.barStyle = HUDStyle::accent;
        brightness.levelColors = true;
        brightness.levelBase = LevelBase::blue;
        send(QStringLiteral("demo-brightness-level"));
        EXPECT_EQ(model().alerts.current(), brightness);
    }
}

TEST_F(DebugCommandsTest, DemoStripsAndTheirThreeSeconds)
{
    launch();
    model().preferences.soundStyle.setValue(HUDStyle::white);
    model().preferences.displayStyle.setValue(HUDStyle::glow);
    auto strip = [](AlertKind kind, const char *symbol, const QColor &color, std::optional<double> level, HUDStyle bar, double side) {
        NotchAlert alert;
        alert.kind = kind;
        alert.symbol = QString::fromLatin1(symbol);
        alert.symbolColor = color;
        alert.level = level;
        alert.barStyle = bar;
        alert.sideWidth = side;
        return alert;
    };
    NotchAlert battery = strip(AlertKind::battery, "battery.100percent.bolt", SystemColors::green(), std::nullopt, HUDStyle::white, 112);
    battery.title = QStringLiteral("Carregando");
    battery.trailing = QStringLiteral("54%");
    battery.trailingColor = SystemColors::green();
    NotchAlert device = strip(AlertKind::device, "airpodspro", Qt::white, std::nullopt, HUDStyle::white, 124);
    device.title = QStringLiteral("AirPods Pro");
    device.trailing = QStringLiteral("82%");
    device.trailingColor = Qt::white;

    const std::pair<const char *, NotchAlert> cases[] = {
        {"demo-volume", strip(AlertKind::volume, "speaker.wave.2.fill", Qt::white, 0.56, HUDStyle::white, 92)},
        {"demo-brightness", strip(AlertKind::brightness, "sun.max.fill", Qt::white, 0.73, HUDStyle::glow, 92)},
        {"demo-battery", battery},
        {"demo-device", device},
    };
    for (const auto &[word, expected] : cases) {
        SCOPED_TRACE(word);
        send(QString::fromLatin1(word));
        EXPECT_EQ(model().alerts.current(), expected);
        EXPECT_EQ(states(), QList<NotchState>({NotchState::compact(CompactKind::alert), NotchState::compact(CompactKind::alert)}));
        platform.scheduler.advance(DebugCommands::alertDuration - 0.01);
        EXPECT_TRUE(model().alerts.current());
        platform.scheduler.advance(0.01);
        EXPECT_FALSE(model().alerts.current());
    }
}

TEST_F(DebugCommandsTest, BannerFromTheCodingAgent)
{
    launch();
    send(QStringLiteral("demo-banner"));
    ASSERT_TRUE(model().banners.current());
    const NotchBanner banner = *model().banners.current();
    EXPECT_EQ(banner.title, QStringLiteral("Quib"));
    EXPECT_EQ(banner.body, QStringLiteral("Terminou · Adicionei a contagem dos eventos e o botão Entrar."));
    EXPECT_EQ(banner.symbol, std::nullopt);
    EXPECT_EQ(banner.color, SettingsStyle::accent());
    EXPECT_EQ(banner.appBundleID, QStringLiteral("com.anthropic.claudefordesktop"));
    EXPECT_EQ(banner.duration, 6.0);
    EXPECT_FALSE(banner.action);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::banner(), NotchState::banner()}));

    platform.scheduler.advance(6);
    send(QStringLiteral("demo-banner"));
    ASSERT_TRUE(model().banners.current());
    EXPECT_NE(model().banners.current()->id, banner.id) << "a new banner each time";
}

TEST_F(DebugCommandsTest, DemoEventsStartRelativeToNow)
{
    launch();
    const QDateTime now = platform.scheduler.now();
    const std::pair<const char *, qint64> cases[] = {{"demo-event", 4 * 60 * 1000}, {"demo-event-now", 6 * 1000}, {"demo-event-ongoing", -12 * 60 * 1000}};
    for (const auto &[word, startsIn] : cases) {
        SCOPED_TRACE(word);
        const qsizetype before = model().calendar.events().size();
        send(QString::fromLatin1(word));
        ASSERT_EQ(model().calendar.events().size(), before + 1);
        EXPECT_EQ(now.msecsTo(model().calendar.events().last().start), startsIn);
    }
}

TEST_F(DebugCommandsTest, MuteCommandsToggleTheMicrophoneAndTheSoundFlag)
{
    launch();
    send(QStringLiteral("demo-mic"));
    EXPECT_TRUE(model().micMute.isMuted());
    EXPECT_EQ(platform.audio.device(Input, QStringLiteral("usb"))->isMuted, true);
    ASSERT_TRUE(model().alerts.current());
    EXPECT_EQ(model().alerts.current(), AppDelegate::micToast(true)) << "the toast of the hot key";
    send(QStringLiteral("demo-mic"));
    EXPECT_FALSE(model().micMute.isMuted());
    EXPECT_EQ(model().alerts.current(), AppDelegate::micToast(false));

    platform.audio.writes.clear();
    send(QStringLiteral("demo-sound-muted"));
    EXPECT_TRUE(model().outputMute.isMuted());
    send(QStringLiteral("demo-sound-muted"));
    EXPECT_FALSE(model().outputMute.isMuted());
    EXPECT_TRUE(platform.audio.writes.isEmpty()) << "the output device is left alone";
}

TEST_F(DebugCommandsTest, MixerOpensOnEveryNotchStaysOpenAndCloses)
{
    launch();
    send(QStringLiteral("demo-mixer-close"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOff) << "none open: nothing changes";

    send(QStringLiteral("demo-mixer"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOn);
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerPinned(); }), bothOff);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::mixer(), NotchState::mixer()}));
    ASSERT_TRUE(model().alerts.current()) << "the volume strip under the mixer";
    EXPECT_EQ(model().alerts.current()->symbol, QStringLiteral("speaker.wave.2.fill"));

    send(QStringLiteral("demo-mixer"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOn) << "a second time keeps it open";

    send(QStringLiteral("demo-mixer-close"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOff);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::compact(CompactKind::alert), NotchState::compact(CompactKind::alert)}))
        << "the strip shows again for the rest of its time";

    // Only one notch's mixer open: the other is left as it is.
    delegate->notchManager()->controllers()[1]->setMixerOpen(true);
    send(QStringLiteral("demo-mixer-close"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOff);

    send(QStringLiteral("demo-mixer-menu"));
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerOpen(); }), bothOn);
    EXPECT_EQ(eachNotch([](NotchViewModel &n) { return n.isMixerPinned(); }), bothOn) << "as the menu item opens it";
}

TEST_F(DebugCommandsTest, OnboardingShowsTheWelcomeWindowAgain)
{
    platform.defaults.setObject(QStringLiteral("onboardingDone"), true);
    launch();
    EXPECT_FALSE(delegate->onboarding());
    send(QStringLiteral("onboarding"));
    ASSERT_TRUE(delegate->onboarding());
    EXPECT_TRUE(delegate->onboarding()->isVisible());
}

TEST_F(DebugCommandsTest, TimerStartsForFiveMinutesAndCancels)
{
    launch();
    send(QStringLiteral("demo-timer"));
    ASSERT_TRUE(model().timers.isRunning());
    EXPECT_EQ(model().timers.duration(), 300);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::compact(CompactKind::timer), NotchState::compact(CompactKind::timer)}));
    send(QStringLiteral("demo-timer-cancel"));
    EXPECT_FALSE(model().timers.isRunning());
    platform.scheduler.advance(300);
    EXPECT_FALSE(model().alerts.current()) << "a cancelled timer does not finish";
}

TEST_F(DebugCommandsTest, PeekShowsWhileNothingPlaysAndClearsAfterItsTime)
{
    launch();
    ASSERT_FALSE(model().nowPlaying.hasMedia());
    send(QStringLiteral("demo-peek-long"));
    EXPECT_EQ(states(), QList<NotchState>({NotchState::peek(), NotchState::peek()}));
    EXPECT_EQ(model().debugPeekSong(), AppModel::demoPeekSong);

    platform.scheduler.advance(AppModel::peekDuration - 0.01);
    EXPECT_TRUE(model().isPeekingSong());
    platform.scheduler.advance(0.01);
    EXPECT_FALSE(model().isPeekingSong());
    EXPECT_FALSE(model().isPeekForced());
    EXPECT_EQ(model().debugPeekSong(), std::nullopt);
    EXPECT_EQ(states(), QList<NotchState>({NotchState::closed(), NotchState::closed()}));

    send(QStringLiteral("demo-peek"));
    EXPECT_EQ(states(), QList<NotchState>({NotchState::peek(), NotchState::peek()}));
    EXPECT_EQ(model().debugPeekSong(), std::nullopt) << "the current song, not the demo one";
}

TEST_F(DebugCommandsTest, UpdateCommandsDoNothingOnABuildWithoutUpdates)
{
    launch();
    ASSERT_FALSE(model().updater.isConfigured());
    send(QStringLiteral("update-check"));
    send(QStringLiteral("update-background"));
    EXPECT_EQ(platform.updates.userChecks, 0);
    EXPECT_EQ(platform.updates.backgroundChecks, 0);
    EXPECT_EQ(platform.updates.starts, 0);
}

TEST_F(DebugCommandsTest, QuitEndsTheEventLoop)
{
    launch();
    QTimer::singleShot(0, [this] { send(QStringLiteral("quit")); });
    // Fails the test rather than hang when quitting does nothing.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}
