#include "Notch/CompactNotchContent.h"
#include "Notch/EventProgressCompactContent.h"
#include "Notch/NotchRootView.h"
#include "Notch/PeekContent.h"
#include "Notch/ReminderCompactContent.h"
#include "Notch/NotchShapeLayers.h"
#include "Notch/NotchWindowController.h"
#include "Notch/OpenNotchContent.h"
#include "NotchFixture.h"

#include <gtest/gtest.h>

TEST(NotchRootViewTimingTest, LeaveHoldStartsOnlyWhenAnExpandedSilhouetteShrinksInHeight)
{
    struct Case {
        const char *name;
        NotchState from;
        qreal fromHeight, toHeight;
        bool isHolding;
        NotchRootView::LeaveChange expected;
    };
    using Change = NotchRootView::LeaveChange;
    const Case cases[] = {
        {"open to compact", NotchState::open(), 174, 24, false, Change::hold},
        {"peek to compact during a hold", NotchState::peek(), 50, 24, true, Change::hold},
        {"peek to open (growing)", NotchState::peek(), 50, 174, false, Change::none},
        {"banner to mixer of the same height", NotchState::banner(), 96, 96.4, false, Change::none},
        {"compact to closed", NotchState::compact(CompactKind::media), 24, 24, false, Change::none},
        {"growing during a hold", NotchState::compact(CompactKind::media), 24, 96, true, Change::release},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NotchRootView::leaveChange(c.from, c.fromHeight, c.toHeight, c.isHolding), c.expected);
    }
}

TEST(NotchRootViewTimingTest, BlurStartsOnGrowthAndClearsOnShrink)
{
    using Blur = NotchRootView::BlurChange;
    EXPECT_EQ(NotchRootView::blurChange(24, 174, 0), Blur::start);
    EXPECT_EQ(NotchRootView::blurChange(174, 24, 3), Blur::clear);
    EXPECT_EQ(NotchRootView::blurChange(174, 24, 0), Blur::none);
    EXPECT_EQ(NotchRootView::blurChange(24, 24.5, 3), Blur::none);

    EXPECT_DOUBLE_EQ(NotchRootView::contentBlur(0), 6);
    EXPECT_GT(NotchRootView::contentBlur(0.2), 0);
    EXPECT_LT(NotchRootView::contentBlur(0.2), 6);
    EXPECT_DOUBLE_EQ(NotchRootView::contentBlur(0.45), 0);
}

TEST(NotchRootViewTimingTest, LeavingEasesInFromWhereItIs)
{
    EXPECT_DOUBLE_EQ(NotchRootView::leaving(0, 0), 0);
    EXPECT_LT(NotchRootView::leaving(0, 0.06), 0.1) << "ease-in starts slowly";
    EXPECT_DOUBLE_EQ(NotchRootView::leaving(0, 0.24), 1);
    EXPECT_DOUBLE_EQ(NotchRootView::leaving(0.5, 0), 0.5);
    EXPECT_DOUBLE_EQ(NotchRootView::leaving(0.5, 0.3), 1);
}

TEST(NotchRootViewTimingTest, RevealsOfEachKindOfContent)
{
    const NotchState media = NotchState::compact(CompactKind::media);
    EXPECT_DOUBLE_EQ(NotchRootView::revealProgress(media, 0), 0);
    EXPECT_DOUBLE_EQ(NotchRootView::revealProgress(media, 0.28), 1);
    // Expanded content waits 0.08 s, then springs in (and may overshoot).
    EXPECT_DOUBLE_EQ(NotchRootView::revealProgress(NotchState::open(), 0.08), 0);
    EXPECT_GT(NotchRootView::revealProgress(NotchState::open(), 0.3), 0.5);
    EXPECT_NEAR(NotchRootView::revealProgress(NotchState::banner(), 0.08 + NotchRootView::springSettleDuration), 1, 1e-3);
    EXPECT_DOUBLE_EQ(NotchRootView::revealProgress(NotchState::mixer(), 0.08), 0);
    EXPECT_DOUBLE_EQ(NotchRootView::revealProgress(NotchState::mixer(), 0.38), 1);
    EXPECT_DOUBLE_EQ(NotchRootView::removalOpacity(0), 1);
    EXPECT_DOUBLE_EQ(NotchRootView::removalOpacity(0.15), 0);
}

TEST(NotchRootViewTimingTest, OutlineOnEveryStateButTheClosedHardwareNotch)
{
    EXPECT_FALSE(NotchRootView::outlineWanted(true, NotchState::closed(), true));
    EXPECT_TRUE(NotchRootView::outlineWanted(true, NotchState::closed(), false));
    EXPECT_TRUE(NotchRootView::outlineWanted(true, NotchState::open(), true));
    EXPECT_FALSE(NotchRootView::outlineWanted(false, NotchState::open(), false));
}

