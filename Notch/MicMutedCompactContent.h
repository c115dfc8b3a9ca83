#pragma once

#include <QGraphicsObject>
#include <QProperty>
#include <QPropertyNotifier>

#include <functional>

class MutedIcons;
class NotchViewModel;

// The compact mute strip: the struck-through speaker and microphone, as
// muted, at the leading edge and the word "Mudo" in the muted red at the
// trailing edge.
class MicMutedCompactContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 14;
    static constexpr double wordSize = 11.5;

    struct Muted {
        bool mic;
        bool sound;
        bool operator==(const Muted &) const = default;
    };

    // Follows the notch's mute flags.
    MicMutedCompactContent(NotchViewModel &viewModel, QGraphicsItem *parent = nullptr);
    // Follows `muted`, a binding: every property it reads is observed.
    MicMutedCompactContent(std::function<Muted()> muted, QGraphicsItem *parent = nullptr);
    ~MicMutedCompactContent() override;

    // The rectangle the content fills, from (0, 0): the compact state's
    // width and the notch's height.
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    MutedIcons *mutedIcons() const { return m_icons; }
    // Where the word is drawn.
    QRectF wordRect() const;

    QRectF boundingRect() const override { return QRectF(QPointF(), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    void relayout();

    QSizeF m_size;
    MutedIcons *m_icons;
    QProperty<Muted> m_muted;
    QPropertyNotifier m_mutedNotifier;
};
