#include "Alerts/AlertStripViews.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Rendering.h"
#include "Settings/SettingsStyle.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

namespace {

constexpr double notchHeight = 32;
const QSizeF stripSize(385, notchHeight);
const int middle = int(notchHeight / 2);

class AlertStripViewsUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.addItem(content);
        content->setSize(stripSize);
    }

    static NotchAlert volume(double level, std::optional<QString> trailing)
    {
        NotchAlert alert;
        alert.kind = AlertKind::volume;
        alert.symbol = QStringLiteral("speaker.wave.2.fill");
        alert.symbolColor = Qt::white;
        alert.level = level;
        alert.barStyle = HUDStyle::accent;
        alert.trailing = std::move(trailing);
        alert.trailingColor = Qt::white;
        alert.sideWidth = alert.trailing ? 100 : 92;
        return alert;
    }

    QImage render() { return Rendering::renderOnBlack(scene, QRectF(QPointF(), stripSize)); }

    // Where the bar's fill ends: the last accent pixel on the bar's middle row.
    int fillEnd(const QImage &image)
    {
        int end = -1;
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, middle);
            if (pixel.green() > 150 && pixel.red() < 120)
                end = x;
        }
        return end;
    }

    FakePlatform platform;
    AppModel app{platform.services()};
    QGraphicsScene scene;
    AlertCompactContent *content = new AlertCompactContent(app, notchHeight);
};

QRect grown(const QRectF &rect)
{
    return rect.toAlignedRect().adjusted(-1, -1, 1, 1);
}

TEST_F(AlertStripViewsUi, VolumeStripDrawsEachPartInItsPlace)
{
    app.alerts.show(volume(0.5, QStringLiteral("50")), 1.5);
    const auto layout = content->layout();
    ASSERT_TRUE(layout && layout->bar && layout->trailing);
    const QImage image = render();

    const QRect symbol = Rendering::inkBounds(image, QRect(0, 0, 40, int(notchHeight)));
    EXPECT_FALSE(symbol.isEmpty());
    EXPECT_TRUE(grown(layout->symbol.rect).contains(symbol));

    // The camera housing between the two groups stays black.
    EXPECT_TRUE(Rendering::inkBounds(image, QRect(40, 0, int(layout->bar->left()) - 40 - 1, int(notchHeight))).isEmpty());

    // Bar 54 wide: the accent fill over its first half, the track after.
    const QRectF bar = *layout->bar;
    EXPECT_DOUBLE_EQ(bar.width(), 54);
    EXPECT_EQ(image.pixel(int(bar.left()) + 10, middle), SettingsStyle::accent().rgb());
    EXPECT_NEAR(fillEnd(image), bar.left() + 27, 1.5);
    EXPECT_NEAR(image.pixelColor(int(bar.right()) - 6, middle).red(), 46, 2);

    const QRect number = Rendering::inkBounds(image, QRect(int(bar.right()) + 1, 0, 100, int(notchHeight)));
    EXPECT_FALSE(number.isEmpty());
    EXPECT_TRUE(grown(layout->trailing->rect).contains(number));
    EXPECT_LE(number.right(), stripSize.width() - 12);
}

TEST_F(AlertStripViewsUi, MuteStripShowsItsTextWithoutABar)
{
    NotchAlert mute = volume(0, QStringLiteral("Mudo"));
    mute.level.reset();
    mute.symbol = QStringLiteral("speaker.slash.fill");
    mute.trailingColor = QColor(255, 82, 77);
    app.alerts.show(mute, 1.5);
    const QImage image = render();

    const auto layout = content->layout();
    ASSERT_TRUE(layout && layout->trailing);
    EXPECT_FALSE(layout->bar);
    // Nothing but the text on the right side.
    const QRect right = Rendering::inkBounds(image, QRect(200, 0, 185, int(notchHeight)));
    EXPECT_TRUE(grown(layout->trailing->rect).contains(right));
    bool red = false;
    for (int x = right.left(); x <= right.right(); ++x) {
        for (int y = right.top(); y <= right.bottom(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            red = red || (pixel.red() > 200 && pixel.green() < 100);
        }
    }
    EXPECT_TRUE(red);
}

TEST_F(AlertStripViewsUi, NothingIsDrawnWithoutAnAlert)
{
    EXPECT_TRUE(Rendering::inkBounds(render(), QRect(QPoint(), stripSize.toSize())).isEmpty());
    app.alerts.show(volume(0.3, std::nullopt), 1.5);
    EXPECT_FALSE(Rendering::inkBounds(render(), QRect(QPoint(), stripSize.toSize())).isEmpty());
    platform.scheduler.advance(1.5);
    EXPECT_FALSE(content->layout());
    EXPECT_TRUE(Rendering::inkBounds(render(), QRect(QPoint(), stripSize.toSize())).isEmpty());
}

TEST_F(AlertStripViewsUi, NewLevelSlidesThenTheFrameTickStops)
{
    app.alerts.show(volume(0.2, QStringLiteral("20")), 10);
    // Revealing the strip is the notch's business: no animation inside.
    EXPECT_FALSE(content->isAnimating());
    const int hideOnly = platform.scheduler.pendingCount();
    const QRectF bar = *content->layout()->bar;
    const double start = bar.left() + 0.2 * bar.width();
    const double end = bar.left() + 0.8 * bar.width();
    EXPECT_NEAR(fillEnd(render()), start, 1.5);

    app.alerts.show(volume(0.8, QStringLiteral("80")), 10);
    EXPECT_TRUE(content->isAnimating());
    EXPECT_EQ(platform.scheduler.pendingCount(), hideOnly + 1);
    platform.scheduler.advance(0.1);
    const int midway = fillEnd(render());
    EXPECT_GT(midway, start + 2);
    EXPECT_LT(midway, end - 2);

    platform.scheduler.advance(0.2);
    EXPECT_FALSE(content->isAnimating());
    EXPECT_EQ(platform.scheduler.pendingCount(), hideOnly);
    EXPECT_NEAR(fillEnd(render()), end, 1.5);

    // The same alert again changes nothing on screen and starts no tick.
    app.alerts.show(volume(0.8, QStringLiteral("80")), 10);
    EXPECT_FALSE(content->isAnimating());
}

TEST_F(AlertStripViewsUi, ChangedSymbolCrossFades)
{
    NotchAlert low = volume(0.2, QStringLiteral("20"));
    low.symbol = QStringLiteral("speaker.wave.1.fill");
    app.alerts.show(low, 10);
    const QRect symbolArea = grown(content->layout()->symbol.rect);
    const QImage before = render().copy(symbolArea);

    NotchAlert muted = low;
    muted.symbol = QStringLiteral("speaker.slash.fill");
    app.alerts.show(muted, 10);
    platform.scheduler.advance(0.05);
    const QImage during = render().copy(symbolArea);
    platform.scheduler.advance(0.3);
    const QImage after = render().copy(symbolArea);

    EXPECT_NE(before, after);
    EXPECT_NE(during, before);
    EXPECT_NE(during, after);
}

} // namespace
