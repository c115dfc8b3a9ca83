#include "Rendering.h"
#include "Shared/MarqueeText.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

namespace {

const QSizeF field(120, 16);

class MarqueeTextUi : public ::testing::Test {
protected:
    void SetUp() override
    {
        marquee->setSize(field);
        marquee->setPos(20, 2);
        scene.addItem(marquee);
    }
    QImage render() { return Rendering::renderOnBlack(scene, QRectF(0, 0, field.width() + 40, field.height() + 4)); }
    static MarqueeText::StyledText white(const QString &text)
    {
        return {MarqueeText::Run{text, QFont(QStringLiteral("DejaVu Sans"), 10), Qt::white}};
    }
    // The brightest red of the column at `x`.
    static int brightest(const QImage &image, int x)
    {
        int value = 0;
        for (int y = 0; y < image.height(); ++y)
            value = std::max(value, qRed(image.pixel(x, y)));
        return value;
    }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    MarqueeText *marquee = new MarqueeText(scheduler, Qt::AlignCenter);
};

} // namespace

TEST_F(MarqueeTextUi, AFittingLineIsCentredWithoutAFade)
{
    // Solid blocks: every column of a letter is fully inked.
    const QString text = QString(6, QChar(0x2588));
    marquee->setContent(white(text), text);
    const QImage image = render();
    const QRect ink = Rendering::inkBounds(image, image.rect());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 20 + field.width() / 2, 2);
    // The first and the last letters draw at the strength of the middle.
    const auto strongestOf = [&](int from, int to) {
        int value = 0;
        for (int x = from; x <= to; ++x)
            value = std::max(value, brightest(image, x));
        return value;
    };
    const int middle = strongestOf(ink.center().x() - 3, ink.center().x() + 3);
    EXPECT_GE(strongestOf(ink.left(), ink.left() + 3), middle - 10);
    EXPECT_GE(strongestOf(ink.right() - 3, ink.right()), middle - 10);
}

TEST_F(MarqueeTextUi, AnOverflowingLineIsClippedToItsFieldAndFadedAtTheEdges)
{
    const QString text = QString(40, QChar(0x2588));
    marquee->setContent(white(text), text);
    ASSERT_TRUE(marquee->overflows());
    scheduler.advance(MarqueeText::pauseDuration + 0.5);
    const QImage image = render();
    const QRect ink = Rendering::inkBounds(image, image.rect());
    EXPECT_GE(ink.left(), 20);
    EXPECT_LE(ink.right(), 20 + int(field.width()) - 1) << "nothing drawn outside the field";
    // The first 6 % fade in and the last 8 % fade out; the middle is whole.
    int middle = 0, leading = 0, trailing = 0;
    for (int x = 20 + 40; x < 20 + 80; ++x)
        middle = std::max(middle, brightest(image, x));
    for (int x = 20; x < 22; ++x)
        leading = std::max(leading, brightest(image, x));
    for (int x = 20 + 118; x < 20 + 120; ++x)
        trailing = std::max(trailing, brightest(image, x));
    EXPECT_GT(middle, 200);
    EXPECT_LT(leading, middle / 2);
    EXPECT_LT(trailing, middle / 2);
}
