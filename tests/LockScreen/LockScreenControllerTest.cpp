#include "LockScreen/LockScreenController.h"

#include "App/AppModel.h"
#include "LockScreen/LockBackdropView.h"
// Completes the lyrics view the backdrop header hands out.
#include "LockScreen/LyricsView.h"
#include "LockScreen/LockMuteIndicator.h"
#include "LockScreen/LockScreenPanel.h"
#include "LockScreen/LockScreenPlayerView.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QPointer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QRect desktop{0, 0, 1920, 1080};
// On a 1920 × 1080 screen: centred, the bottom edge round(0.24 × 1080) = 259
// above the screen's bottom edge.
const QRect playerFrame{740, 181, 440, 640};

Screens::Screen screenAt(const QRect &frame)
{
    return FakeScreens::screen(QStringLiteral("S%1x%2").arg(frame.x()).arg(frame.y()), frame, 24);
}

// The controller over the fake platform: one 1920 × 1080 screen (a test may
// add a second), a player at process 321, the weather unknown.
class LockScreenControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform.screens.setScreens({screenAt(desktop)});
        platform.audio.addDevice(AudioScope::Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers")));
        platform.audio.defaults[AudioScope::Output] = QStringLiteral("speakers");
        platform.workspace.addApplication(321, 1, QStringLiteral("org.example.Player"));
        app = std::make_unique<AppModel>(platform.services());
        controller = std::make_unique<LockScreenController>(*app);
    }

    Preferences &preferences() { return app->preferences; }

    // A song, playing or paused; no song at all with an empty title.
    void song(bool playing, const QString &title = QStringLiteral("Song"))
    {
        app->nowPlaying.handle(QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                                           {QStringLiteral("playing"), playing ? 1 : 0},
                                           {QStringLiteral("title"), title},
                                           {QStringLiteral("duration"), 200},
                                           {QStringLiteral("pid"), 321}});
        settle();
    }
    void weather(double temperature, int code)
    {
        app->weather.bindableTemperature().setValue(temperature);
        app->weather.bindableCode().setValue(code);
        settle();
    }
    // Runs the reactions due now.
    void settle() { platform.scheduler.advance(0); }
    void lock()
    {
        platform.sessionLock.lock();
        settle();
    }
    void unlock()
    {
        platform.sessionLock.unlock();
        settle();
    }
    // Lets panels that faded out go.
    static void deleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    bool movedToLockScreen(QWidget *panel) const
    {
        const auto &moved = platform.windowServer.movedToLockScreen;
        return std::find(moved.begin(), moved.end(), panel->windowHandle()) != moved.end();
    }

    FakePlatform platform;
    std::unique_ptr<AppModel> app;
    std::unique_ptr<LockScreenController> controller;
};

} // namespace

TEST(LockScreenControllerFrame, PlacesThePlayerOnTheFirstScreen)
{
    struct Case {
        QRect screen;
        double offset;
        QRect frame;
        double inset;
    };
    const Case cases[] = {
        {desktop, 0, playerFrame, 269},
        // 0.24 × 982 = 235.68 rounds to 236.
        {QRect(0, 0, 1512, 982), 0, QRect(536, 106, 440, 640), 246},
        // The offset lifts the panel: 259.2 + 50.5 = 309.7 rounds to 310.
        {desktop, 50.5, QRect(740, 130, 440, 640), 320},
        // A negative offset lowers it, past the bottom edge if need be.
        {desktop, -300, QRect(740, 481, 440, 640), -31},
        // Halves round away from zero: x 280.5 → 281, height 240.5 → 241.
        {QRect(0, 0, 1001, 1000), 0.5, QRect(281, 119, 440, 640), 251},
        {QRect(100, 50, 1000, 1000), 0, QRect(380, 170, 440, 640), 250},
        {QRect(-1920, 0, 1920, 1080), 0, QRect(-1180, 181, 440, 640), 269},
        // An offset that is not a number counts as none.
        {desktop, std::numeric_limits<double>::quiet_NaN(), playerFrame, 269},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.screen) + " offset " + std::to_string(c.offset));
        const std::optional<QRect> frame = LockScreenController::frame({screenAt(c.screen), screenAt(QRect(5000, 0, 800, 600))}, c.offset);
        ASSERT_TRUE(frame);
        EXPECT_EQ(*frame, c.frame);
        EXPECT_EQ(LockScreenController::bottomInset(*frame, c.screen), c.inset);
    }
    EXPECT_EQ(LockScreenController::frame({}, 0), std::nullopt);
    const std::optional<QRect> far = LockScreenController::frame({screenAt(desktop)}, 1e300);
    ASSERT_TRUE(far) << "a huge offset stays a whole-point rectangle";
    EXPECT_LT(far->y(), -100000);
}

