#include "Settings/SettingsControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

TEST(AccentSlider, TickDots)
{
    struct Case {
        double lower, upper, step;
        int dots;
    };
    const Case cases[] = {
        {100, 170, 5, 15},
        {0, 60, 5, 13},
        {-150, 150, 10, 31},
        {0, 0.6, 0.05, 13}, // 12.000000000000002 steps
        {0, 31, 1, 11},     // 32 positions: more than 31 dots
        {0, 100, 1, 11},
        {0, 1, 0, 11},      // continuous
        {0, 1, -1, 11},
        {5, 5, 1, 0},       // span 0: one position, no dot
        {0, 0.2, 1, 0},     // less than half a step rounds to one position
        {0, 1, 1, 2},
        {0, 1e308, 1e-308, 11}, // span / step overflows
        {0, 1, notANumber, 11},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lower << "..." << c.upper << " step " << c.step);
        EXPECT_EQ(AccentSlider::tickCount(c.lower, c.upper, c.step), c.dots);
    }
}

TEST(AccentSlider, DotsMarkTheKnobCentresOfBothEnds)
{
    const double width = 216, knob = 16;
    EXPECT_DOUBLE_EQ(AccentSlider::tickLeft(0, 15, width, knob), knob / 2 - 1);
    EXPECT_DOUBLE_EQ(AccentSlider::tickLeft(14, 15, width, knob), width - knob / 2 - 1);
    EXPECT_DOUBLE_EQ(AccentSlider::tickLeft(7, 15, width, knob), width / 2 - 1);
}

TEST(AccentSlider, KnobFraction)
{
    struct Case {
        double value, lower, upper, fraction;
    };
    const Case cases[] = {
        {135, 100, 170, 0.5},
        {100, 100, 170, 0},
        {170, 100, 170, 1},
        {50, 100, 170, 0},   // below the range: the leading end
        {400, 100, 170, 1},  // above: the trailing end
        {5, 5, 5, 0},        // span 0: the leading end
        {9, 5, 5, 0},
        // A stored value that is not a number stands at the low end.
        {notANumber, 100, 170, 0},
        {infinity, 100, 170, 0},
        {-infinity, 100, 170, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " on " << c.lower << "..." << c.upper);
        EXPECT_DOUBLE_EQ(AccentSlider::fraction(c.value, c.lower, c.upper), c.fraction);
    }
}

TEST(AccentSlider, PointerToValue)
{
    // A 466-point slider with a 16-point knob: 450 points of travel, the
    // knob centre at 8 + fraction × 450.
    const double width = 466, knob = 16;
    struct Case {
        const char *what;
        double x, lower, upper, step, value;
    };
    const Case cases[] = {
        {"a position worth 1.25 rounds the half away from zero", 8 + 450.0 / 6, 0.5, 5, 0.5, 1.5},
        {"a position worth 1.2 snaps down", 8 + 450 * 0.7 / 4.5, 0.5, 5, 0.5, 1.0},
        {"the grid counts from zero, not from the lower bound", 8 + 450 * 4.4 / 9, 1, 10, 3, 6},
        {"left of the track: exactly the lower bound", -40, 100, 170, 5, 100},
        {"right of the track: exactly the upper bound", width + 40, 100, 170, 5, 170},
        {"a step past the upper bound is clamped back", width, 0, 0.9, 0.5, 0.9},
        {"a step before the lower bound is clamped back", 8, 0.2, 1, 0.5, 0.2},
        {"continuous", 8 + 450 * 0.25, 0, 2, 0, 0.5},
        {"negative range", 8 + 450 * 0.5, -150, 150, 10, 0},
        {"span 0", 200, 3, 3, 1, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DOUBLE_EQ(AccentSlider::valueAt(c.x, width, knob, c.lower, c.upper, c.step), c.value);
    }
}

TEST(AccentSlider, ASliderNoWiderThanItsKnobTakesTheOffsetAsTheFraction)
{
    // Travel of one point or less is not divided by: the pointer's offset
    // from the knob centre is the fraction itself.
    EXPECT_DOUBLE_EQ(AccentSlider::valueAt(8.25, 17, 16, 0, 10, 0), 2.5);
    EXPECT_DOUBLE_EQ(AccentSlider::valueAt(20, 16, 16, 0, 10, 0), 10);
    EXPECT_DOUBLE_EQ(AccentSlider::valueAt(3, 16, 16, 0, 10, 0), 0);
}

} // namespace
