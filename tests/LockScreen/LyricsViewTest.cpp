#include "App/AppModel.h"
#include "LockScreen/LyricsView.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QList<LyricLine> linesAt(std::initializer_list<double> times)
{
    QList<LyricLine> lines;
    for (double time : times)
        lines.append(LyricLine{int(lines.size()), time, QStringLiteral("Linha %1").arg(lines.size())});
    return lines;
}

TEST(LyricsScroller, LineIndexIsTheLastLineStartedByThen)
{
    const QList<LyricLine> lines = linesAt({0, 5, 10});
    struct Row {
        const char *name;
        QList<LyricLine> lines;
        double seconds;
        int index;
    };
    const Row rows[] = {
        {"4.8 s with the lead", lines, 4.8 + LyricsScroller::lead, 1},
        {"4.6 s with the lead", lines, 4.6 + LyricsScroller::lead, 0},
        {"exactly at a line", lines, 10, 2},
        {"after the last line", lines, 300, 2},
        {"before the first line", linesAt({2, 5}), 1, 0},
        {"no lines", {}, 12, 0},
        {"lines starting together", linesAt({0, 5, 5, 5, 9}), 5, 3},
        {"one line", linesAt({3}), 4, 0},
    };
    for (const Row &row : rows)
        EXPECT_EQ(LyricsScroller::lineIndex(row.lines, row.seconds), row.index) << row.name;
}

TEST(LyricsLayerView, LineStyles)
{
    using Style = LyricsLayerView::Style;
    EXPECT_EQ(LyricsLayerView::style(true, true), (Style{1.0, 1.0}));
    EXPECT_EQ(LyricsLayerView::style(true, false), (Style{0.32, 0.97}));
    EXPECT_EQ(LyricsLayerView::style(false, true), (Style{0.85, 1.0}));
    EXPECT_EQ(LyricsLayerView::style(false, false), (Style{0.85, 1.0}));
}

class LyricsTest : public ::testing::Test {
protected:
    LyricsTest() { app = std::make_unique<AppModel>(platform.services()); }

    // Playback at `seconds`, playing at normal speed.
    void play(double seconds)
    {
        app->nowPlaying.handle(QJsonObject{{"type", "state"}, {"playing", 1}, {"title", "Song"}, {"elapsed", seconds}, {"rate", 1}});
    }
    void advance(double seconds) { platform.scheduler.advance(seconds); }

    FakePlatform platform;
    std::unique_ptr<AppModel> app;
};

TEST_F(LyricsTest, ScrollerFollowsPlaybackAQuarterSecondAtATime)
{
    play(4.6);
    QList<int> reported;
    LyricsScroller scroller(platform.scheduler, app->nowPlaying, linesAt({0, 5, 10}), [&](int current) { reported.append(current); });
    EXPECT_EQ(reported, QList<int>{0}) << "computed at once";

    advance(0.1);
    EXPECT_EQ(reported, QList<int>{0}) << "no tick yet";
    // At the tick 4.85 s + 0.3 s reach the line at 5 s.
    advance(0.15);
    EXPECT_EQ(reported, (QList<int>{0, 1}));
    advance(2);
    EXPECT_EQ(reported, (QList<int>{0, 1})) << "the same line is not reported again";
    EXPECT_EQ(scroller.current(), 1);
    advance(3);
    EXPECT_EQ(reported, (QList<int>{0, 1, 2}));
}

TEST_F(LyricsTest, ColumnCentresTheCurrentLine)
{
    LyricsLayerView column(platform.scheduler, QSizeF(600, 300));
    column.update(linesAt({0, 5, 10, 15}), true, 0);
    const QList<QRectF> frames = column.lineFrames();
    ASSERT_EQ(frames.size(), 4);
    // One-line rows, 20 points apart, as wide as the view.
    EXPECT_EQ(frames[0].top(), 0);
    EXPECT_GT(frames[0].height(), 30);
    EXPECT_EQ(frames[0].height(), std::ceil(frames[0].height()));
    EXPECT_EQ(frames[1].top(), frames[0].bottom() + 20);
    EXPECT_EQ(frames[1].width(), 600);
    EXPECT_EQ(column.scrollOffset(), 150 - frames[0].center().y()) << "new lines jump";
    EXPECT_FALSE(column.isScrolling());
    EXPECT_EQ(column.shownStyle(0), LyricsLayerView::style(true, true));
    EXPECT_EQ(column.shownStyle(1), LyricsLayerView::style(true, false));

    // A new current line: restyled over 0.35 s, scrolled on the spring.
    column.update(linesAt({0, 5, 10, 15}), true, 2);
    EXPECT_TRUE(column.isScrolling());
    const double target = 150 - frames[2].center().y();
    EXPECT_EQ(column.scrollTarget(), target);
    advance(0.1);
    EXPECT_GT(column.scrollOffset(), target);
    EXPECT_LT(column.scrollOffset(), 150 - frames[0].center().y());
    EXPECT_GT(column.shownStyle(2).opacity, 0.32);
    EXPECT_LT(column.shownStyle(2).opacity, 1);
    advance(0.3);
    EXPECT_EQ(column.shownStyle(2), LyricsLayerView::style(true, true));
    EXPECT_EQ(column.shownStyle(0), LyricsLayerView::style(true, false));
    advance(LyricsLayerView::spring().settlingDuration());
    EXPECT_FALSE(column.isScrolling());
    EXPECT_EQ(column.scrollOffset(), target);

    // A stale index is clamped to the last line.
    column.update(linesAt({0, 5, 10, 15}), true, 9);
    EXPECT_EQ(column.current(), 3);
}

