#include "Alerts/BannerViews.h"
#include "Audio/AudioMixer.h"
#include "Notch/MicMutedCompactContent.h"
#include "Notch/MixerContent.h"
#include "Notch/NotchPanel.h"
#include "Notch/NotchWindowController.h"
#include "NotchFixture.h"

#include <QGraphicsScene>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The simulated notch of the fixture's screen: 190 × 24, centred at 960.
const QPoint onNotch(960, 10);
const QPoint besideNotch(700, 10);
const QPoint farAway(960, 700);
// Inside the panel's band (296 high), below every silhouette but the open
// panel's: the pointer is still read often.
const QPoint belowNotch(960, 280);

class NotchWindowControllerTest : public ::testing::Test, public NotchFixture {
protected:
    NotchWindowControllerTest()
    {
        platform.pointer.at = farAway;
        controller = std::make_unique<NotchWindowController>(platform.screens.screens().first(), *app);
        // Near the panel the pointer is read at once.
        moveTo(besideNotch);
        platform.scheduler.advance(NotchWindowController::farPollInterval);
    }
    ~NotchWindowControllerTest() override { controller->close(); }

    // Moves the pointer and lets the next reading (near the panel) happen.
    void moveTo(const QPoint &position)
    {
        platform.pointer.at = position;
        platform.scheduler.advance(NotchWindowController::nearPollInterval);
    }
    void advance(double seconds) { platform.scheduler.advance(seconds); }
    NotchViewModel &model() { return controller->viewModel(); }
    void click(Qt::MouseButton button)
    {
        QWidget *viewport = controller->panel().viewport();
        QTest::mouseClick(viewport, button, {}, viewport->mapFromGlobal(onNotch));
    }

    // The content of that type on the panel, if any.
    template <typename Content>
    Content *findContent() const
    {
        for (QGraphicsItem *item : controller->panel().scene()->items()) {
            if (auto *content = qobject_cast<Content *>(item->toGraphicsObject()))
                return content;
        }
        return nullptr;
    }
    // A playing application at process `pid`.
    void play(qint64 pid, const QString &id)
    {
        platform.workspace.addApplication(pid, 1, id);
        AudioStream stream;
        stream.index = quint32(pid);
        stream.processIdentifier = pid;
        stream.volume = {1, 1};
        QList<AudioStream> streams = platform.audio.streamList;
        streams.append(stream);
        platform.audio.changeStreams(streams);
    }

    std::unique_ptr<NotchWindowController> controller;
};

} // namespace

TEST_F(NotchWindowControllerTest, PanelHangsCentredFromTheTopOfItsScreen)
{
    // The panel of a simulated notch under a 24-point top panel: 929 × 296.
    EXPECT_EQ(controller->panel().geometry(), QRect(496, 0, 929, 296));
    EXPECT_TRUE(controller->panel().ignoresMouseEvents());
}

TEST_F(NotchWindowControllerTest, WithoutDelayHoveringOpensAtTheFirstReading)
{
    preferences().hoverDelay.setValue(0);
    moveTo(onNotch);
    EXPECT_TRUE(controller->isHovering());
    EXPECT_FALSE(controller->panel().ignoresMouseEvents());
    EXPECT_TRUE(model().isOpen());
    EXPECT_EQ(model().state(), NotchState::open());
}

TEST_F(NotchWindowControllerTest, PassingOverTheNotchFasterThanTheDelayOpensNothing)
{
    moveTo(onNotch);
    advance(0.05);
    moveTo(besideNotch);
    advance(1);
    EXPECT_FALSE(model().isOpen());
    EXPECT_TRUE(controller->panel().ignoresMouseEvents());
}

TEST_F(NotchWindowControllerTest, LeavingAndComingBackWithinTheCloseDelayKeepsThePanelOpen)
{
    moveTo(onNotch);
    advance(0.2);
    ASSERT_TRUE(model().isOpen());

    // The open panel is larger: its lower part counts as the silhouette.
    moveTo(QPoint(960, 150));
    EXPECT_TRUE(controller->isHovering());
    moveTo(QPoint(960, 400));
    advance(0.1);
    moveTo(onNotch);
    advance(1);
    EXPECT_TRUE(model().isOpen());

    moveTo(farAway);
    advance(NotchWindowController::closeDelay);
    EXPECT_FALSE(model().isOpen());
}

