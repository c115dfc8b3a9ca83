#include "Audio/AudioMixer.h"
#include "Notch/NotchManager.h"
#include "Notch/NotchWindowController.h"
#include "NotchFixture.h"

#include <QPointer>

#include <gtest/gtest.h>

namespace {

const Screens::Screen builtIn = FakeScreens::notchedScreen(QStringLiteral("eDP-1"), QRect(0, 0, 1512, 982), 37, 200, 32);
const Screens::Screen external = FakeScreens::screen(QStringLiteral("HDMI-1"), QRect(1512, 0, 1920, 1080), 24);

QStringList identifiers(const QList<Screens::Screen> &screens)
{
    QStringList names;
    for (const Screens::Screen &screen : screens)
        names.append(screen.identifier);
    return names;
}

class NotchManagerTest : public ::testing::Test, public NotchFixture {
protected:
    NotchManagerTest() { platform.screens.setScreens({builtIn, external}); }

    QList<NotchWindowController *> controllers() const
    {
        QList<NotchWindowController *> list;
        for (const auto &controller : manager->controllers())
            list.append(controller.get());
        return list;
    }
    QList<bool> suppressed() const
    {
        QList<bool> flags;
        for (const auto &controller : manager->controllers())
            flags.append(controller->viewModel().isSuppressed());
        return flags;
    }

    std::unique_ptr<NotchManager> manager = std::make_unique<NotchManager>(*app);
};

} // namespace