namespace {

// The root view of a real panel, driven through the view model's flags.
class NotchRootViewTest : public ::testing::Test, public NotchFixture {
protected:
    NotchRootViewTest()
    {
        controller = std::make_unique<NotchWindowController>(platform.screens.screens().first(), *app);
        const auto children = controller->viewModel().shapes->contentView()->childItems();
        view = static_cast<NotchRootView *>(children.first()->toGraphicsObject());
    }
    ~NotchRootViewTest() override { controller->close(); }

    NotchViewModel &model() { return controller->viewModel(); }
    void advance(double seconds) { platform.scheduler.advance(seconds); }

    std::unique_ptr<NotchWindowController> controller;
    NotchRootView *view = nullptr;
};

} // namespace

TEST_F(NotchRootViewTest, OpenPanelShrinkingToCompactHoldsItsContentForAQuarterSecond)
{
    playMedia(true);
    model().setOpen(true);
    advance(1);
    model().setOpen(false);
    EXPECT_EQ(view->displayedState(), NotchState::open());
    advance(0.12);
    EXPECT_GT(view->leavingProgress(), 0);
    EXPECT_LT(view->leavingProgress(), 1);
    advance(0.12);
    EXPECT_DOUBLE_EQ(view->leavingProgress(), 1);
    EXPECT_EQ(view->displayedState(), NotchState::open());
    advance(0.01);
    EXPECT_FALSE(view->leavingState());
    EXPECT_DOUBLE_EQ(view->leavingProgress(), 0);
    EXPECT_EQ(view->displayedState(), NotchState::compact(CompactKind::media));
}

TEST_F(NotchRootViewTest, AChainOfShrinksKeepsTheFirstContentUntilAfterTheLast)
{
    playMedia(true);
    model().setOpen(true);
    advance(1);
    app->bindableIsPeekingSong().setValue(true);
    model().setOpen(false);
    advance(0.2);
    app->bindableIsPeekingSong().setValue(false);
    EXPECT_EQ(view->displayedState(), NotchState::open());
    advance(0.2);
    EXPECT_EQ(view->displayedState(), NotchState::open()) << "the peek is never shown";
    advance(0.05);
    EXPECT_EQ(view->displayedState(), NotchState::compact(CompactKind::media));
}

TEST_F(NotchRootViewTest, AChangeThatIsNoShrinkEndsAHoldAtOnce)
{
    playMedia(true);
    model().setOpen(true);
    advance(1);
    model().setOpen(false);
    advance(0.1);
    showBanner();
    EXPECT_FALSE(view->leavingState());
    EXPECT_EQ(view->displayedState(), NotchState::banner());
}

TEST_F(NotchRootViewTest, GrowingBlursTheContentAndItSharpens)
{
    model().setOpen(true);
    EXPECT_DOUBLE_EQ(view->contentBlurRadius(), 6);
    advance(0.2);
    EXPECT_GT(view->contentBlurRadius(), 0);
    advance(0.3);
    EXPECT_DOUBLE_EQ(view->contentBlurRadius(), 0);

    model().setOpen(false);
    model().setOpen(true);
    model().setOpen(false);
    EXPECT_DOUBLE_EQ(view->contentBlurRadius(), 0) << "a shrink never keeps a blur";
}

TEST_F(NotchRootViewTest, CompactStripsCrossFade)
{
    playMedia(true);
    advance(1);
    ASSERT_EQ(view->contentCount(), 1);
    showAlert();
    EXPECT_EQ(view->contentCount(), 2) << "the media strip fades out under the alert strip";
    advance(NotchRootView::compactRemovalDuration + 0.02);
    EXPECT_EQ(view->contentCount(), 1);
    EXPECT_EQ(view->displayedState(), NotchState::compact(CompactKind::alert));
}

TEST_F(NotchRootViewTest, SuppressionFadesTheContentOutAndBack)
{
    controller->setSuppressed(true);
    advance(0.1);
    EXPECT_GT(view->suppressionOpacity(), 0);
    EXPECT_LT(view->suppressionOpacity(), 1);
    advance(0.15);
    EXPECT_DOUBLE_EQ(view->suppressionOpacity(), 0);
    controller->setSuppressed(false);
    advance(0.25);
    EXPECT_DOUBLE_EQ(view->suppressionOpacity(), 1);
}

