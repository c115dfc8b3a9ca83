#pragma once

#include "Support/Scheduler.h"

#include <QDateTime>
#include <QGraphicsObject>

// The lock screen's large clock: the date above the time, centred in a box
// of the given width from its top edge, in white with a soft shadow. The text
// changes at every minute boundary of the wall clock.
class LockClockView : public QGraphicsObject {
    Q_OBJECT
public:
    static constexpr double dateSize = 22;
    static constexpr double compactDateSize = 17;
    static constexpr double timeSize = 112;
    static constexpr double compactTimeSize = 64;
    static constexpr double spacing = 8;

    LockClockView(Scheduler &scheduler, double width, QGraphicsItem *parent = nullptr);
    ~LockClockView() override;

    // 0: the full-size clock; 1: the compact one (while the lyrics show);
    // between the two while the change animates.
    void setCompactness(double compactness);
    double compactness() const { return m_compactness; }

    // "segunda-feira, 2 de março" and "09:41".
    static QString dateText(const QDateTime &moment);
    static QString timeText(const QDateTime &moment);
    QString shownDate() const { return dateText(m_entry); }
    QString shownTime() const { return timeText(m_entry); }

    QFont dateFont() const;
    QFont timeFont() const;
    // The two lines' rectangles in the item.
    QRectF dateRect() const;
    QRectF timeRect() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    // Shows the minute the wall clock is in and waits for the next one.
    void tick();

    Scheduler &m_scheduler;
    const double m_width;
    double m_compactness = 0;
    QDateTime m_entry;
    Delay m_nextMinute;
};