TEST(NotchManagerSelectionTest, ScreensByDisplayModeAndSimulatedNotch)
{
    struct Case {
        const char *name;
        QList<Screens::Screen> screens;
        DisplayMode mode;
        bool simulatedNotch;
        QStringList expected;
    };
    const QList<Screens::Screen> both{builtIn, external};
    const QList<Screens::Screen> externalFirst{external, builtIn};
    const Screens::Screen second = FakeScreens::screen(QStringLiteral("DP-2"), QRect(3432, 0, 1920, 1080), 24);
    const Case cases[] = {
        {"all, simulated notches", both, DisplayMode::all, true, {"eDP-1", "HDMI-1"}},
        {"all, housings only", both, DisplayMode::all, false, {"eDP-1"}},
        {"notched", externalFirst, DisplayMode::notched, true, {"eDP-1"}},
        {"notched without a housing: the first screen", {external, second}, DisplayMode::notched, true, {"HDMI-1"}},
        {"notched without a housing or simulated notches", {external, second}, DisplayMode::notched, false, {}},
        {"main", externalFirst, DisplayMode::main, true, {"HDMI-1"}},
        {"main without a housing, no simulated notch", externalFirst, DisplayMode::main, false, {}},
        {"main with a housing, no simulated notch", both, DisplayMode::main, false, {"eDP-1"}},
        {"no screens", {}, DisplayMode::main, true, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(identifiers(NotchManager::selectedScreens(c.screens, c.mode, c.simulatedNotch)), c.expected);
    }
}

TEST_F(NotchManagerTest, OnePanelPerSelectedScreenRebuiltWhenScreensChange)
{
    ASSERT_EQ(manager->controllers().size(), 2u);
    EXPECT_EQ(manager->controllers()[0]->screen().identifier, QStringLiteral("eDP-1"));
    EXPECT_TRUE(manager->controllers()[0]->viewModel().metrics().hasHardwareNotch);
    EXPECT_FALSE(manager->controllers()[1]->viewModel().metrics().hasHardwareNotch);

    platform.screens.setScreens({external});
    ASSERT_EQ(manager->controllers().size(), 1u);
    EXPECT_EQ(manager->controllers()[0]->screen().identifier, QStringLiteral("HDMI-1"));
    platform.screens.setScreens({});
    EXPECT_TRUE(manager->controllers().empty());
}

TEST_F(NotchManagerTest, OnlyTheSettingsThatShapeAPanelReplaceThePanels)
{
    const auto before = controllers();
    preferences().openWidth.setValue(150);
    preferences().expandOnHover.setValue(false);
    preferences().hoverDelay.setValue(0.3);
    platform.scheduler.advance(0);
    EXPECT_EQ(controllers(), before);

    manager->controllers()[1]->viewModel().setOpen(true);
    preferences().idleActivity.setValue(IdleActivity::playing);
    preferences().hideFromScreenCapture.setValue(true);
    EXPECT_EQ(controllers(), before) << "the panels are replaced on the next turn";
    // A replaced controller is gone; its successor may reuse its address.
    const QPointer<NotchWindowController> first = before[0];
    const QPointer<NotchWindowController> second = before[1];
    platform.scheduler.advance(0);
    ASSERT_EQ(controllers().size(), 2u);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(manager->controllers()[1]->viewModel().isOpen());
}

TEST_F(NotchManagerTest, FullScreenSuppressesThePanelsOfItsScreens)
{
    platform.windowServer.fullscreen = QSet<QString>{QStringLiteral("HDMI-1")};
    platform.windowServer.activate();
    EXPECT_EQ(suppressed(), QList<bool>({false, true}));
    EXPECT_EQ(manager->controllers()[1]->viewModel().state(), NotchState::closed());

    platform.windowServer.fullscreen = QSet<QString>{QStringLiteral("Main")};
    platform.windowServer.activate();
    EXPECT_EQ(suppressed(), QList<bool>({true, true}));

    // No answer: the panels keep what they have.
    platform.windowServer.fullscreen = std::nullopt;
    platform.windowServer.activate();
    EXPECT_EQ(suppressed(), QList<bool>({true, true}));

    platform.windowServer.fullscreen = QSet<QString>();
    platform.windowServer.activate();
    EXPECT_EQ(suppressed(), QList<bool>({false, false}));
}

TEST_F(NotchManagerTest, AWindowEnteringOrLeavingFullScreenByItselfIsCheckedAtOnce)
{
    platform.windowServer.fullscreenQueries = 0;
    platform.windowServer.fullscreen = QSet<QString>{QStringLiteral("HDMI-1")};
    platform.windowServer.changeFullscreenState();
    EXPECT_EQ(suppressed(), QList<bool>({false, true}));

    platform.windowServer.fullscreen = QSet<QString>();
    platform.windowServer.changeFullscreenState();
    EXPECT_EQ(suppressed(), QList<bool>({false, false}));
    // The window has settled its own state: no second look later.
    platform.scheduler.advance(5);
    EXPECT_EQ(platform.windowServer.fullscreenQueries, 2);
}

TEST_F(NotchManagerTest, TurningFullScreenHidingOffLiftsTheSuppression)
{
    platform.windowServer.fullscreen = QSet<QString>{QStringLiteral("HDMI-1")};
    platform.windowServer.activate();
    ASSERT_EQ(suppressed(), QList<bool>({false, true}));

    preferences().hideInFullscreen.setValue(false);
    platform.scheduler.advance(0);
    EXPECT_EQ(suppressed(), QList<bool>({false, false}));
    platform.windowServer.activate();
    platform.scheduler.advance(1);
    EXPECT_EQ(suppressed(), QList<bool>({false, false}));
}

TEST_F(NotchManagerTest, EveryActivationChecksAtOnceAndOnceMoreAfterTheLastOne)
{
    platform.windowServer.fullscreenQueries = 0;
    for (int i = 0; i < 10; ++i) {
        platform.windowServer.activate();
        platform.scheduler.advance(0.05);
    }
    EXPECT_EQ(platform.windowServer.fullscreenQueries, 10);

    // The last activation was 0.05 s ago.
    platform.scheduler.advance(NotchManager::fullscreenRecheckDelay - 0.1);
    EXPECT_EQ(platform.windowServer.fullscreenQueries, 10);
    platform.scheduler.advance(0.05);
    EXPECT_EQ(platform.windowServer.fullscreenQueries, 11);
    platform.scheduler.advance(5);
    EXPECT_EQ(platform.windowServer.fullscreenQueries, 11);
}

TEST_F(NotchManagerTest, DebugMixerOpensPinnedOnEveryPanel)
{
    manager->debugOpenMixerFromMenu();
    for (const auto &controller : manager->controllers()) {
        EXPECT_TRUE(controller->viewModel().isMixerPinned());
        EXPECT_EQ(controller->viewModel().state(), NotchState::mixer());
    }
}

TEST_F(NotchManagerTest, MixersOpenOnTwoPanelsCountTwiceAndARebuildReleasesThem)
{
    AudioMixer &mixer = app->mixer;
    manager->debugOpenMixerFromMenu();
    EXPECT_EQ(mixer.visibleCount(), 2);
    manager->controllers()[0]->viewModel().closeMixer();
    EXPECT_EQ(mixer.visibleCount(), 1);
    EXPECT_TRUE(mixer.systemVolume().isObserving()) << "the other panel still shows the mixer";

    // The panels are replaced; the old ones close their mixers.
    platform.screens.setScreens({external});
    ASSERT_EQ(manager->controllers().size(), 1u);
    EXPECT_EQ(mixer.visibleCount(), 0);
    EXPECT_FALSE(mixer.systemVolume().isObserving());
    EXPECT_FALSE(mixer.timerInterval());
    manager->debugOpenMixerFromMenu();
    EXPECT_EQ(mixer.visibleCount(), 1);
    manager.reset();
    EXPECT_EQ(mixer.visibleCount(), 0);
}
