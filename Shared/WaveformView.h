#pragma once

#include "App/Preferences.h"
#include "Support/Scheduler.h"

#include <QColor>
#include <QGraphicsObject>
#include <QList>

#include <array>

// The small level meter beside the artwork: five thin rounded bars that
// bounce at their own speeds while playing and sink to dots when playback
// stops, filled left to right with the colours of the waveform style. Each
// bar's height is a pure function of the time since the bounce or the stop
// began; a frame tick runs only while a bar moves and the view is shown, so
// a stopped meter or a hidden one costs no frames.
class WaveformView : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr int barCount = 5;
    static constexpr double barWidth = 2.2;
    static constexpr double barCornerRadius = 1.1;
    // Vertical scale of a bar at the low end of its bounce.
    static constexpr double lowScale = 0.25;
    // Height scale at the top of each bar's bounce, and the seconds it
    // takes from low to high.
    static constexpr std::array<double, barCount> peaks{0.75, 1.0, 0.85, 0.95, 0.7};
    static constexpr std::array<double, barCount> durations{0.42, 0.31, 0.47, 0.36, 0.52};
    // Each bar starts this much after the one on its left.
    static constexpr double stagger = 0.07;
    static constexpr double stopDuration = 0.25;

    explicit WaveformView(Scheduler &scheduler, QGraphicsItem *parent = nullptr);
    ~WaveformView() override;

    // The colours of a style: monochrome white at 90 %, the tint, or the
    // tint fading through orange to pink.
    static QList<QColor> colors(WaveformStyle style, const QColor &tint);

    // Sets the play state and the colours; equal values change nothing (a
    // running bounce is not restarted).
    using QGraphicsObject::update;
    void update(bool isPlaying, const QList<QColor> &colors);
    // The rectangle the view fills, from (0, 0). Every new size starts the
    // current state again: the bounce from the low position, or the sink
    // from the bars' present heights.
    void setSize(const QSizeF &size);

    QSizeF size() const { return m_size; }
    bool isPlaying() const { return m_isPlaying; }
    QList<QColor> colors() const { return m_colors; }
    bool isAnimating() const { return m_frames.isActive(); }
    // The vertical scale of each bar now (1 = the view's full height).
    double barScale(int bar) const;
    // Bar `bar`'s rectangle at its present scale.
    QRectF barRect(int bar) const;
    // Frames drawn by the frame tick since the view was made.
    quint64 frameCount() const { return m_frameCount; }

    // The centre of bar `bar` in a view `width` wide: the first touches the
    // left edge, the last the right, with four equal gaps between.
    static double barCentre(int bar, double width);
    // The scale of a bounce that began `elapsed` seconds ago.
    static double playingScale(int bar, double elapsed);
    // The scale of a sink from `from` to `dot` that began `elapsed` ago.
    static double stoppingScale(double from, double dot, double elapsed);
    // The scale at which a bar of a view `height` high is a round dot.
    static double dotScale(double height);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    using Scales = std::array<double, barCount>;
    Scales presentScales() const;
    // Starts the current state from the bars' present scales.
    void applyAnimations(const Scales &present);
    void updateFrames();
    double elapsed() const;

    Scheduler &m_scheduler;
    QSizeF m_size;
    bool m_isPlaying = false;
    QList<QColor> m_colors{QColor(Qt::white)};
    // The scales each bar sinks from, and when the current state began; no
    // start before the first layout with a height.
    std::array<double, barCount> m_stopFrom{};
    std::optional<MonotonicTime> m_start;
    RepeatingTimer m_frames;
    quint64 m_frameCount = 0;
};
