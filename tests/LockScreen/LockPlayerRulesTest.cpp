#include "LockScreen/LockScreenPlayerView.h"
#include "LockScreen/ProgressRow.h"
#include "LockScreen/ScrubBar.h"
#include "LockScreen/VolumeRow.h"
#include "LockScreen/WeatherPill.h"
#include "Notch/MediaButton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(ProgressRowRules, FormatsMinutesAndSecondsRoundedDown)
{
    const std::pair<double, const char *> cases[] = {
        {0, "0:00"},     {62, "1:02"},        {143, "2:23"},      {59.9, "0:59"},     {3725, "62:05"},
        {600, "10:00"},  {nan, "0:00"},       {infinity, "0:00"}, {-infinity, "0:00"},
    };
    for (const auto &[seconds, text] : cases) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(ProgressRow::format(seconds), QString::fromUtf8(text));
    }
}

TEST(ProgressRowRules, TimesAndFractionOfASong)
{
    struct Case {
        double duration;
        double elapsed;
        std::optional<double> drag;
        double fraction;
        const char *elapsedText;
        const char *remainingText;
    };
    const Case cases[] = {
        // 3 min 25 s at 62 s.
        {205, 62, std::nullopt, 62.0 / 205, "1:02", "-2:23"},
        // No hours field.
        {3725, 0, std::nullopt, 0, "0:00", "-62:05"},
        // Without a length the bar stands for one second and the time left
        // stops at zero.
        {0, 0, std::nullopt, 0, "0:00", "-0:01"},
        {0, 5, std::nullopt, 1, "0:05", "-0:00"},
        {1, 0.5, std::nullopt, 0.5, "0:00", "-0:00"},
        // A drag shows the pointer's place, not the song's.
        {200, 30, 0.5, 0.5, "1:40", "-1:40"},
        {200, 30, 1.0, 1, "3:20", "-0:00"},
        // A position past the end fills the bar and no more.
        {200, 250, std::nullopt, 1, "4:10", "-0:00"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.duration << " at " << c.elapsed);
        const ProgressRow::Content content = ProgressRow::content(c.duration, c.elapsed, c.drag);
        EXPECT_DOUBLE_EQ(content.fraction, c.fraction);
        EXPECT_EQ(content.elapsedText, QString::fromUtf8(c.elapsedText));
        EXPECT_EQ(content.remainingText, QString::fromUtf8(c.remainingText));
    }
}

TEST(ProgressRowRules, SeekTargetStaysWithinTheSongAndTheBridge)
{
    struct Case {
        double position;
        double duration;
        double target;
    };
    const Case cases[] = {
        {0.5, 200, 100},
        {0, 200, 0},
        {1, 200, 200},
        {1.5, 200, 200},
        {-0.5, 200, 0},
        {nan, 200, 0},
        {infinity, 200, 200},
        // The one-second bar of a song without a length.
        {0.5, 0, 0.5},
        // A length no player has never asks for more than the bridge takes.
        {1, 1e300, ProgressRow::longestSeek},
        {0.5, std::numeric_limits<double>::max(), ProgressRow::longestSeek},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " of " << c.duration);
        const double target = ProgressRow::seekTarget(c.position, c.duration);
        EXPECT_TRUE(std::isfinite(target));
        EXPECT_DOUBLE_EQ(target, c.target);
    }
}

TEST(ScrubBarRules, PointerPositionAndDrawnFraction)
{
    struct Case {
        double x;
        double width;
        double position;
    };
    const Case cases[] = {
        {50, 200, 0.25}, {0, 200, 0},  {200, 200, 1}, {-10, 200, 0}, {250, 200, 1},
        // A bar without width, or positions that are no number, give 0.
        {50, 0, 0},      {50, -4, 0},  {nan, 200, 0}, {50, nan, 0},  {infinity, 200, 1},
        {-infinity, 200, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " on " << c.width);
        EXPECT_DOUBLE_EQ(ScrubBar::position(c.x, c.width), c.position);
    }
    const std::pair<double, double> fractions[] = {{0.3, 0.3}, {-0.2, 0}, {1.7, 1}, {nan, 0}, {infinity, 1}, {-infinity, 0}};
    for (const auto &[fraction, drawn] : fractions) {
        SCOPED_TRACE(fraction);
        EXPECT_DOUBLE_EQ(ScrubBar::drawnFraction(fraction), drawn);
    }
}