TEST_F(NotchWindowControllerTest, WithoutOpeningOnHoverAClickOpens)
{
    preferences().expandOnHover.setValue(false);
    moveTo(onNotch);
    advance(1);
    EXPECT_FALSE(model().isOpen());
    EXPECT_TRUE(controller->isHovering());

    click(Qt::LeftButton);
    EXPECT_TRUE(model().isOpen());
    click(Qt::LeftButton);
    EXPECT_TRUE(model().isOpen());
}

TEST_F(NotchWindowControllerTest, NothingToOpenOpensNothingButThePinnedMixerStillOpensOnHover)
{
    preferences().idleActivity.setValue(IdleActivity::none);
    moveTo(onNotch);
    advance(1);
    EXPECT_FALSE(model().isOpen());
    preferences().expandOnHover.setValue(false);
    click(Qt::LeftButton);
    EXPECT_FALSE(model().isOpen());

    preferences().expandOnHover.setValue(true);
    controller->openMixer();
    moveTo(belowNotch);
    advance(NotchWindowController::mixerCloseDelay);
    ASSERT_FALSE(model().isMixerOpen());
    EXPECT_TRUE(model().isMixerPinned());
    moveTo(onNotch);
    advance(0.1);
    EXPECT_TRUE(model().isMixerOpen());
    EXPECT_EQ(model().state(), NotchState::mixer());
}

TEST_F(NotchWindowControllerTest, MixerFromTheMenuReplacesTheOpenPanelUntilItsButtonUnpinsIt)
{
    moveTo(onNotch);
    advance(0.2);
    ASSERT_TRUE(model().isOpen());
    controller->openMixer();
    EXPECT_FALSE(model().isOpen());
    EXPECT_TRUE(model().isMixerPinned());
    EXPECT_EQ(model().state(), NotchState::mixer());

    ASSERT_TRUE(model().closeMixer);
    model().closeMixer();
    EXPECT_FALSE(model().isMixerPinned());
    EXPECT_FALSE(model().isMixerOpen());
    moveTo(belowNotch);
    advance(1);
    moveTo(onNotch);
    advance(0.2);
    EXPECT_EQ(model().state(), NotchState::open());
}

TEST_F(NotchWindowControllerTest, VolumeAlertOpensTheMixerAtOnceAndLeavingClosesIt)
{
    showAlert(AlertKind::volume);
    moveTo(onNotch);
    EXPECT_TRUE(model().isMixerOpen());

    moveTo(farAway);
    advance(NotchWindowController::mixerCloseDelay - 0.05);
    EXPECT_TRUE(model().isMixerOpen());
    advance(0.05);
    EXPECT_FALSE(model().isMixerOpen());
}

TEST_F(NotchWindowControllerTest, OtherAlertsOrTheMixerSettingOffOpenThePanelInstead)
{
    preferences().appMixer.setValue(false);
    showAlert(AlertKind::volume);
    moveTo(onNotch);
    EXPECT_FALSE(model().isMixerOpen());
    advance(0.1);
    EXPECT_EQ(model().state(), NotchState::open());
}

TEST_F(NotchWindowControllerTest, HoveredBannerStaysAndHidesTwoSecondsAfterThePointerLeft)
{
    showBanner(QStringLiteral("Build"), 2);
    moveTo(QPoint(960, 80));
    advance(5);
    EXPECT_TRUE(app->banners.current());
    EXPECT_FALSE(model().isOpen());

    moveTo(farAway);
    advance(1.9);
    EXPECT_TRUE(app->banners.current());
    advance(0.2);
    EXPECT_FALSE(app->banners.current());
}

TEST_F(NotchWindowControllerTest, SuppressionOrClosingEndsTheBannersHover)
{
    for (const bool suppress : {true, false}) {
        SCOPED_TRACE(suppress ? "suppressed" : "closed");
        showBanner(QStringLiteral("Build"), 2);
        moveTo(QPoint(960, 80));
        ASSERT_TRUE(app->banners.isHovering());
        if (suppress)
            controller->setSuppressed(true);
        else
            controller->close();
        EXPECT_FALSE(app->banners.isHovering());
        advance(2.1);
        EXPECT_FALSE(app->banners.current());
        // A fresh panel for the next round.
        controller = std::make_unique<NotchWindowController>(platform.screens.screens().first(), *app);
        moveTo(besideNotch);
        advance(NotchWindowController::farPollInterval);
    }
}