TEST_F(LockScreenControllerTest, LockingWithNothingToShowShowsNoPanel)
{
    preferences().lockWeather.setValue(false);
    weather(21, 1);
    lock();
    EXPECT_TRUE(controller->isLocked());
    EXPECT_EQ(controller->playerPanel(), nullptr);
    EXPECT_TRUE(controller->backdrops().isEmpty());
    EXPECT_FALSE(controller->state().showsPlayer());
    EXPECT_FALSE(controller->state().showsWeather());

    preferences().lockWeather.setValue(true);
    settle();
    EXPECT_NE(controller->playerPanel(), nullptr) << "the weather pill alone brings the panel";
    EXPECT_TRUE(controller->state().showsWeather());
    EXPECT_FALSE(controller->state().showsPlayer());
}

TEST_F(LockScreenControllerTest, LockingWhilePlayingShowsThePlayerAboveTheLockScreen)
{
    song(true);
    preferences().lockOffset.setValue(-10.4);
    lock();
    LockScreenPanel *panel = controller->playerPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), playerFrame.translated(0, 10));
    EXPECT_TRUE(dynamic_cast<LockScreenPlayerView *>(panel->root()));
    EXPECT_TRUE(controller->state().showsPlayer());
    EXPECT_EQ(controller->state().playerBottomInset(), 259);
    EXPECT_TRUE(movedToLockScreen(panel));
    EXPECT_TRUE(controller->state().volume().isObserving());
    EXPECT_TRUE(controller->backdrops().isEmpty());

    EXPECT_EQ(panel->windowOpacity(), 0);
    platform.scheduler.advance(LockScreenController::playerFadeIn / 2);
    EXPECT_GT(panel->windowOpacity(), 0);
    EXPECT_LT(panel->windowOpacity(), 1);
    platform.scheduler.advance(LockScreenController::playerFadeIn);
    EXPECT_NEAR(panel->windowOpacity(), 1, 1.0 / 255);

    preferences().lockOffset.setValue(20);
    settle();
    EXPECT_EQ(controller->playerPanel(), panel) << "a new place moves the same panel";
    EXPECT_EQ(panel->geometry(), playerFrame.translated(0, -20));
    EXPECT_EQ(controller->state().playerBottomInset(), 289);
}

TEST_F(LockScreenControllerTest, APlayerTheLockerCannotCoverStaysAnOrdinaryPanel)
{
    platform.windowServer.movesToLockScreen = false;
    song(true);
    lock();
    ASSERT_NE(controller->playerPanel(), nullptr);
    EXPECT_TRUE(controller->playerPanel()->isVisible());
}

