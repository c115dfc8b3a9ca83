#pragma once

#include "Support/FrameAnimation.h"

#include <QColor>
#include <QFont>
#include <QGraphicsObject>

#include <functional>

// A one-line text that is a function of the time, read again on a fixed
// period while it is shown (the countdowns of the notch strips): a changed
// reading cross-fades over the old one. A hidden text keeps no timer.
class TimelineText : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double transitionDuration = 0.25;

    // `text` gives the text at a date; it is read every `interval` seconds
    // from the moment the text is shown.
    TimelineText(Scheduler &scheduler, double interval, std::function<QString(const QDateTime &)> text, QGraphicsItem *parent = nullptr);
    ~TimelineText() override;

    void setStyle(const QFont &font, const QColor &color);
    void setAlignment(Qt::Alignment horizontal);
    // The rectangle the text is drawn in, from (0, 0); the text is elided
    // to its width.
    void setSize(const QSizeF &size);
    // Reads the text again at once, without a transition (its inputs
    // changed).
    void refresh();

    QString text() const { return m_text; }
    QFont font() const { return m_font; }
    QColor color() const { return m_color; }
    QSizeF size() const { return m_size; }
    // The width of the current text at its natural size.
    double naturalWidth() const;
    bool isTicking() const { return m_ticks.isActive(); }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

Q_SIGNALS:
    void textChanged();

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    enum class Change { animated, immediate };
    void read(Change change);
    void updateTicking();

    Scheduler &m_scheduler;
    double m_interval;
    std::function<QString(const QDateTime &)> m_textAt;
    QFont m_font;
    QColor m_color = Qt::white;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QSizeF m_size;
    QString m_text;
    QString m_previousText;
    RepeatingTimer m_ticks;
    FrameAnimation m_transition;
};