TEST_F(NotchWindowControllerTest, SuppressionClosesThePanelAndTheMixerButKeepsItPinned)
{
    controller->openMixer();
    moveTo(onNotch);
    controller->setSuppressed(true);
    EXPECT_EQ(model().state(), NotchState::closed());
    EXPECT_FALSE(model().isMixerOpen());
    EXPECT_TRUE(model().isMixerPinned());
    EXPECT_FALSE(controller->isHovering());
    EXPECT_TRUE(controller->panel().ignoresMouseEvents());

    // While suppressed the pointer opens nothing.
    moveTo(farAway);
    moveTo(onNotch);
    advance(1);
    EXPECT_FALSE(controller->isHovering());
    EXPECT_EQ(model().state(), NotchState::closed());
}

TEST_F(NotchWindowControllerTest, RightClickShowsTheMenuOnlyWhileHovering)
{
    QMenu menu;
    int asked = 0;
    NotchWindowController::contextMenu = [&] {
        ++asked;
        return &menu;
    };
    preferences().expandOnHover.setValue(false);
    click(Qt::RightButton);
    EXPECT_EQ(asked, 0);

    moveTo(onNotch);
    click(Qt::RightButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(NotchWindowController::menuOwner, controller.get());
    menu.hide();
    NotchWindowController::contextMenu = nullptr;
}

TEST_F(NotchWindowControllerTest, PointerIsReadRarelyWhenFarAndOftenNearThePanel)
{
    moveTo(farAway);
    advance(NotchWindowController::farPollInterval);
    platform.pointer.reads = 0;
    advance(10);
    EXPECT_LE(platform.pointer.reads, 10 / NotchWindowController::farPollInterval + 1);

    moveTo(besideNotch);
    advance(NotchWindowController::farPollInterval);
    platform.pointer.reads = 0;
    advance(1);
    EXPECT_GE(platform.pointer.reads, 0.9 / NotchWindowController::nearPollInterval);
}

// A pointer that reports its motion is read only when it moves, at most at
// the rate of where it is: a still pointer costs no reading and no timer.
class NotchWindowControllerMotionTest : public ::testing::Test, public NotchFixture {
protected:
    NotchWindowControllerMotionTest()
    {
        platform.pointer.reportsMotion = true;
        platform.pointer.at = farAway;
        controller = std::make_unique<NotchWindowController>(platform.screens.screens().first(), *app);
    }
    ~NotchWindowControllerMotionTest() override { controller->close(); }

    std::unique_ptr<NotchWindowController> controller;
};

TEST_F(NotchWindowControllerMotionTest, AStillPointerIsNotReadAndMovesAreReadAtMostAtTheirRate)
{
    // Read once at the start, then nothing while it stays put.
    EXPECT_EQ(platform.pointer.reads, 1);
    platform.scheduler.advance(5);
    EXPECT_EQ(platform.pointer.reads, 1);
    EXPECT_EQ(platform.scheduler.pendingCount(), 0);

    // Far away: the first move is read at once, a burst within the rare
    // rate's interval once more at its end, and then nothing.
    platform.pointer.move(farAway + QPoint(1, 0));
    EXPECT_EQ(platform.pointer.reads, 2);
    for (int step = 2; step < 10; ++step)
        platform.pointer.move(farAway + QPoint(step, 0));
    EXPECT_EQ(platform.pointer.reads, 2);
    platform.scheduler.advance(NotchWindowController::farPollInterval);
    EXPECT_EQ(platform.pointer.reads, 3);
    platform.scheduler.advance(5);
    EXPECT_EQ(platform.pointer.reads, 3);

    // Onto the notch: the move is read, and hovering opens the panel as it
    // does with a polled pointer.
    platform.pointer.move(onNotch);
    EXPECT_EQ(platform.pointer.reads, 4);
    EXPECT_TRUE(controller->isHovering());
    platform.scheduler.advance(1);
    EXPECT_EQ(controller->viewModel().state(), NotchState::open());
}

TEST_F(NotchWindowControllerMotionTest, NearThePanelMovesAreReadAtTheFrequentRate)
{
    platform.pointer.move(besideNotch);
    const int before = platform.pointer.reads;
    // Sixty moves a second for a second, each one frame apart.
    for (int frame = 0; frame < 60; ++frame) {
        platform.pointer.move(besideNotch + QPoint(frame % 2, 0));
        platform.scheduler.advance(NotchWindowController::nearPollInterval);
    }
    EXPECT_GE(platform.pointer.reads - before, 55);
    EXPECT_LE(platform.pointer.reads - before, 61);
}

TEST_F(NotchWindowControllerTest, AnOpenMixerIsCountedFollowsTheVolumeAndKeepsItsListFresh)
{
    using namespace std::chrono_literals;
    AudioMixer &mixer = app->mixer;
    play(501, QStringLiteral("org.example.Music"));
    EXPECT_TRUE(mixer.apps().isEmpty()) << "nobody looks while no mixer is shown";

    for (const char *round : {"first opening", "second opening"}) {
        SCOPED_TRACE(round);
        controller->openMixer();
        EXPECT_EQ(mixer.visibleCount(), 1);
        EXPECT_TRUE(mixer.systemVolume().isObserving());
        EXPECT_FLOAT_EQ(mixer.systemVolume().volume(), 1) << "the speakers' volume, read on opening";
        EXPECT_EQ(mixer.apps().size(), 1) << "refreshed on opening";
        EXPECT_EQ(mixer.timerInterval(), 1000ms);
        ASSERT_TRUE(findContent<MixerContent>());
        EXPECT_EQ(findContent<MixerContent>()->applicationRows().size(), 1);

        // Closed with its button: nothing is counted, observed or timed.
        model().closeMixer();
        EXPECT_EQ(mixer.visibleCount(), 0);
        EXPECT_FALSE(mixer.systemVolume().isObserving());
        EXPECT_FALSE(mixer.timerInterval());
        controller->setMixerOpen(false);
        EXPECT_EQ(mixer.visibleCount(), 0) << "closing a closed mixer counts nothing";
    }

    // While open, the timer finds applications that start playing, and the
    // mixer grows a row for each.
    controller->setMixerOpen(true);
    const double oneRow = model().shapeSize(NotchState::mixer()).height();
    play(502, QStringLiteral("org.example.Browser"));
    advance(1);
    EXPECT_EQ(mixer.apps().size(), 2);
    EXPECT_EQ(model().shapeSize(NotchState::mixer()).height(), oneRow + 32);

    // A count that someone else took down never goes below 0.
    mixer.setVisibleCount(0);
    controller->setMixerOpen(false);
    EXPECT_EQ(mixer.visibleCount(), 0);
}

TEST_F(NotchWindowControllerTest, ClosingThePanelReleasesItsMixer)
{
    controller->openMixer();
    ASSERT_EQ(app->mixer.visibleCount(), 1);
    controller->close();
    EXPECT_EQ(app->mixer.visibleCount(), 0);
    EXPECT_FALSE(app->mixer.systemVolume().isObserving());
}

TEST_F(NotchWindowControllerTest, TheMuteStripShowsItsContent)
{
    EXPECT_FALSE(findContent<MicMutedCompactContent>());
    app->micMute.setMuted(true);
    ASSERT_EQ(model().state(), NotchState::compact(CompactKind::micMuted));
    auto *strip = findContent<MicMutedCompactContent>();
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->size(), model().shapeSize(NotchState::compact(CompactKind::micMuted)));
}

TEST_F(NotchWindowControllerTest, TheMixersCloseButtonOnThePanelUnpinsAndClosesIt)
{
    controller->openMixer();
    moveTo(onNotch);
    advance(1);
    auto *content = findContent<MixerContent>();
    ASSERT_TRUE(content);
    CloseButton *button = content->closeButton();
    ASSERT_TRUE(button->isVisible());
    const QPoint centre = controller->panel().mapFromScene(button->mapToScene(button->boundingRect().center()));
    QTest::mouseClick(controller->panel().viewport(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(model().isMixerPinned());
    EXPECT_FALSE(model().isMixerOpen());
    EXPECT_EQ(app->mixer.visibleCount(), 0);
    // The mixer's content shrinks away with the silhouette.
    advance(1);
    EXPECT_FALSE(findContent<MixerContent>());
}
