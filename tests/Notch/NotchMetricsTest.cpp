#include "Notch/NotchMetrics.h"
#include "Platform/Fake/FakeScreens.h"

#include <gtest/gtest.h>

namespace {

struct MetricsCase {
    const char *name;
    Screens::Screen screen;
    SimulatedStyle style;
    QSizeF notchSize;
    bool hasHardwareNotch;
    bool isPill;
    qreal topInset;
};

const QRect desktop(0, 0, 1920, 1080);

void PrintTo(const MetricsCase &row, std::ostream *out)
{
    *out << row.name;
}

class NotchMetricsCases : public testing::TestWithParam<MetricsCase> {};

TEST_P(NotchMetricsCases, FollowScreenAndStyle)
{
    const MetricsCase &row = GetParam();
    const NotchMetrics metrics(row.screen, row.style);
    EXPECT_EQ(metrics.notchSize, row.notchSize);
    EXPECT_EQ(metrics.hasHardwareNotch, row.hasHardwareNotch);
    EXPECT_EQ(metrics.isPill, row.isPill);
    EXPECT_EQ(metrics.topInset, row.topInset);
}

Screens::Screen insetWithoutSideAreas()
{
    Screens::Screen screen = FakeScreens::screen(QStringLiteral("a"), desktop, 24);
    screen.safeAreaTopInset = 32;
    return screen;
}

Screens::Screen sideAreasCoveringTheEdge()
{
    Screens::Screen screen = FakeScreens::notchedScreen(QStringLiteral("a"), desktop, 24, 200, 32);
    screen.auxiliaryTopLeftArea = QRectF(0, 0, 1000, 32);
    screen.auxiliaryTopRightArea = QRectF(1000, 0, 920, 32);
    return screen;
}

INSTANTIATE_TEST_SUITE_P(
    Screens, NotchMetricsCases,
    testing::Values(
        MetricsCase{"NotchMenuBar24", FakeScreens::screen("a", desktop, 24), SimulatedStyle::notch, {190, 24}, false, false, 0},
        MetricsCase{"PillMenuBar24", FakeScreens::screen("a", desktop, 24), SimulatedStyle::pill, {150, 20}, false, true, 3},
        MetricsCase{"NotchNoMenuBar", FakeScreens::screen("a", desktop, 0), SimulatedStyle::notch, {190, 32}, false, false, 0},
        MetricsCase{"PillNoMenuBar", FakeScreens::screen("a", desktop, 0), SimulatedStyle::pill, {150, 24}, false, true, 3},
        MetricsCase{"NotchMenuBar20", FakeScreens::screen("a", desktop, 20), SimulatedStyle::notch, {190, 32}, false, false, 0},
        MetricsCase{"PillMenuBar20", FakeScreens::screen("a", desktop, 20), SimulatedStyle::pill, {150, 24}, false, true, 3},
        MetricsCase{"NotchMenuBar21", FakeScreens::screen("a", desktop, 21), SimulatedStyle::notch, {190, 21}, false, false, 0},
        MetricsCase{"PillMenuBar21", FakeScreens::screen("a", desktop, 21), SimulatedStyle::pill, {150, 20}, false, true, 3},
        MetricsCase{"NotchMenuBar44", FakeScreens::screen("a", desktop, 44), SimulatedStyle::notch, {190, 38}, false, false, 0},
        MetricsCase{"PillMenuBar44", FakeScreens::screen("a", desktop, 44), SimulatedStyle::pill, {150, 38}, false, true, 3},
        // The menu bar is measured from the screen's own top edge.
        MetricsCase{"ScreenBelowAndRightOfOrigin", FakeScreens::screen("b", QRect(1920, 200, 1280, 800), 30), SimulatedStyle::notch,
                    {190, 30}, false, false, 0},
        MetricsCase{"Hardware", FakeScreens::notchedScreen("a", QRect(0, 0, 1512, 982), 37, 200, 32), SimulatedStyle::notch,
                    {200, 32}, true, false, 0},
        MetricsCase{"HardwareIgnoresPillStyle", FakeScreens::notchedScreen("a", QRect(0, 0, 1512, 982), 37, 200, 32),
                    SimulatedStyle::pill, {200, 32}, true, false, 0},
        MetricsCase{"InsetWithoutSideAreasIsSimulated", insetWithoutSideAreas(), SimulatedStyle::pill, {150, 20}, false, true, 3},
        MetricsCase{"SideAreasLeavingNoRoomIsSimulated", sideAreasCoveringTheEdge(), SimulatedStyle::notch, {190, 24}, false, false,
                    0}),
    [](const testing::TestParamInfo<MetricsCase> &info) { return std::string(info.param.name); });

} // namespace
