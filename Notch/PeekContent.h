#pragma once

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

class CompactNotchContent;
class MarqueeText;
class NotchViewModel;

// The song peek: the media strip on top and, below it, the new song's title
// and artist on one scrolling line. A click anywhere in it brings the
// playing application forward.
class PeekContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double lineHeight = 16;
    static constexpr double lineHorizontalPadding = 16;
    static constexpr double lineBottomPadding = 8;

    struct Song {
        QString title;
        QString artist;

        bool operator==(const Song &) const = default;
    };

    PeekContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    ~PeekContent() override;

    // The rectangle the content fills, from (0, 0): the peek's size.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    // The song the line shows: the diagnostic demo song when set, else the
    // current one.
    Song song() const { return m_song.value(); }
    CompactNotchContent *strip() const { return m_strip; }
    MarqueeText *line() const { return m_line; }

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void showSong();

    NotchViewModel &m_viewModel;
    QSizeF m_size;
    CompactNotchContent *m_strip;
    MarqueeText *m_line;
    QProperty<Song> m_song;
    QPropertyNotifier m_songNotifier;
};
