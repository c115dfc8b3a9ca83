#include "Notch/NotchSizes.h"
#include "Platform/Fake/FakeScreens.h"

#include <gtest/gtest.h>

namespace {

const QRect desktop(0, 0, 1920, 1080);

NotchMetrics simulatedNotch()
{
    return NotchMetrics(FakeScreens::screen(QStringLiteral("a"), desktop, 24), SimulatedStyle::notch);
}

NotchMetrics pill()
{
    return NotchMetrics(FakeScreens::screen(QStringLiteral("a"), desktop, 24), SimulatedStyle::pill);
}

NotchMetrics hardwareNotch()
{
    return NotchMetrics(FakeScreens::notchedScreen(QStringLiteral("a"), QRect(0, 0, 1512, 982), 37, 200, 32), SimulatedStyle::notch);
}

NotchSizes::Inputs twoApps()
{
    NotchSizes::Inputs inputs;
    inputs.mixerApplicationCount = 2;
    return inputs;
}

struct WorkedCase {
    const char *name;
    NotchMetrics (*metrics)();
    QSizeF closed, mediaCompact, peek, open, banner, mixer, window;
};

void PrintTo(const WorkedCase &row, std::ostream *out)
{
    *out << row.name;
}

class NotchSizesWorked : public testing::TestWithParam<WorkedCase> {};

// Open width 100, no countdown, no event progress, no usage card, two
// columns, two mixer applications.
TEST_P(NotchSizesWorked, SizeOfEveryState)
{
    const WorkedCase &row = GetParam();
    const NotchSizes sizes(row.metrics(), twoApps());
    EXPECT_EQ(sizes.shapeSize(NotchState::closed()), row.closed);
    EXPECT_EQ(sizes.shapeSize(NotchState::compact(CompactKind::media)), row.mediaCompact);
    EXPECT_EQ(sizes.shapeSize(NotchState::peek()), row.peek);
    EXPECT_EQ(sizes.shapeSize(NotchState::open()), row.open);
    EXPECT_EQ(sizes.shapeSize(NotchState::banner()), row.banner);
    EXPECT_EQ(sizes.shapeSize(NotchState::mixer()), row.mixer);
    EXPECT_EQ(sizes.windowSize(), row.window);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, NotchSizesWorked,
    testing::Values(WorkedCase{"SimulatedNotch", simulatedNotch, {190, 24}, {254, 24}, {280, 50}, {490, 174}, {380, 96}, {420, 135}, {929, 296}},
                    WorkedCase{"Pill", pill, {150, 20}, {214, 20}, {240, 46}, {490, 170}, {380, 92}, {420, 131}, {929, 295}},
                    WorkedCase{"HardwareNotch", hardwareNotch, {200, 32}, {276, 32}, {290, 58}, {490, 182}, {390, 104}, {420, 143},
                               {929, 304}}),
    [](const testing::TestParamInfo<WorkedCase> &info) { return std::string(info.param.name); });

TEST(NotchSizes, Radii)
{
    const NotchSizes notch(simulatedNotch(), {});
    EXPECT_DOUBLE_EQ(notch.radii(NotchState::closed()).bottom, 24 * 0.34);
    EXPECT_EQ(notch.radii(NotchState::closed()).top, 6);
    EXPECT_DOUBLE_EQ(notch.radii(NotchState::compact(CompactKind::timer)).bottom, 24 * 0.38);
    // The caps: 12 closed, 13 compact.
    const NotchSizes tall(NotchMetrics(FakeScreens::screen(QStringLiteral("a"), desktop, 38), SimulatedStyle::notch), {});
    EXPECT_EQ(tall.radii(NotchState::closed()).bottom, 12);
    EXPECT_EQ(tall.radii(NotchState::compact(CompactKind::media)).bottom, 13);

    const NotchSizes pillSizes(pill(), {});
    EXPECT_EQ(pillSizes.radii(NotchState::closed()), (NotchSizes::Radii{6, 10}));
    EXPECT_EQ(pillSizes.radii(NotchState::compact(CompactKind::alert)), (NotchSizes::Radii{6, 10}));

    for (const NotchSizes &sizes : {notch, pillSizes}) {
        EXPECT_EQ(sizes.radii(NotchState::banner()), (NotchSizes::Radii{12, 26}));
        EXPECT_EQ(sizes.radii(NotchState::mixer()), (NotchSizes::Radii{12, 22}));
        EXPECT_EQ(sizes.radii(NotchState::peek()), (NotchSizes::Radii{6, 16}));
        EXPECT_EQ(sizes.radii(NotchState::open()), (NotchSizes::Radii{14, 30}));
    }
}

TEST(NotchSizes, CompactSideWidths)
{
    NotchSizes::Inputs inputs;
    const NotchSizes sizes(simulatedNotch(), inputs);
    EXPECT_EQ(sizes.compactSideWidth(CompactKind::timer), 72);
    EXPECT_EQ(sizes.compactSideWidth(CompactKind::micMuted), 64);
    EXPECT_EQ(sizes.compactSideWidth(CompactKind::event), 96);
    EXPECT_EQ(sizes.compactSideWidth(CompactKind::reminder), 96);
    EXPECT_EQ(sizes.shapeSize(NotchState::compact(CompactKind::reminder)), QSizeF(190 + 192, 24));
    // No current alert.
    EXPECT_EQ(sizes.compactSideWidth(CompactKind::alert), 90);

    inputs.alertSideWidth = 124;
    EXPECT_EQ(NotchSizes(simulatedNotch(), inputs).shapeSize(NotchState::compact(CompactKind::alert)), QSizeF(190 + 248, 24));
}

TEST(NotchSizes, MediaMakesRoomForCountdownAndProgress)
{
    NotchSizes::Inputs countdown;
    countdown.showsMedia = true;
    countdown.showsEventCountdown = true;
    countdown.showsEventProgress = true;
    NotchSizes::Inputs progress = countdown;
    progress.showsEventCountdown = false;
    NotchSizes::Inputs countdownWithoutMedia = countdown;
    countdownWithoutMedia.showsMedia = false;

    for (NotchMetrics (*metrics)() : {simulatedNotch, hardwareNotch}) {
        EXPECT_EQ(NotchSizes(metrics(), countdown).compactSideWidth(CompactKind::media), 54);
        EXPECT_EQ(NotchSizes(metrics(), progress).compactSideWidth(CompactKind::media), 66);
    }
    EXPECT_EQ(NotchSizes(simulatedNotch(), countdownWithoutMedia).compactSideWidth(CompactKind::media), 32);
    // A housing tall enough that the artwork needs more than either.
    const NotchMetrics tall(FakeScreens::notchedScreen(QStringLiteral("a"), desktop, 64, 200, 64), SimulatedStyle::notch);
    EXPECT_EQ(NotchSizes(tall, countdown).compactSideWidth(CompactKind::media), 54 + 16);
    EXPECT_EQ(NotchSizes(tall, progress).compactSideWidth(CompactKind::media), 54 + 16);
    // The peek widens with the strip.
    EXPECT_EQ(NotchSizes(simulatedNotch(), progress).shapeSize(NotchState::peek()), QSizeF(190 + 132, 50));
}

TEST(NotchSizes, OneColumn)
{
    NotchSizes::Inputs inputs;
    inputs.opensCalendar = false;
    for (NotchMetrics (*metrics)() : {simulatedNotch, pill, hardwareNotch}) {
        const NotchSizes sizes(metrics(), inputs);
        const qreal h = metrics().notchSize.height();
        EXPECT_EQ(sizes.shapeSize(NotchState::open()), QSizeF(340, h + 150));
        EXPECT_EQ(sizes.shapeSize(NotchState::banner()).width(), 340);
    }
    EXPECT_EQ(NotchSizes(simulatedNotch(), inputs).windowSize().width(), 674);
}

TEST(NotchSizes, OpenWidth)
{
    NotchSizes::Inputs inputs;
    inputs.openWidth = 170;
    const NotchSizes sizes(simulatedNotch(), inputs);
    EXPECT_EQ(sizes.shapeSize(NotchState::open()).width(), 833);
    EXPECT_EQ(sizes.shapeSize(NotchState::banner()).width(), 646);
    // The panel is sized for the widest open width whatever the setting.
    EXPECT_EQ(sizes.windowSize(), QSizeF(929, 296));

    // Halves round away from zero: 1.15 × 490 = 563.5.
    inputs.openWidth = 115;
    EXPECT_EQ(NotchSizes(simulatedNotch(), inputs).shapeSize(NotchState::open()).width(), 564);
}

TEST(NotchSizes, UsageCard)
{
    NotchSizes::Inputs inputs;
    inputs.showsClaudeUsage = true;
    const NotchSizes sizes(simulatedNotch(), inputs);
    EXPECT_EQ(sizes.shapeSize(NotchState::open()), QSizeF(490, 234));
    EXPECT_EQ(sizes.windowSize(), QSizeF(929, 282));
}

TEST(NotchSizes, MixerHeightFollowsItsRows)
{
    NotchSizes::Inputs inputs;
    const struct {
        qsizetype applications;
        qreal height;
    } rows[] = {{0, 24 + 79}, {1, 24 + 79}, {3, 24 + 143}, {4, 24 + 175}, {9, 24 + 175}};
    for (const auto &row : rows) {
        inputs.mixerApplicationCount = row.applications;
        EXPECT_EQ(NotchSizes(simulatedNotch(), inputs).shapeSize(NotchState::mixer()), QSizeF(420, row.height)) << row.applications;
    }
    // The tallest mixer stays within the panel.
    EXPECT_LT(24 + 175, NotchSizes(simulatedNotch(), inputs).windowSize().height());
}

} // namespace
