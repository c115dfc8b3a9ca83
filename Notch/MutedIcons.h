#pragma once

#include <QGraphicsObject>

// The struck-through speaker and microphone in the muted red, side by side
// (speaker first), each only when asked for. It keeps its natural size.
class MutedIcons : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double speakerSize = 11.5;
    static constexpr double microphoneSize = 12;
    static constexpr double spacing = 5;

    explicit MutedIcons(QGraphicsItem *parent = nullptr);

    void setMuted(bool mic, bool sound);
    bool showsMic() const { return m_mic; }
    bool showsSound() const { return m_sound; }

    // Where each symbol goes; an empty rectangle for one not shown.
    QRectF speakerRect() const;
    QRectF microphoneRect() const;
    QSizeF naturalSize() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    bool m_mic = false;
    bool m_sound = false;
};
