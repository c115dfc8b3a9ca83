#pragma once

#include "Support/FrameAnimation.h"

#include <QGraphicsObject>
#include <QPropertyNotifier>

class AppModel;

// The running countdown inside the compact notch: a timer symbol on the left,
// the remaining time on the right. While a countdown runs and the strip is
// shown, the time is read again once a second; a new reading cross-fades
// over the old one. Without a countdown it reads 0:00 and nothing ticks.
class TimerCompactContent : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double horizontalPadding = 16;
    static constexpr double symbolSize = 13;
    static constexpr double textSize = 12;
    static constexpr double tickInterval = 1;
    static constexpr double transitionDuration = 0.25;

    // Where the symbol and the time go in a content of a given size.
    struct Layout {
        QRectF symbol;
        QRectF text;

        bool operator==(const Layout &) const = default;
    };

    // `notchHeight` is the height of the compact notch the strip sits in.
    TimerCompactContent(AppModel &app, double notchHeight, QGraphicsItem *parent = nullptr);
    ~TimerCompactContent() override;

    // The rectangle the content fills, from (0, 0).
    void setSize(const QSizeF &size);
    QSizeF size() const { return m_size; }
    Layout layout() const { return m_layout; }
    // The remaining time as last read.
    QString text() const { return m_text; }
    bool isTicking() const { return m_ticks.isActive(); }

    static Layout layout(const QSizeF &size, double notchHeight);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    // Starts or stops the once-a-second reading: it runs only while a
    // countdown runs and the strip is on screen.
    void updateTicking();
    enum class Change { animated, immediate };
    void readRemainingTime(Change change);

    AppModel &m_app;
    double m_notchHeight;
    QSizeF m_size;
    Layout m_layout;
    QString m_text;
    // The reading being left while the new one fades in.
    QString m_previousText;
    RepeatingTimer m_ticks;
    FrameAnimation m_transition;
    QPropertyNotifier m_endDateNotifier;
};