TEST_F(NotchRootViewTest, TheSilhouetteFollowsTheState)
{
    NotchShapeLayers &shapes = *model().shapes;
    // Closed: 190 × 24 centred in the 929-wide panel.
    EXPECT_EQ(shapes.silhouette().boundingRect(), QRectF((929 - 190) / 2.0, 0, 190, 24));
    showBanner();
    advance(1);
    EXPECT_EQ(shapes.silhouette().boundingRect(), QRectF((929 - 380) / 2.0, 0, 380, 96));
    EXPECT_FALSE(shapes.isAnimating());
}

namespace {

// The content item of type Content the root view shows, if any.
template <typename Content>
Content *findContent(QGraphicsItem *root)
{
    for (QGraphicsItem *child : root->childItems()) {
        if (auto *content = dynamic_cast<Content *>(child))
            return content;
        if (auto *content = findContent<Content>(child))
            return content;
    }
    return nullptr;
}

} // namespace

TEST_F(NotchRootViewTest, CompactAndPeekStatesShowTheirContentsFramedToTheirSizes)
{
    const double panelWidth = model().shapes->contentView()->boundingRect().width();
    const auto expectFramed = [&](QGraphicsObject *content, NotchState state) {
        ASSERT_TRUE(content);
        const QSizeF size = model().shapeSize(state);
        EXPECT_EQ(content->boundingRect().size(), size);
        // Hung from the top centre of the panel.
        const QPointF origin = content->mapToItem(model().shapes->contentView(), QPointF());
        EXPECT_NEAR(origin.x(), (panelWidth - size.width()) / 2, 0.01);
        EXPECT_NEAR(origin.y(), 0, 0.01);
    };

    DayEvent meeting;
    meeting.title = QStringLiteral("Reunião");
    meeting.start = platform.scheduler.now().addSecs(300);
    meeting.end = meeting.start.addSecs(1800);
    app->calendar.bindableCountdownEvent().setValue(meeting);
    advance(1);
    ASSERT_EQ(view->displayedState(), NotchState::compact(CompactKind::reminder));
    expectFramed(findContent<ReminderCompactContent>(view), NotchState::compact(CompactKind::reminder));

    app->calendar.bindableCountdownEvent().setValue(std::nullopt);
    meeting.start = platform.scheduler.now().addSecs(-300);
    app->calendar.bindableOngoingEvent().setValue(meeting);
    advance(1);
    ASSERT_EQ(view->displayedState(), NotchState::compact(CompactKind::event));
    expectFramed(findContent<EventProgressCompactContent>(view), NotchState::compact(CompactKind::event));
    EXPECT_FALSE(findContent<ReminderCompactContent>(view)) << "the reminder strip has faded out";

    playMedia(true);
    advance(1);
    ASSERT_EQ(view->displayedState(), NotchState::compact(CompactKind::media));
    auto *strip = findContent<CompactNotchContent>(view);
    expectFramed(strip, NotchState::compact(CompactKind::media));
    EXPECT_EQ(strip->indicator(), CompactNotchContent::Indicator::eventProgress) << "the media strip makes room for the event";

    app->bindableIsPeekingSong().setValue(true);
    advance(1);
    ASSERT_EQ(view->displayedState(), NotchState::peek());
    expectFramed(findContent<PeekContent>(view), NotchState::peek());
}

TEST_F(NotchRootViewTest, AForcedPeekWithoutMediaShowsTheDemoSong)
{
    app->bindableDebugPeekSong().setValue(AppModel::PeekSong{QStringLiteral("Demonstração"), QStringLiteral("Quib")});
    app->bindableIsPeekForced().setValue(true);
    app->bindableIsPeekingSong().setValue(true);
    advance(1);
    auto *peek = findContent<PeekContent>(view);
    ASSERT_TRUE(peek);
    EXPECT_EQ(peek->song(), (PeekContent::Song{QStringLiteral("Demonstração"), QStringLiteral("Quib")}));
}

TEST_F(NotchRootViewTest, TheOpenStateShowsTheOpenPanelFramedToItsSize)
{
    model().setOpen(true);
    ASSERT_EQ(model().state(), NotchState::open());
    advance(1);
    auto *content = findContent<OpenNotchContent>(view);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->size(), model().shapeSize(NotchState::open()));
    EXPECT_TRUE(content->player());
    EXPECT_TRUE(content->calendar());
    // Hung from the top centre of the panel's content area.
    const QRectF area = model().shapes->contentView()->boundingRect();
    const QRectF placed = content->mapRectToItem(model().shapes->contentView(), content->boundingRect());
    EXPECT_NEAR(placed.center().x(), area.center().x(), 0.5);
    EXPECT_NEAR(placed.top(), model().metrics().topInset, 0.5);
}