TEST_F(LockScreenControllerTest, UnlockingFadesEverythingOutAndResetsTheCard)
{
    song(true);
    lock();
    controller->state().setExpanded(true);
    settle();
    ASSERT_EQ(controller->backdrops().size(), 1);
    QPointer<LockScreenPanel> panel = controller->playerPanel();
    QPointer<LockScreenPanel> backdrop = controller->backdrops().first();

    unlock();
    EXPECT_FALSE(controller->isLocked());
    EXPECT_EQ(controller->playerPanel(), nullptr);
    EXPECT_TRUE(controller->backdrops().isEmpty());
    EXPECT_FALSE(controller->state().expanded());
    EXPECT_FALSE(controller->state().showLyrics());
    EXPECT_FALSE(controller->state().volume().isObserving());
    ASSERT_TRUE(panel && backdrop) << "still fading";
    EXPECT_TRUE(panel->isVisible());

    platform.scheduler.advance(LockScreenController::playerFadeOut + 0.05);
    deleteClosed();
    EXPECT_FALSE(panel);
    EXPECT_FALSE(backdrop);
    EXPECT_TRUE(controller->state().showsPlayer()) << "left as it was; the next lock or preview computes it again";
}

TEST_F(LockScreenControllerTest, SoundsOnLockAndUnlockFollowTheirSettings)
{
    lock();
    unlock();
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty());

    preferences().soundOnLock.setValue(true);
    preferences().soundOnUnlock.setValue(true);
    lock();
    unlock();
    EXPECT_EQ(platform.soundPlayer.played(), QStringList({Sounds::name(Sounds::Kind::lockChime), Sounds::name(Sounds::Kind::unlock)}));
}

TEST_F(LockScreenControllerTest, ALockThatArrivesTwiceBuildsThePanelAgain)
{
    song(true);
    lock();
    QPointer<LockScreenPanel> first = controller->playerPanel();
    lock();
    ASSERT_NE(controller->playerPanel(), nullptr);
    EXPECT_NE(controller->playerPanel(), first.data());
    platform.scheduler.advance(LockScreenController::playerFadeOut + 0.05);
    deleteClosed();
    EXPECT_FALSE(first);
}

TEST_F(LockScreenControllerTest, PausedPlaybackHidesThePlayerAfterTheIdleTime)
{
    preferences().lockIdleMinutes.setValue(2);
    weather(21, 1);
    song(false);
    lock();
    ASSERT_TRUE(controller->state().showsPlayer());

    // Resuming before the idle time cancels the expiry.
    platform.scheduler.advance(100);
    song(true);
    platform.scheduler.advance(200);
    EXPECT_TRUE(controller->state().showsPlayer());

    song(false);
    platform.scheduler.advance(119);
    EXPECT_TRUE(controller->state().showsPlayer());
    platform.scheduler.advance(1);
    EXPECT_FALSE(controller->state().showsPlayer());
    EXPECT_TRUE(controller->state().showsWeather());
    EXPECT_NE(controller->playerPanel(), nullptr) << "the weather pill stays";

    song(true);
    EXPECT_TRUE(controller->state().showsPlayer()) << "playing again brings the player back at once";
}

TEST_F(LockScreenControllerTest, TheIdleExpiryIsForgottenAtTheNextLock)
{
    preferences().lockIdleMinutes.setValue(1);
    song(false);
    lock();
    platform.scheduler.advance(60);
    EXPECT_EQ(controller->playerPanel(), nullptr);
    unlock();
    platform.scheduler.advance(600);
    lock();
    EXPECT_TRUE(controller->state().showsPlayer());
}

TEST_F(LockScreenControllerTest, KeepAwakeOffAsksForNothing)
{
    for (const double minutes : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        preferences().keepAwakeMinutes.setValue(minutes);
        lock();
        unlock();
    }
    EXPECT_TRUE(platform.sessionLock.reasons.empty());
}

