#include "Alerts/HUDBar.h"
#include "Settings/SettingsStyle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

struct RampCase {
    const char *name;
    double level;
    LevelBase base;
    double red;
    double green;
    double blue;
};

void PrintTo(const RampCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class LevelColor : public ::testing::TestWithParam<RampCase> {};

TEST_P(LevelColor, FollowsTheRamp)
{
    const RampCase &row = GetParam();
    const QColor color = HUDBar::levelColor(row.level, row.base);
    EXPECT_NEAR(color.redF(), row.red, 1e-3);
    EXPECT_NEAR(color.greenF(), row.green, 1e-3);
    EXPECT_NEAR(color.blueF(), row.blue, 1e-3);
    EXPECT_FLOAT_EQ(color.alphaF(), 1.0f);
}

INSTANTIATE_TEST_SUITE_P(HUDBar, LevelColor,
                         ::testing::Values(RampCase{"blueLowIsLightBlue", 0.3, LevelBase::blue, 0.35, 0.68, 1.0},
                                           RampCase{"blueAtFirstThreshold", 0.6, LevelBase::blue, 0.35, 0.68, 1.0},
                                           RampCase{"blueHalfwayToYellow", 0.66, LevelBase::blue, 0.675, 0.76, 0.625},
                                           RampCase{"blueAtYellow", 0.72, LevelBase::blue, 1.0, 0.84, 0.25},
                                           RampCase{"blueFull", 1.0, LevelBase::blue, 1.0, 0.30, 0.26},
                                           RampCase{"whiteLowIsWhite", 0.0, LevelBase::white, 1.0, 1.0, 1.0},
                                           RampCase{"whiteAtFirstThreshold", 0.5, LevelBase::white, 1.0, 1.0, 1.0},
                                           RampCase{"whiteAtYellow", 0.75, LevelBase::white, 1.0, 0.84, 0.25},
                                           RampCase{"whiteHalfwayToRed", 0.875, LevelBase::white, 1.0, 0.57, 0.255},
                                           RampCase{"aboveOneIsRed", 1.7, LevelBase::white, 1.0, 0.30, 0.26},
                                           RampCase{"belowZeroIsBase", -0.4, LevelBase::blue, 0.35, 0.68, 1.0},
                                           RampCase{"unreadableIsBase", std::nan(""), LevelBase::white, 1.0, 1.0, 1.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HUDBar, FillColourFollowsStyleUnlessLevelColorsAreOn)
{
    EXPECT_EQ(HUDBar::fillColor({0.4, HUDStyle::white}), QColor(Qt::white));
    EXPECT_EQ(HUDBar::fillColor({0.4, HUDStyle::glow}), QColor(Qt::white));
    EXPECT_EQ(HUDBar::fillColor({0.4, HUDStyle::accent}), SettingsStyle::accent());
    EXPECT_EQ(HUDBar::fillColor({0.9, HUDStyle::accent, true, LevelBase::blue}), HUDBar::levelColor(0.9, LevelBase::blue));
}

TEST(HUDBar, FillIsNeverNarrowerThanACircle)
{
    const QRectF track(10, 20, 54, 5);
    EXPECT_EQ(HUDBar::fillRect(track, 0.5), QRectF(10, 20, 27, 5));
    // A tiny level still shows a round dot at the left end.
    EXPECT_EQ(HUDBar::fillRect(track, 0.01), QRectF(10, 20, 5, 5));
    EXPECT_EQ(HUDBar::fillRect(track, 1.4), track);
    EXPECT_EQ(HUDBar::fillRect(track, -1), QRectF(10, 20, 5, 5));
}

} // namespace
