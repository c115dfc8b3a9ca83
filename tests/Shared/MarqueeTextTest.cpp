#include "Shared/MarqueeText.h"

#include <QGraphicsScene>

#include <gtest/gtest.h>

#include <limits>

TEST(MarqueeTextTest, OverflowNeedsMoreThanOnePointOfExcess)
{
    struct Case {
        const char *name;
        double textWidth, fieldWidth;
        bool overflows;
    };
    const Case cases[] = {
        {"fits", 200, 300, false},
        {"exactly as wide", 300, 300, false},
        {"one point wider", 301, 300, false},
        {"two points wider", 302, 300, true},
        {"far wider", 400, 300, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MarqueeText::overflows(c.textWidth, c.fieldWidth), c.overflows) << c.name;
}

TEST(MarqueeTextTest, PausesThenGlidesOneTextAndAGapAtThirtyTwoPointsASecond)
{
    // A 400-point line: a period of 436 points in 13.625 s after 1.2 s.
    EXPECT_DOUBLE_EQ(MarqueeText::period(400), 13.625);
    struct Case {
        double elapsed, offset;
    };
    const Case cases[] = {
        {0, 0},
        {1.0, 0},
        {1.2, 0},
        {2.2, -32},
        {1.2 + 13.625 / 2, -218},
        {1.2 + 13.6, -435.2},
        // The cycle starts over from 0, with the pause.
        {1.2 + 13.625 + 0.5, 0},
        {2 * (1.2 + 13.625) + 1.2 + 1, -32},
        // After many cycles the glide keeps its place.
        {1000 * (1.2 + 13.625) + 2.2, -32},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(MarqueeText::scrollOffset(400, c.elapsed), c.offset, 1e-6) << "at " << c.elapsed << " s";
}

TEST(MarqueeTextTest, TimesAndWidthsThatAreNotNumbersStayAtRest)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MarqueeText::scrollOffset(400, nan), 0);
    EXPECT_EQ(MarqueeText::scrollOffset(400, infinity), 0);
    EXPECT_EQ(MarqueeText::scrollOffset(infinity, 5), 0);
    EXPECT_EQ(MarqueeText::scrollOffset(400, -3), 0);
}

TEST(MarqueeTextTest, SongLineJoinsTitleAndArtistWithAFaintDot)
{
    const MarqueeText::StyledText line = MarqueeText::songLine(QStringLiteral("Título"), QStringLiteral("Artista"));
    ASSERT_EQ(line.size(), 3);
    EXPECT_EQ(line[0].text, QStringLiteral("Título"));
    EXPECT_EQ(line[1].text, QStringLiteral("  ·  "));
    EXPECT_EQ(line[2].text, QStringLiteral("Artista"));
    EXPECT_NEAR(line[0].color.alphaF(), 0.72, 1e-3);
    EXPECT_NEAR(line[1].color.alphaF(), 0.35, 1e-3);
    EXPECT_NEAR(line[2].color.alphaF(), 0.5, 1e-3);
    EXPECT_EQ(line[0].font.weight(), QFont::DemiBold);
    EXPECT_EQ(line[2].font.weight(), QFont::Medium);

    const MarqueeText::StyledText alone = MarqueeText::songLine(QStringLiteral("Título"), QString());
    ASSERT_EQ(alone.size(), 1) << "no separator without an artist";
    EXPECT_EQ(alone[0], line[0]);
}

namespace {

class MarqueeTextInScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        marquee->setSize(QSizeF(100, 16));
        scene.addItem(marquee);
    }
    static MarqueeText::StyledText line(const QString &text) { return MarqueeText::songLine(text, QString()); }

    ManualScheduler scheduler;
    QGraphicsScene scene;
    MarqueeText *marquee = new MarqueeText(scheduler, Qt::AlignCenter);
};

const QString longTitle = QStringLiteral("Uma canção com um título bem mais longo do que o campo");

} // namespace

TEST_F(MarqueeTextInScene, ATextThatFitsNeverMoves)
{
    marquee->setContent(line(QStringLiteral("Curta")), QStringLiteral("Curta"));
    EXPECT_FALSE(marquee->overflows());
    scheduler.advance(20);
    EXPECT_FALSE(marquee->isScrolling());
    EXPECT_EQ(marquee->offset(), 0);
    EXPECT_FALSE(marquee->isTicking());
}

TEST_F(MarqueeTextInScene, ALongTextRestsThenGlidesWithFramesOnlyWhileItMoves)
{
    marquee->setContent(line(longTitle), longTitle);
    ASSERT_TRUE(marquee->overflows());
    EXPECT_TRUE(marquee->isScrolling());
    EXPECT_FALSE(marquee->isTicking()) << "no frames during the pause";
    scheduler.advance(1.0);
    EXPECT_EQ(marquee->offset(), 0);
    scheduler.advance(0.2);
    EXPECT_TRUE(marquee->isTicking());
    scheduler.advance(1.0);
    EXPECT_NEAR(marquee->offset(), -32, 1e-6);
    // Hidden: no frames; the clock keeps the scroll's place.
    marquee->setVisible(false);
    EXPECT_FALSE(marquee->isTicking());
    marquee->setVisible(true);
    EXPECT_TRUE(marquee->isTicking());
    // Back at rest after the glide: the frames stop until the next glide.
    scheduler.advance(MarqueeText::period(marquee->textWidth()) - 1.0 + 0.1);
    EXPECT_EQ(marquee->offset(), 0);
    EXPECT_FALSE(marquee->isTicking());
}

TEST_F(MarqueeTextInScene, ANewIdentityStartsFromRestAndANewTextUnderTheSameOneDoesNot)
{
    marquee->setContent(line(longTitle), longTitle);
    scheduler.advance(2.2);
    EXPECT_NEAR(marquee->offset(), -32, 1e-6);
    const QString other = longTitle + QStringLiteral(" (ao vivo)");
    marquee->setContent(line(other), other);
    EXPECT_EQ(marquee->offset(), 0) << "a new song pauses again";
    scheduler.advance(2.2);
    EXPECT_NEAR(marquee->offset(), -32, 1e-6);

    // The text fits for a while: still, unmasked; overflowing again within
    // the same identity keeps the one scroll clock.
    marquee->setContent(line(QStringLiteral("Curta")), other);
    EXPECT_EQ(marquee->offset(), 0);
    marquee->setContent(line(other), other);
    EXPECT_NEAR(marquee->offset(), -32, 1e-6);
}

TEST_F(MarqueeTextInScene, ATextThatFitsSitsByItsAlignment)
{
    const QList<std::pair<Qt::Alignment, double>> cases{
        {Qt::AlignLeading, 0}, {Qt::AlignCenter, 0.5}, {Qt::AlignHCenter | Qt::AlignVCenter, 0.5}, {Qt::AlignTrailing, 1}};
    for (const auto &[alignment, share] : cases) {
        SCOPED_TRACE(int(alignment));
        auto *aligned = new MarqueeText(scheduler, alignment);
        aligned->setSize(QSizeF(100, 16));
        scene.addItem(aligned);
        aligned->setContent(line(QStringLiteral("Curta")), QStringLiteral("Curta"));
        ASSERT_FALSE(aligned->overflows());
        // `share` of the room the text leaves lies before it.
        EXPECT_NEAR(aligned->textRect().left(), share * (100 - aligned->textWidth()), 0.01);
        // An overflowing text starts at the leading edge whatever the
        // alignment.
        aligned->setContent(line(longTitle), longTitle);
        EXPECT_EQ(aligned->textRect().left(), 0);
    }
}
