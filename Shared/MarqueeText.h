#pragma once

#include "Support/Scheduler.h"

#include <QColor>
#include <QFont>
#include <QGraphicsObject>
#include <QList>
#include <QPixmap>

#include <optional>

// One line of styled text that stays still when it fits and otherwise, after
// a pause, glides left at a steady speed, followed by a second copy, fading
// out at both edges; the cycle starts over seamlessly. Shared by the song
// peek, the player and the lock screen. The offset is a pure function of the
// time since the scroll began; frames tick only while the text glides and is
// shown (nothing ticks during the pause).
class MarqueeText : public QGraphicsObject {
    Q_OBJECT
public:
    // One piece of the text with its own font and colour; the pieces flow
    // as one line.
    struct Run {
        QString text;
        QFont font;
        QColor color;

        bool operator==(const Run &) const = default;
    };
    using StyledText = QList<Run>;

    // Gap between the two copies, glide speed (points a second), pause
    // before each glide, and the width by which the text may exceed the
    // field before it scrolls.
    static constexpr double gap = 36;
    static constexpr double speed = 32;
    static constexpr double pauseDuration = 1.2;
    static constexpr double overflowTolerance = 1;
    // Where the edge fades of a scrolling line end and begin, as fractions
    // of the width.
    static constexpr double leadingFadeEnd = 0.06;
    static constexpr double trailingFadeStart = 0.92;

    // `alignment` places the text in its field when it fits.
    MarqueeText(Scheduler &scheduler, Qt::Alignment alignment, QGraphicsItem *parent = nullptr);
    ~MarqueeText() override;

    // A song's title and artist as one line: the title, and when there is
    // an artist a faint separator and the artist.
    static StyledText songLine(const QString &title, const QString &artist);

    // The text, and the identity it belongs to: a new identity starts from
    // rest (measured anew, not scrolling, with a new pause); new content
    // under the same identity keeps a scroll that has begun.
    void setContent(const StyledText &content, const QString &identity);
    // The field the text is shown in, from (0, 0).
    void setSize(const QSizeF &size);

    StyledText content() const { return m_content; }
    QSizeF size() const { return m_size; }
    // The width of the text on one line at its natural size.
    double textWidth() const { return m_textWidth; }
    bool overflows() const { return overflows(m_textWidth, m_size.width()); }
    // The scroll has begun (it never ends while the identity stays).
    bool isScrolling() const { return m_scrollStart.has_value(); }
    bool isTicking() const { return m_frames.isActive(); }
    // The horizontal offset of the text now (0 or negative).
    double offset() const;
    // Where the first copy of the text is drawn now, in the field.
    QRectF textRect() const;

    static bool overflows(double textWidth, double fieldWidth);
    // One glide: the distance from one copy to the next, in seconds.
    static double period(double textWidth);
    // The offset `elapsed` seconds after the scroll began.
    static double scrollOffset(double textWidth, double elapsed);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void measure();
    // Starts the scroll once the text overflows on screen, and runs the
    // frame tick only while it glides.
    void updateScrolling();
    double elapsed() const;
    double lineAscent() const;
    void renderLabel(qreal devicePixelRatio);

    Scheduler &m_scheduler;
    StyledText m_content;
    QString m_identity;
    const Qt::Alignment m_alignment;
    QSizeF m_size;
    double m_textWidth = 0;
    std::optional<MonotonicTime> m_scrollStart;
    RepeatingTimer m_frames;
    Delay m_pauseEnd;
    // The text drawn once at its natural size, copied at each frame.
    QPixmap m_label;
};
