#include "Notch/NotchViewModel.h"
#include "NotchFixture.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

// The inputs of the notch state, all off (the settings at their defaults).
struct Inputs {
    bool suppressed = false;
    bool open = false;
    bool previewing = false;
    IdleActivity idleActivity = IdleActivity::duo;
    bool mixer = false;
    bool banner = false;
    bool alert = false;
    bool peeking = false;
    bool peekForced = false;
    bool media = false;
    bool hideWhenSourceActive = false;
    bool sourceFrontmost = false;
    bool countdown = false;
    bool announcing = false;
    bool micMuted = false;
    bool showMicMutedIcon = true;
    bool soundMuted = false;
    bool ongoing = false;
    bool timer = false;
    bool timerInNotch = true;
};

struct Row {
    const char *name;
    Inputs inputs;
    NotchState expected;
};

NotchMetrics metricsOf(NotchFixture &fixture)
{
    return NotchMetrics(fixture.platform.screens.screens().first(), SimulatedStyle::notch);
}

void apply(NotchFixture &fixture, NotchViewModel &model, const Inputs &in)
{
    AppModel &app = *fixture.app;
    Preferences &settings = app.preferences;
    settings.idleActivity.setValue(in.idleActivity);
    settings.hideWhenSourceActive.setValue(in.hideWhenSourceActive);
    settings.showMicMutedIcon.setValue(in.showMicMutedIcon);
    settings.timerInNotch.setValue(in.timerInNotch);
    model.setSuppressed(in.suppressed);
    model.setOpen(in.open);
    model.setMixerOpen(in.mixer);
    app.bindableIsPreviewingOpen().setValue(in.previewing);
    app.bindableIsPeekingSong().setValue(in.peeking);
    app.bindableIsPeekForced().setValue(in.peekForced);
    if (in.banner)
        fixture.showBanner();
    if (in.alert)
        fixture.showAlert();
    if (in.media)
        fixture.playMedia(true, in.sourceFrontmost);
    DayEvent meeting;
    meeting.title = QStringLiteral("Reunião");
    app.calendar.bindableCountdownEvent().setValue(in.countdown ? std::optional(meeting) : std::nullopt);
    app.calendar.bindableIsAnnouncing().setValue(in.announcing);
    app.calendar.bindableOngoingEvent().setValue(in.ongoing ? std::optional(meeting) : std::nullopt);
    app.micMute.setMuted(in.micMuted);
    fixture.muteOutput(in.soundMuted);
    if (in.timer)
        app.timers.start(5);
}

class NotchViewModelTest : public ::testing::Test, public NotchFixture {
protected:
    NotchViewModel model{metricsOf(*this), *app};
};

} // namespace

