#pragma once

#include "NowPlaying/LyricsModel.h"
#include "Support/FrameAnimation.h"
#include "Support/Scheduler.h"
#include "Support/Spring.h"

#include <QGraphicsObject>
#include <QList>
#include <QProperty>
#include <QPropertyNotifier>

#include <functional>
#include <memory>

class AppModel;
class NowPlayingModel;

// The column of lyric lines: the current line bright and full size, the
// others dim and slightly smaller (all alike for untimed lyrics), gliding on
// a spring so the current line sits in the middle, faded out over the top
// and bottom 18 %.
class LyricsLayerView : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double fontSize = 32;
    static constexpr double lineSpacing = 20;
    static constexpr double fadeFraction = 0.18;
    static constexpr double styleDuration = 0.35;
    // The scroll's spring.
    static constexpr double stiffness = 170;
    static constexpr double damping = 22;
    static constexpr double mass = 1;

    struct Style {
        double opacity = 1;
        double scale = 1;
        bool operator==(const Style &) const = default;
    };
    static Style style(bool synced, bool isCurrent);
    static const Spring &spring();

    LyricsLayerView(Scheduler &scheduler, const QSizeF &size, QGraphicsItem *parent = nullptr);
    ~LyricsLayerView() override;

    // New lines or a new synced flag lay the column out again and jump to
    // the current line; a new current line alone restyles the lines over
    // 0.35 s and scrolls there on the spring. `current` is clamped to the
    // lines.
    void update(const QList<LyricLine> &lines, bool synced, int current);
    // A new width wraps the lines again and jumps to the current line.
    void setSize(const QSizeF &size);

    int current() const { return m_current; }
    // Each line's rectangle in the column, before the scroll.
    QList<QRectF> lineFrames() const { return m_lineFrames; }
    // The column's vertical offset on screen now.
    double scrollOffset() const;
    // The offset the scroll rests at: the current line's centre in the
    // middle of the view.
    double scrollTarget() const { return m_scrollTarget; }
    bool isScrolling() const { return m_scroll.isRunning(); }
    // The style each line shows now.
    Style shownStyle(int line) const;

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void rebuild();
    void restyle(bool animated);
    void scroll(bool animated);

    QSizeF m_size;
    QList<LyricLine> m_lines;
    QList<QRectF> m_lineFrames;
    bool m_synced = true;
    int m_current = 0;
    double m_laidOutWidth = 0;
    // Styles at the start of the restyle, and the targets.
    QList<Style> m_stylesFrom;
    QList<Style> m_styles;
    FrameAnimation m_restyle;
    double m_scrollFrom = 0;
    double m_scrollTarget = 0;
    FrameAnimation m_scroll;
};

// Which line is being sung: the position of the song, 0.3 s ahead so each
// line lights up slightly before it is sung, looked up on every tick of a
// 0.25 s timer while the scroller lives.
class LyricsScroller {
public:
    static constexpr double tickInterval = 0.25;
    static constexpr double lead = 0.3;

    // The index of the last line that starts at or before `seconds`; 0 for
    // no lines or a time before the first line.
    static int lineIndex(const QList<LyricLine> &lines, double seconds);

    // Computes the current line at once and calls `changed` with it, then
    // again at each tick that finds another line.
    LyricsScroller(Scheduler &scheduler, const NowPlayingModel &nowPlaying, QList<LyricLine> lines,
                   std::function<void(int current)> changed);

    int current() const { return m_current; }

private:
    int lineNow() const;

    Scheduler &m_scheduler;
    const NowPlayingModel &m_nowPlaying;
    QList<LyricLine> m_lines;
    std::function<void(int)> m_changed;
    int m_current = 0;
    RepeatingTimer m_ticker;
};

// The lyrics of the current song as the lyrics model has them: the scrolling
// column for timed and untimed lines, a message while they load or when the
// song has none.
class LyricsView : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double messageSize = 22;

    LyricsView(AppModel &model, const QSizeF &size, QGraphicsItem *parent = nullptr);
    ~LyricsView() override;

    void setSize(const QSizeF &size);
    // The message shown instead of lines; empty while lines show.
    QString message() const { return m_message; }
    // The column while lines show.
    LyricsLayerView *layerView() const { return m_layer; }

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void show(const LyricsContent &content);

    AppModel &m_model;
    QSizeF m_size;
    QString m_message;
    LyricsLayerView *m_layer = nullptr;
    std::unique_ptr<LyricsScroller> m_scroller;
    QProperty<LyricsContent> m_content;
    QPropertyNotifier m_contentNotifier;
};