TEST(WeatherPillRules, ContentBySetting)
{
    using SunEvent = WeatherModel::SunEvent;
    struct Case {
        LockWeatherInfo info;
        std::optional<double> temperature;
        std::optional<int> code;
        bool isDay;
        std::optional<int> chance;
        std::optional<SunEvent> sun;
        const char *symbol;
        const char *text;
    };
    const SunEvent sunset{QStringLiteral("sunset.fill"), QStringLiteral("19:48")};
    const Case cases[] = {
        {LockWeatherInfo::conditions, 21.5, 63, false, std::nullopt, std::nullopt, "cloud.rain.fill", "22°  Chuva"},
        {LockWeatherInfo::conditions, -0.4, 2, false, std::nullopt, std::nullopt, "cloud.moon.fill", "0°  Parcialmente nublado"},
        // Nothing known yet: code 0 by day, no temperature.
        {LockWeatherInfo::conditions, std::nullopt, std::nullopt, true, std::nullopt, std::nullopt, "sun.max.fill", "  Céu limpo"},
        {LockWeatherInfo::sun, 20, 0, true, 10, sunset, "sunset.fill", "19:48"},
        {LockWeatherInfo::sun, 20, 0, true, 10, std::nullopt, "sunrise.fill", "--:--"},
        {LockWeatherInfo::precipitation, 20, 0, true, 40, sunset, "umbrella.fill", "40% de chuva"},
        {LockWeatherInfo::precipitation, 20, 0, true, std::nullopt, sunset, "umbrella.fill", "0% de chuva"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const WeatherPill::Content content = WeatherPill::content(c.info, c.temperature, c.code, c.isDay, c.chance, c.sun);
        EXPECT_EQ(content.symbol, QString::fromUtf8(c.symbol));
        EXPECT_EQ(content.text, QString::fromUtf8(c.text));
    }
}

TEST(WeatherPillRules, PaddingAroundSymbolAndText)
{
    const WeatherPill::Layout shortText = WeatherPill::layout(QStringLiteral("9°  Neve"));
    const WeatherPill::Layout longText = WeatherPill::layout(QStringLiteral("22°  Parcialmente nublado"));
    for (const WeatherPill::Layout &layout : {shortText, longText}) {
        EXPECT_DOUBLE_EQ(layout.symbol.left(), 16);
        EXPECT_DOUBLE_EQ(layout.text.left(), layout.symbol.right() + 7);
        EXPECT_DOUBLE_EQ(layout.size.width(), layout.text.right() + 16);
        EXPECT_DOUBLE_EQ(layout.size.height(), std::max(layout.symbol.height(), layout.text.height()) + 18);
        EXPECT_DOUBLE_EQ(layout.symbol.center().y(), layout.size.height() / 2);
        EXPECT_DOUBLE_EQ(layout.text.center().y(), layout.size.height() / 2);
    }
    EXPECT_GT(longText.size.width(), shortText.size.width());
    EXPECT_EQ(longText.size.height(), shortText.size.height());
}

TEST(LockPlayerRules, FormAndVisibility)
{
    // Large only while expanded without the lyrics.
    EXPECT_FALSE(LockScreenPlayerView::isLarge(false, false));
    EXPECT_TRUE(LockScreenPlayerView::isLarge(true, false));
    EXPECT_FALSE(LockScreenPlayerView::isLarge(true, true));
    EXPECT_FALSE(LockScreenPlayerView::isLarge(false, true));
    // The progress row goes only for a song without a length; it stays
    // while there is no media at all.
    EXPECT_TRUE(LockScreenPlayerView::showsProgress(true, 200));
    EXPECT_FALSE(LockScreenPlayerView::showsProgress(true, 0));
    EXPECT_TRUE(LockScreenPlayerView::showsProgress(false, 0));
    EXPECT_EQ(LockScreenPlayerView::expandSymbol(false), QStringLiteral("arrow.up.left.and.arrow.down.right"));
    EXPECT_EQ(LockScreenPlayerView::expandSymbol(true), QStringLiteral("arrow.down.right.and.arrow.up.left"));
    EXPECT_EQ(LockScreenPlayerView::playSymbol(true), QStringLiteral("pause.fill"));
    EXPECT_EQ(LockScreenPlayerView::playSymbol(false), QStringLiteral("play.fill"));
    EXPECT_EQ(LockScreenPlayerView::artworkShadow(false), (LockScreenPlayerView::Shadow{0.2, 8, 4}));
    EXPECT_EQ(LockScreenPlayerView::artworkShadow(true), (LockScreenPlayerView::Shadow{0.35, 20, 10}));
    EXPECT_DOUBLE_EQ(LockScreenPlayerView::artworkRadius(60), 12);
    EXPECT_DOUBLE_EQ(LockScreenPlayerView::artworkRadius(300), 22);
}

using Form = LockScreenPlayerView::Form;

TEST(LockPlayerLayout, CompactCardStandsTenPointsAboveTheBottom)
{
    const auto layout = LockScreenPlayerView::layout(Form{false, {}, true, false, true, true});
    // 360 wide, centred in the 440-point box, bottom 10 points above its edge.
    EXPECT_EQ(layout.card.left(), 40);
    EXPECT_EQ(layout.card.width(), 360);
    EXPECT_EQ(layout.card.bottom(), 630);
    // 20 points of padding; the 60-point artwork leads the header, the
    // titles 14 points after it, centred on it.
    EXPECT_EQ(layout.artwork, QRectF(60, layout.card.top() + 20, 60, 60));
    EXPECT_EQ(layout.title.left(), 134);
    EXPECT_EQ(layout.title.right(), 380);
    EXPECT_EQ(layout.title.height(), 20);
    EXPECT_EQ(layout.artist.top(), layout.title.bottom() + 2);
    EXPECT_NEAR((layout.title.top() + layout.artist.bottom()) / 2, layout.artwork.center().y(), 0.01);
    // Progress 18 below the header, controls 10 below it, volume 12 below
    // them, 20 of padding under it.
    EXPECT_EQ(layout.progress, QRectF(60, layout.artwork.bottom() + 18, 320, ProgressRow::height()));
    EXPECT_EQ(layout.controls.top(), layout.progress.bottom() + 10);
    EXPECT_EQ(layout.controls.height(), MediaButton::height);
    EXPECT_EQ(layout.volume, QRectF(60, layout.controls.bottom() + 12, 320, VolumeRow::height));
    EXPECT_EQ(layout.card.bottom(), layout.volume.bottom() + 20);
    EXPECT_EQ(layout.height, layout.card.height());
}

TEST(LockPlayerLayout, ControlsRowSpreadsItsButtons)
{
    const auto layout = LockScreenPlayerView::layout(Form{false, {}, true, false, true, false});
    ASSERT_EQ(layout.buttons.size(), 5);
    // Lyrics at the leading edge, expand at the trailing one, the transport
    // 30 points apart in the middle.
    EXPECT_EQ(layout.buttons[0].left(), 60);
    EXPECT_EQ(layout.buttons[4].right(), 380);
    EXPECT_EQ(layout.buttons[2].center().x(), 220);
    EXPECT_EQ(layout.buttons[2].left(), layout.buttons[1].right() + 30);
    EXPECT_EQ(layout.buttons[3].left(), layout.buttons[2].right() + 30);
    for (const QRectF &button : layout.buttons)
        EXPECT_EQ(button.top(), layout.controls.top());
}

TEST(LockPlayerLayout, LargeCardPutsTheArtworkAboveCentredTitles)
{
    const auto layout = LockScreenPlayerView::layout(Form{false, {}, true, true, true, true});
    EXPECT_EQ(layout.artwork, QRectF(70, layout.card.top() + 20, 300, 300));
    EXPECT_EQ(layout.title, QRectF(60, layout.artwork.bottom() + 16, 320, 22));
    EXPECT_EQ(layout.artist.top(), layout.title.bottom() + 2);
    EXPECT_EQ(layout.progress.top(), layout.artist.bottom() + 18);
    EXPECT_EQ(layout.card.bottom(), 630);
    EXPECT_GT(layout.height, 300 + 40);
}

TEST(LockPlayerLayout, LeftOutRowsShrinkTheCard)
{
    const auto full = LockScreenPlayerView::layout(Form{false, {}, true, false, true, true});
    const auto noProgress = LockScreenPlayerView::layout(Form{false, {}, true, false, false, true});
    const auto noVolume = LockScreenPlayerView::layout(Form{false, {}, true, false, true, false});
    EXPECT_DOUBLE_EQ(full.height - noProgress.height, 18 + ProgressRow::height());
    EXPECT_DOUBLE_EQ(noProgress.controls.top(), noProgress.artwork.bottom() + 10);
    EXPECT_DOUBLE_EQ(full.height - noVolume.height, 12 + VolumeRow::height);
    EXPECT_EQ(noVolume.card.bottom(), noVolume.controls.bottom() + 20);
}

TEST(LockPlayerLayout, PillStandsTwelvePointsAboveTheCard)
{
    const QSizeF pill(150, 36);
    const auto both = LockScreenPlayerView::layout(Form{true, pill, true, false, true, true});
    EXPECT_EQ(both.pill, QRectF(145, both.card.top() - 12 - 36, 150, 36));
    EXPECT_DOUBLE_EQ(both.height, both.card.height() + 12 + 36);
    // Alone, the pill takes the card's place at the bottom.
    const auto weatherOnly = LockScreenPlayerView::layout(Form{true, pill, false, false, true, true});
    EXPECT_EQ(weatherOnly.pill, QRectF(145, 630 - 36, 150, 36));
    EXPECT_DOUBLE_EQ(weatherOnly.height, 36);
    EXPECT_DOUBLE_EQ(LockScreenPlayerView::layout(Form{}).height, 0);
}

TEST(LockPlayerLayout, InterpolationMovesEveryRect)
{
    const auto compact = LockScreenPlayerView::layout(Form{false, {}, true, false, true, true});
    const auto large = LockScreenPlayerView::layout(Form{false, {}, true, true, true, true});
    const auto start = LockScreenPlayerView::interpolate(compact, large, 0);
    EXPECT_EQ(start.artwork, compact.artwork);
    EXPECT_EQ(start.card, compact.card);
    EXPECT_EQ(start.buttons, compact.buttons);
    EXPECT_EQ(LockScreenPlayerView::interpolate(compact, large, 1), large);
    const auto half = LockScreenPlayerView::interpolate(compact, large, 0.5);
    EXPECT_DOUBLE_EQ(half.artwork.width(), 180);
    EXPECT_DOUBLE_EQ(half.card.top(), (compact.card.top() + large.card.top()) / 2);
    EXPECT_DOUBLE_EQ(half.buttons[4].top(), (compact.buttons[4].top() + large.buttons[4].top()) / 2);
    // The published height is the destination's.
    EXPECT_DOUBLE_EQ(half.height, large.height);
}

} // namespace