TEST(NotchViewModelPriorityTest, TheFirstRuleThatHoldsGivesTheState)
{
    const Row rows[] = {
        {"nothing active", {}, NotchState::closed()},
        {"suppressed while a banner is current", {.suppressed = true, .banner = true}, NotchState::closed()},
        {"opened", {.open = true}, NotchState::open()},
        {"previewed", {.previewing = true}, NotchState::open()},
        {"opened with nothing to open, a song playing", {.open = true, .idleActivity = IdleActivity::none, .media = true}, NotchState::compact(CompactKind::media)},
        {"opened with only the calendar column", {.open = true, .idleActivity = IdleActivity::calendar}, NotchState::open()},
        {"mixer open while a banner arrives", {.mixer = true, .banner = true}, NotchState::mixer()},
        {"open beats the mixer", {.open = true, .mixer = true}, NotchState::open()},
        {"banner beats an alert strip", {.banner = true, .alert = true}, NotchState::banner()},
        {"alert strip beats the peek", {.alert = true, .peeking = true, .media = true}, NotchState::compact(CompactKind::alert)},
        {"song change during a countdown with media", {.peeking = true, .media = true, .countdown = true}, NotchState::peek()},
        {"peek without media", {.peeking = true}, NotchState::closed()},
        {"forced peek without media", {.peeking = true, .peekForced = true}, NotchState::peek()},
        {"countdown beside media", {.media = true, .countdown = true}, NotchState::compact(CompactKind::media)},
        {"countdown announced with media", {.media = true, .countdown = true, .announcing = true}, NotchState::compact(CompactKind::reminder)},
        {"countdown without media", {.countdown = true}, NotchState::compact(CompactKind::reminder)},
        {"countdown beats the mute indicator and a timer", {.countdown = true, .micMuted = true, .timer = true}, NotchState::compact(CompactKind::reminder)},
        {"microphone muted, no media", {.micMuted = true}, NotchState::compact(CompactKind::micMuted)},
        {"microphone muted with media", {.media = true, .micMuted = true}, NotchState::compact(CompactKind::media)},
        {"microphone muted, icon off", {.micMuted = true, .showMicMutedIcon = false}, NotchState::closed()},
        {"sound muted, no media", {.soundMuted = true}, NotchState::compact(CompactKind::micMuted)},
        {"mute indicator beats the event progress", {.micMuted = true, .ongoing = true}, NotchState::compact(CompactKind::micMuted)},
        {"ongoing event, no media", {.ongoing = true}, NotchState::compact(CompactKind::event)},
        {"ongoing event with media", {.media = true, .ongoing = true}, NotchState::compact(CompactKind::media)},
        {"event progress beats a timer", {.ongoing = true, .timer = true}, NotchState::compact(CompactKind::event)},
        {"timer in the notch with media", {.media = true, .timer = true}, NotchState::compact(CompactKind::timer)},
        {"timer kept out of the notch", {.media = true, .timer = true, .timerInNotch = false}, NotchState::compact(CompactKind::media)},
        {"player in front hides media and its peek", {.peeking = true, .media = true, .hideWhenSourceActive = true, .sourceFrontmost = true}, NotchState::closed()},
        {"player in front with a countdown", {.media = true, .hideWhenSourceActive = true, .sourceFrontmost = true, .countdown = true}, NotchState::compact(CompactKind::reminder)},
        {"player in front, setting off", {.media = true, .sourceFrontmost = true}, NotchState::compact(CompactKind::media)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        NotchFixture fixture;
        NotchViewModel model(metricsOf(fixture), *fixture.app);
        apply(fixture, model, row.inputs);
        EXPECT_EQ(model.state(), row.expected);
    }
}

TEST_F(NotchViewModelTest, TheStateFollowsItsInputsAsTheyChange)
{
    QList<NotchState> seen;
    const QPropertyNotifier notifier = model.bindableState().addNotifier([&] { seen.append(model.state()); });

    showBanner(QStringLiteral("Build"), 3);
    showAlert();
    platform.scheduler.advance(2.5);
    platform.scheduler.advance(1);

    // The banner hides the alert strip, which ends unseen while the banner
    // shows; then the notch closes.
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], NotchState::banner());
    EXPECT_EQ(seen[1], NotchState::closed());
}

TEST_F(NotchViewModelTest, UsageCardNeedsBothColumnsTheCalendarAndData)
{
    EXPECT_FALSE(model.showsClaudeUsage());
    app->claudeUsage.bindableSevenDay().setValue(ClaudeUsageWindow{42, std::nullopt});
    EXPECT_TRUE(model.showsClaudeUsage());
    preferences().sideColumn.setValue(SideColumn::calendar);
    EXPECT_FALSE(model.showsClaudeUsage());
    preferences().sideColumn.setValue(SideColumn::both);
    preferences().idleActivity.setValue(IdleActivity::playing);
    EXPECT_FALSE(model.showsClaudeUsage());
    preferences().idleActivity.setValue(IdleActivity::duo);
    app->claudeUsage.bindableSevenDay().setValue(std::nullopt);
    EXPECT_FALSE(model.showsClaudeUsage());
}

TEST_F(NotchViewModelTest, SizesFollowTheCurrentAlertAndTheSettings)
{
    // Simulated notch of 190 × 24 under the 24-point top panel.
    EXPECT_EQ(model.shapeSize(NotchState::compact(CompactKind::alert)), QSizeF(190 + 2 * 90, 24));
    showAlert(AlertKind::volume, 124);
    EXPECT_EQ(model.shapeSize(NotchState::compact(CompactKind::alert)), QSizeF(190 + 2 * 124, 24));
    preferences().openWidth.setValue(170);
    EXPECT_EQ(model.shapeSize(NotchState::open()).width(), 833);
    EXPECT_EQ(model.windowSize(), QSizeF(929, 296));
}
