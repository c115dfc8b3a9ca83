#include "App/AppModel.h"
#include "Notch/CalendarSection.h"
#include "Notch/OpenNotchContent.h"
#include "Notch/PlayerSection.h"
#include "Platform/Fake/FakePlatform.h"
#include "SceneDriver.h"

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF openSize(490, notchHeight + 150);

class OpenNotchContentUi : public ::testing::Test {
protected:
    OpenNotchContentUi()
    {
        driver.scene.addItem(content);
        content->setSize(openSize);
    }

    QImage render() { return driver.render(QRectF(QPointF(), openSize)); }

    FakePlatform platform;
    AppModel app{platform.services()};
    SceneDriver driver;
    OpenNotchContent *content = new OpenNotchContent(app, notchHeight);
};

TEST_F(OpenNotchContentUi, BothColumnsWithTheDividerBetween)
{
    app.preferences.sideColumn.setValue(SideColumn::calendar);
    ASSERT_TRUE(content->player());
    ASSERT_TRUE(content->calendar());
    const auto layout = content->layout();
    ASSERT_TRUE(layout.divider);
    // The sections are placed where the layout puts them, at its widths.
    EXPECT_EQ(content->player()->pos(), layout.player->topLeft());
    EXPECT_DOUBLE_EQ(content->player()->boundingRect().width(), layout.player->width());
    EXPECT_EQ(content->calendar()->pos(), layout.calendar->topLeft());
    EXPECT_DOUBLE_EQ(content->calendar()->boundingRect().width(), layout.calendar->width());
    EXPECT_DOUBLE_EQ(layout.player->top(), notchHeight + 8);
    EXPECT_DOUBLE_EQ(layout.calendar->top(), notchHeight + 8);

    const QImage image = render();
    // The divider: white at 0.08 on black.
    const int dividerX = int(std::floor(layout.divider->left()));
    const QColor divider = image.pixelColor(QPoint(dividerX, int(layout.divider->center().y())));
    EXPECT_NEAR(divider.red(), 20, 2);
    EXPECT_EQ(image.pixelColor(QPoint(dividerX + 1, int(layout.divider->center().y()))), QColor(Qt::black)) << "one pixel wide";
    // Both columns draw, nothing is drawn over the notch or in the margins.
    EXPECT_FALSE(Rendering::inkBounds(image, layout.player->toAlignedRect()).isEmpty());
    EXPECT_FALSE(Rendering::inkBounds(image, layout.calendar->toAlignedRect()).isEmpty());
    const QRect ink = Rendering::inkBounds(image, image.rect());
    EXPECT_GE(ink.top(), int(notchHeight + 8));
    EXPECT_GE(ink.left(), 30);
    EXPECT_LE(ink.right(), int(openSize.width()) - 30);
}

TEST_F(OpenNotchContentUi, SideColumnBothCentresTheColumns)
{
    app.preferences.sideColumn.setValue(SideColumn::both);
    const auto layout = content->layout();
    EXPECT_NEAR(layout.player->center().y(), layout.calendar->center().y(), 0.01);
    app.preferences.sideColumn.setValue(SideColumn::claude);
    EXPECT_DOUBLE_EQ(content->layout().player->top(), content->layout().calendar->top());
}

TEST_F(OpenNotchContentUi, ColumnsFollowTheSettings)
{
    app.preferences.idleActivity.setValue(IdleActivity::playing);
    EXPECT_TRUE(content->player());
    EXPECT_FALSE(content->calendar());
    EXPECT_FALSE(content->layout().divider);
    EXPECT_EQ(*content->layout().player, QRectF(30, notchHeight + 8, openSize.width() - 60, 112));

    app.preferences.idleActivity.setValue(IdleActivity::calendar);
    EXPECT_FALSE(content->player());
    ASSERT_TRUE(content->calendar());
    EXPECT_DOUBLE_EQ(content->calendar()->boundingRect().width(), openSize.width() - 60);

    app.preferences.idleActivity.setValue(IdleActivity::duo);
    app.preferences.nowPlayingEnabled.setValue(false);
    EXPECT_FALSE(content->player());
    EXPECT_TRUE(content->calendar());
}

} // namespace