TEST_F(LyricsTest, ColumnRewrapsAndJumpsOnANewWidth)
{
    QList<LyricLine> lines = linesAt({0, 5, 10});
    lines[1].text = QStringLiteral("Uma linha bem comprida que não cabe numa coluna estreita de jeito nenhum");
    LyricsLayerView column(platform.scheduler, QSizeF(900, 300));
    column.update(lines, true, 1);
    column.update(lines, true, 2);
    ASSERT_TRUE(column.isScrolling());
    const double wide = column.lineFrames()[1].height();

    column.setSize(QSizeF(300, 300));
    EXPECT_GT(column.lineFrames()[1].height(), wide) << "wrapped to more rows";
    EXPECT_FALSE(column.isScrolling());
    EXPECT_EQ(column.scrollOffset(), 150 - column.lineFrames()[2].center().y());
}

TEST_F(LyricsTest, UntimedLinesAreAllAlike)
{
    LyricsLayerView column(platform.scheduler, QSizeF(600, 300));
    column.update(linesAt({0, 4, 8}), false, 1);
    for (int line = 0; line < 3; ++line)
        EXPECT_EQ(column.shownStyle(line), (LyricsLayerView::Style{0.85, 1.0}));
    EXPECT_EQ(column.scrollOffset(), 150 - column.lineFrames()[1].center().y()) << "still scrolled to the current line";
}

TEST_F(LyricsTest, EmptyColumnNeverScrolls)
{
    LyricsLayerView column(platform.scheduler, QSizeF(600, 300));
    column.update({}, true, 3);
    EXPECT_EQ(column.current(), 0);
    EXPECT_TRUE(column.lineFrames().isEmpty());
    EXPECT_EQ(column.scrollOffset(), 0);
    EXPECT_FALSE(column.isScrolling());
}

TEST_F(LyricsTest, ZeroWidthLaysOutNothingUntilAWidthComes)
{
    LyricsLayerView column(platform.scheduler, QSizeF(0, 300));
    column.update(linesAt({0, 5}), true, 1);
    EXPECT_TRUE(column.lineFrames().isEmpty());
    column.setSize(QSizeF(500, 300));
    ASSERT_EQ(column.lineFrames().size(), 2);
    EXPECT_EQ(column.scrollOffset(), 150 - column.lineFrames()[1].center().y());
}

TEST_F(LyricsTest, ViewShowsTheLyricsModelsContent)
{
    LyricsView view(*app, QSizeF(600, 300));
    EXPECT_EQ(view.message(), "Buscando a letra…") << "none";
    EXPECT_EQ(view.layerView(), nullptr);

    app->lyrics.bindableContent().setValue(LyricsContent{LyricsContent::Kind::loading});
    EXPECT_EQ(view.message(), "Buscando a letra…");
    app->lyrics.bindableContent().setValue(LyricsContent{LyricsContent::Kind::notFound});
    EXPECT_EQ(view.message(), "Letra não encontrada para esta música");

    play(5.5);
    app->lyrics.bindableContent().setValue(LyricsContent::synced(linesAt({0, 5, 10})));
    EXPECT_TRUE(view.message().isEmpty());
    ASSERT_NE(view.layerView(), nullptr);
    EXPECT_EQ(view.layerView()->current(), 1) << "the line being sung at once";
    EXPECT_EQ(view.layerView()->shownStyle(1), LyricsLayerView::style(true, true));

    app->lyrics.bindableContent().setValue(LyricsContent::plain(linesAt({0, 4, 8})));
    ASSERT_NE(view.layerView(), nullptr);
    EXPECT_EQ(view.layerView()->shownStyle(0), LyricsLayerView::style(false, false));
    advance(3);
    EXPECT_EQ(view.layerView()->current(), 2) << "untimed lines scroll along too";
}

} // namespace
