#include "Notch/NotchSlider.h"
#include "Platform/Fake/FakePlatform.h"
#include "SceneDriver.h"
#include "Settings/SettingsStyle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double width = 170;
// Where the slider sits in the scene: away from the origin, so that the
// pointer's position has to be taken in the slider's own coordinates.
const QPointF origin(15, 11);

class NotchSliderUi : public ::testing::Test {
protected:
    NotchSliderUi()
    {
        slider->setWidth(width);
        slider->setPos(origin);
        driver.scene.addItem(slider);
        driver.show(QRectF(0, 0, 200, 40));
    }

    QPointF at(double x) const { return origin + QPointF(x, NotchSlider::height / 2); }

    // The accent-coloured part of the slider, in points, from a rendering at
    // two pixels per point (the dot's edges then fall on pixel edges).
    QRectF accentBounds()
    {
        const QImage image = Rendering::renderOnBlack(driver.scene, QRectF(origin, QSizeF(width, NotchSlider::height)), 2);
        QRect bounds;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                // The track is grey; the accent is far greener than red.
                if (colour.green() - colour.red() > 40)
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        return QRectF(bounds.x() / 2.0, bounds.y() / 2.0, bounds.width() / 2.0, bounds.height() / 2.0);
    }

    FakePlatform platform;
    SceneDriver driver;
    std::vector<double> changes;
    NotchSlider *slider = new NotchSlider(platform.scheduler, [this](double value) { changes.push_back(value); });
};

TEST(NotchSlider, FractionOfThePointerAndWidthOfTheFill)
{
    struct Row {
        const char *name;
        double x, width, fraction;
    };
    const Row fractions[] = {
        {"middle", 85, 170, 0.5},
        {"left of the slider", -12, 170, 0},
        {"right of the slider", 190, 170, 1},
        {"a slider 1 wide divides by 1", 0.25, 1, 0.25},
        {"a slider of no width divides by 1", 3, 0, 1},
    };
    for (const Row &row : fractions)
        EXPECT_DOUBLE_EQ(NotchSlider::fraction(row.x, row.width), row.fraction) << row.name;

    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, 0.5, 5), 85);
    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, 0, 5), 5) << "a dot at 0";
    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, 0.01, 7), 7) << "never thinner than the track is high";
    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, 1.4, 5), 170) << "values above 1 drawn full";
    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, -0.3, 5), 5);
    EXPECT_DOUBLE_EQ(NotchSlider::fillWidth(170, std::nan(""), 5), 5);
}

TEST_F(NotchSliderUi, AClickInTheMiddleReportsOneHalfOnceAndNothingOnRelease)
{
    driver.press(at(85));
    EXPECT_EQ(changes, std::vector<double>{0.5});
    EXPECT_TRUE(slider->isDragging());
    driver.release(at(85));
    EXPECT_EQ(changes, std::vector<double>{0.5});
    EXPECT_FALSE(slider->isDragging());
}

TEST_F(NotchSliderUi, EveryMoveWhileHeldReportsItsValueLimitedToTheSlider)
{
    driver.press(at(17));
    driver.drag(at(34));
    driver.drag(at(width + 60));
    driver.drag(at(-40));
    driver.release(at(-40));
    EXPECT_EQ(changes, (std::vector<double>{0.1, 0.2, 1, 0}));
    // The slider only reports: what it draws is what it is told.
    EXPECT_DOUBLE_EQ(slider->value(), 0);
}

TEST_F(NotchSliderUi, AtZeroTheFillIsADotThatGrowsWhileDragging)
{
    slider->setValue(0);
    EXPECT_EQ(accentBounds(), QRectF(0, 6.5, 5, 5));

    driver.press(at(0));
    ASSERT_EQ(changes, std::vector<double>{0});
    EXPECT_DOUBLE_EQ(slider->currentTrackHeight(), NotchSlider::trackHeight) << "the thickness animates";
    platform.scheduler.advance(NotchSlider::thicknessDuration / 2);
    EXPECT_GT(slider->currentTrackHeight(), 5);
    EXPECT_LT(slider->currentTrackHeight(), 7);
    platform.scheduler.advance(NotchSlider::thicknessDuration / 2);
    EXPECT_DOUBLE_EQ(slider->currentTrackHeight(), NotchSlider::draggingTrackHeight);
    EXPECT_EQ(accentBounds(), QRectF(0, 5.5, 7, 7));

    driver.release(at(0));
    platform.scheduler.advance(NotchSlider::thicknessDuration);
    EXPECT_DOUBLE_EQ(slider->currentTrackHeight(), NotchSlider::trackHeight);
}

TEST_F(NotchSliderUi, FillInAccentOverAFaintTrack)
{
    slider->setValue(0.5);
    EXPECT_EQ(accentBounds(), QRectF(0, 6.5, 85, 5));
    const QImage image = Rendering::renderOnBlack(driver.scene, driver.scene.sceneRect());
    const QColor fill = image.pixelColor(int(origin.x() + 40), int(origin.y() + 9));
    EXPECT_NEAR(fill.red(), SettingsStyle::accent().red(), 2);
    EXPECT_NEAR(fill.green(), SettingsStyle::accent().green(), 2);
    EXPECT_NEAR(fill.blue(), SettingsStyle::accent().blue(), 2);
    // White at 0.16 over black.
    const QColor track = image.pixelColor(int(origin.x() + 130), int(origin.y() + 9));
    EXPECT_NEAR(track.red(), 41, 2);
    EXPECT_EQ(track.red(), track.blue());
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(int(origin.x()), int(origin.y()), int(width), 6)).isEmpty()) << "the band above the track";
}

} // namespace
