#include "Notch/NotchMorph.h"

#include <gtest/gtest.h>

namespace {

const NotchGeometry closed{190, 24, 6, 8.16};
const NotchGeometry open{490, 174, 14, 30};
const MonotonicTime start = MonotonicTime::fromMSecs(1000);

NotchMorph morph(const NotchGeometry &from, const NotchGeometry &to, std::optional<QSizeF> hardwareNotch = std::nullopt)
{
    return NotchMorph{from, to, start, hardwareNotch};
}

TEST(NotchMorph, DirectionAndDuration)
{
    const struct {
        const char *name;
        NotchGeometry from, to;
        NotchMorph::Direction direction;
    } rows[] = {
        {"taller", closed, open, NotchMorph::Direction::growing},
        {"lower", open, closed, NotchMorph::Direction::shrinking},
        {"as high and wider", {190, 24, 6, 9}, {254, 24, 6, 9}, NotchMorph::Direction::growing},
        {"as high and narrower", {254, 24, 6, 9}, {190, 24, 6, 9}, NotchMorph::Direction::shrinking},
        {"equal", closed, closed, NotchMorph::Direction::shrinking},
        {"half a point taller and wider", {190, 24, 6, 9}, {254, 24.5, 6, 9}, NotchMorph::Direction::growing},
        {"half a point taller and narrower", {254, 24, 6, 9}, {190, 24.5, 6, 9}, NotchMorph::Direction::shrinking},
        {"half a point lower and wider", {190, 24.5, 6, 9}, {254, 24, 6, 9}, NotchMorph::Direction::growing},
        {"slightly more than half a point taller and narrower", {254, 24, 6, 9}, {190, 24.6, 6, 9}, NotchMorph::Direction::growing},
    };
    for (const auto &row : rows) {
        const NotchMorph m = morph(row.from, row.to);
        EXPECT_EQ(m.direction(), row.direction) << row.name;
        EXPECT_EQ(m.duration(), row.direction == NotchMorph::Direction::growing ? 0.85 : 0.75) << row.name;
    }
}

TEST(NotchMorph, StartsAtFromAndEndsExactlyOnTo)
{
    for (const NotchMorph &m : {morph(closed, open), morph(open, closed)}) {
        EXPECT_EQ(m.valueAfter(-0.5), m.from);
        EXPECT_EQ(m.valueAfter(0), m.from);
        EXPECT_EQ(m.valueAfter(m.duration()), m.to);
        EXPECT_EQ(m.valueAfter(10), m.to);
        // The springs have settled by then: the last frame is within a point
        // of the target, so ending on it exactly shows no jump.
        const NotchGeometry last = m.valueAfter(m.duration() - 0.001);
        EXPECT_NEAR(last.width, m.to.width, 1);
        EXPECT_NEAR(last.height, m.to.height, 1);
        // Dates are measured from the start.
        EXPECT_EQ(m.value(start.addMSecs(250)), m.valueAfter(0.25));
    }
}

TEST(NotchMorph, GrowingDropsBeforeItWidens)
{
    const NotchMorph m = morph(closed, open);
    const NotchGeometry early = m.valueAfter(0.05);
    EXPECT_EQ(early.width, closed.width);
    EXPECT_GT(early.height, closed.height);
    EXPECT_GT(early.top, closed.top);
    EXPECT_GT(early.bottom, closed.bottom);
    EXPECT_GT(m.valueAfter(0.07).width, closed.width);

    // The width spring is the bouncier one: it overshoots, then settles.
    double widest = 0;
    for (double t = 0; t < m.duration(); t += 0.001)
        widest = std::max(widest, m.valueAfter(t).width);
    EXPECT_GT(widest, open.width + 5);
}

TEST(NotchMorph, ShrinkingNarrowsBeforeItRises)
{
    const NotchMorph m = morph(open, closed);
    const NotchGeometry early = m.valueAfter(0.02);
    EXPECT_EQ(early.height, open.height);
    EXPECT_EQ(early.top, open.top);
    EXPECT_LT(early.width, open.width);
    EXPECT_LT(m.valueAfter(0.04).height, open.height);
}

TEST(NotchMorph, NoDelayWithoutAHeightChange)
{
    // Half a point is no height change: both springs start together.
    const NotchMorph wider = morph({190, 24, 6, 9}, {254, 24.5, 6, 9});
    EXPECT_GT(wider.valueAfter(0.02).width, 190);
    EXPECT_GT(wider.valueAfter(0.02).height, 24);

    const NotchMorph narrower = morph({254, 24.5, 6, 9}, {190, 24, 6, 9});
    EXPECT_LT(narrower.valueAfter(0.02).width, 254);
    EXPECT_LT(narrower.valueAfter(0.02).height, 24.5);
}

TEST(NotchMorph, EqualGeometriesStayPut)
{
    const NotchMorph m = morph(closed, closed);
    for (double t = -0.1; t < 1; t += 0.01)
        EXPECT_EQ(m.valueAfter(t), closed) << t;
}

TEST(NotchMorph, WidthGuardKeepsTheHousingCovered)
{
    const QSizeF housing(200, 32);
    const NotchGeometry hardwareClosed{200, 32, 6, 10.88};
    const NotchGeometry hardwareOpen{490, 182, 14, 30};
    const NotchMorph guarded = morph(hardwareClosed, hardwareOpen, housing);

    for (double t = 0; t < guarded.duration(); t += 0.001) {
        const NotchGeometry shown = guarded.valueAfter(t);
        const double below = std::clamp((shown.height - 32) / 6, 0.0, 1.0);
        ASSERT_GE(shown.width, 200 + (2 * shown.top + 8) * below - 1e-9) << t;
    }
    // Before the width spring starts, the silhouette already drops below the
    // housing, so it widens by both ears and 4 points a side.
    const NotchGeometry early = guarded.valueAfter(0.03);
    EXPECT_GT(early.height, 32 + 6);
    EXPECT_DOUBLE_EQ(early.width, 200 + 2 * early.top + 8);

    // Without a housing nothing widens early.
    EXPECT_EQ(morph(hardwareClosed, hardwareOpen).valueAfter(0.03).width, 200);

    // The guard applies before the start too; the end is the target as is.
    const NotchGeometry hangingBelow{200, 40, 6, 10};
    const NotchMorph resting = morph(hangingBelow, hangingBelow, housing);
    EXPECT_EQ(resting.valueAfter(-1).width, 200 + 20);
    EXPECT_EQ(resting.valueAfter(resting.duration()), hangingBelow);
}

} // namespace
