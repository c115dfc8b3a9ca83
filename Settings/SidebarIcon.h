#pragma once

#include "Settings/SettingsPageID.h"

#include <QBrush>
#include <QDate>
#include <QWidget>

class QPainter;

// A page's icon: a rounded square in the page's colour with its white symbol;
// the calendar page shows today's day on a tear-off sheet instead.
class SidebarIcon : public QWidget {
    Q_OBJECT
public:
    SidebarIcon(SettingsPageID page, int size, QWidget *parent = nullptr);

    static void paint(QPainter &painter, const QRectF &box, SettingsPageID page);
    // The fill of an icon square in `color`: a slightly lighter top shading
    // into the colour.
    static QBrush gradient(const QColor &color, const QRectF &box);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const SettingsPageID m_page;
};

// A tear-off calendar sheet with the day of `date` (today when drawn through
// SidebarIcon).
namespace CalendarDayIcon {

// The sheet's measures for an icon `size` points wide.
struct Geometry {
    double cornerRadius;
    double bandHeight;
    double digitSize;
    // How far the digits sit below the sheet's centre.
    double digitOffset;
};
Geometry geometry(double size);

// The day of the month as the icon shows it: no leading zero.
QString dayText(const QDate &date);

void paint(QPainter &painter, const QRectF &box, const QDate &date);

} // namespace CalendarDayIcon