TEST_F(LockScreenControllerTest, KeepsTheDisplayAwakeForTheSetMinutesFromTheLock)
{
    preferences().keepAwakeMinutes.setValue(5);
    lock();
    // The answer takes a while; the minutes count from the lock.
    platform.scheduler.advance(2);
    platform.sessionLock.answer(true);
    EXPECT_EQ(platform.sessionLock.reasons, std::vector<QString>{QStringLiteral("Quib: tela de bloqueio")});
    EXPECT_EQ(platform.sessionLock.held.size(), 1);
    EXPECT_TRUE(controller->isKeepingAwake());
    platform.scheduler.advance(297.9);
    EXPECT_EQ(platform.sessionLock.held.size(), 1);
    platform.scheduler.advance(0.1);
    EXPECT_TRUE(platform.sessionLock.held.isEmpty());
    EXPECT_FALSE(controller->isKeepingAwake());
    EXPECT_TRUE(controller->isLocked());
}

TEST_F(LockScreenControllerTest, UnlockingReleasesTheDisplayAtOnce)
{
    preferences().keepAwakeMinutes.setValue(5);
    lock();
    platform.sessionLock.answer(true);
    platform.scheduler.advance(120);
    unlock();
    EXPECT_TRUE(platform.sessionLock.held.isEmpty());
    EXPECT_FALSE(controller->isKeepingAwake());
    platform.scheduler.advance(600);
    EXPECT_EQ(platform.sessionLock.reasons.size(), 1u);
}

TEST_F(LockScreenControllerTest, AKeepAwakeThatFailsOrIsLateHoldsNothing)
{
    preferences().keepAwakeMinutes.setValue(5);
    lock();
    platform.sessionLock.answer(false);
    EXPECT_FALSE(controller->isKeepingAwake());
    unlock();

    // Unlocked before the answer: the request is withdrawn.
    lock();
    EXPECT_EQ(platform.sessionLock.pendingCount(), 1);
    unlock();
    EXPECT_EQ(platform.sessionLock.pendingCount(), 0);
    EXPECT_TRUE(platform.sessionLock.held.isEmpty());
}

TEST_F(LockScreenControllerTest, APreviewShowsThePlayerOnTheDesktopFor20Seconds)
{
    song(true);
    controller->preview();
    LockScreenPanel *panel = controller->playerPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), playerFrame);
    EXPECT_FALSE(movedToLockScreen(panel)) << "the desktop, not the lock screen";
    EXPECT_TRUE(controller->isPreview());

    platform.scheduler.advance(10);
    controller->preview();
    EXPECT_EQ(controller->playerPanel(), panel) << "a second preview restarts the 20 s";
    platform.scheduler.advance(19.9);
    EXPECT_EQ(controller->playerPanel(), panel);
    platform.scheduler.advance(0.1);
    EXPECT_EQ(controller->playerPanel(), nullptr);
    EXPECT_FALSE(controller->isPreview());
}

TEST_F(LockScreenControllerTest, LockingDuringAPreviewEndsIt)
{
    song(true);
    controller->preview();
    QPointer<LockScreenPanel> previewPanel = controller->playerPanel();
    platform.scheduler.advance(5);
    lock();
    EXPECT_FALSE(controller->isPreview());
    LockScreenPanel *panel = controller->playerPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel, previewPanel.data());
    EXPECT_TRUE(movedToLockScreen(panel));
    platform.scheduler.advance(30);
    EXPECT_EQ(controller->playerPanel(), panel) << "the preview's end does not hide the locked player";

    controller->preview();
    EXPECT_FALSE(controller->isPreview()) << "no preview while locked";
}

TEST_F(LockScreenControllerTest, WhileUnlockedOnlyAPreviewFollowsTheContent)
{
    song(false);
    EXPECT_EQ(controller->playerPanel(), nullptr);
    song(true);
    EXPECT_EQ(controller->playerPanel(), nullptr);
    controller->preview();
    song(true, QString());
    EXPECT_EQ(controller->playerPanel(), nullptr) << "the song ended during the preview";
}

TEST_F(LockScreenControllerTest, ALargeCardOrLyricsCoverEveryScreenWithABackdrop)
{
    const QRect second(1920, 0, 1280, 1024);
    platform.screens.setScreens({screenAt(desktop), screenAt(second)});
    song(true);
    lock();
    EXPECT_TRUE(controller->backdrops().isEmpty());

    controller->state().setShowLyrics(true);
    settle();
    const QList<LockScreenPanel *> backdrops = controller->backdrops();
    ASSERT_EQ(backdrops.size(), 2);
    EXPECT_EQ(backdrops[0]->geometry(), desktop);
    EXPECT_EQ(backdrops[1]->geometry(), second);
    ASSERT_TRUE(dynamic_cast<LockBackdropView *>(backdrops[0]->root()));
    EXPECT_EQ(static_cast<LockBackdropView *>(backdrops[0]->root())->role(), LockBackdropView::Role::main);
    EXPECT_EQ(static_cast<LockBackdropView *>(backdrops[1]->root())->role(), LockBackdropView::Role::secondary);
    EXPECT_TRUE(backdrops[0]->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(movedToLockScreen(backdrops[1]));
    EXPECT_EQ(controller->playerPanel()->geometry(), playerFrame) << "the player stays on the first screen";
    EXPECT_TRUE(controller->isTrackingLoginUI());
    platform.scheduler.advance(LockScreenController::backdropFadeIn + 0.05);
    // Window opacity is kept in 8 bits.
    EXPECT_NEAR(backdrops[0]->windowOpacity(), 1, 1.0 / 255);

    // Lyrics to the large card: the backdrops stay.
    controller->state().setExpanded(true);
    controller->state().setShowLyrics(false);
    settle();
    EXPECT_EQ(controller->backdrops(), backdrops);

    controller->state().setExpanded(false);
    settle();
    EXPECT_TRUE(controller->backdrops().isEmpty());
    EXPECT_FALSE(controller->isTrackingLoginUI());
    EXPECT_TRUE(controller->state().loginItems().isEmpty());
    QPointer<LockScreenPanel> leaving = backdrops[0];
    platform.scheduler.advance(LockScreenController::backdropFadeOut / 2);
    ASSERT_TRUE(leaving);
    EXPECT_TRUE(leaving->isVisible());
    EXPECT_GT(leaving->windowOpacity(), 0);
    platform.scheduler.advance(LockScreenController::backdropFadeOut / 2 + 0.05);
    deleteClosed();
    EXPECT_FALSE(leaving);
}

TEST_F(LockScreenControllerTest, APreviewExpandsWithoutTrackingTheLoginWindow)
{
    song(true);
    controller->preview();
    controller->state().setExpanded(true);
    settle();
    EXPECT_EQ(controller->backdrops().size(), 1);
    EXPECT_FALSE(movedToLockScreen(controller->backdrops().first()));
    EXPECT_FALSE(controller->isTrackingLoginUI()) << "there is no login window while unlocked";
}

TEST_F(LockScreenControllerTest, WithoutAScreenNothingIsShown)
{
    platform.screens.setScreens({});
    song(true);
    lock();
    EXPECT_TRUE(controller->state().showsPlayer());
    EXPECT_EQ(controller->playerPanel(), nullptr);
    EXPECT_EQ(controller->state().playerBottomInset(), 0);
}

TEST_F(LockScreenControllerTest, TheMuteIndicatorFollowsTheLock)
{
    AudioDevice speakers = FakeAudioSystem::switchedDevice(QStringLiteral("speakers"));
    speakers.isMuted = true;
    platform.audio.changeDevice(AudioScope::Output, speakers);
    settle();
    EXPECT_FALSE(controller->muteIndicator().wantsIndicator());
    EXPECT_EQ(controller->muteIndicator().panel(), nullptr) << "nothing while unlocked";
    lock();
    EXPECT_TRUE(controller->muteIndicator().isLocked());
    EXPECT_NE(controller->muteIndicator().panel(), nullptr);
    unlock();
    EXPECT_FALSE(controller->muteIndicator().isLocked());
    EXPECT_EQ(controller->muteIndicator().panel(), nullptr);
}
