#include "Settings/SidebarIcon.h"

#include "Platform/Symbols.h"
#include "Shared/SystemColors.h"
#include "Shared/Typography.h"

#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

SidebarIcon::SidebarIcon(SettingsPageID page, int size, QWidget *parent)
    : QWidget(parent)
    , m_page(page)
{
    setFixedSize(size, size);
}

QBrush SidebarIcon::gradient(const QColor &color, const QRectF &box)
{
    QLinearGradient shading(box.topLeft(), box.bottomLeft());
    shading.setColorAt(0, color.lighter(125));
    shading.setColorAt(1, color);
    return shading;
}

void SidebarIcon::paint(QPainter &painter, const QRectF &box, SettingsPageID page)
{
    if (page == SettingsPageID::calendar) {
        CalendarDayIcon::paint(painter, box, QDate::currentDate());
        return;
    }
    const double size = box.width();
    const QColor color = SettingsPages::color(page);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient(color, box));
    painter.drawRoundedRect(box, 0.28 * size, 0.28 * size);
    const double glyph = 0.52 * size;
    Symbols::draw(painter, QRectF(box.center().x() - glyph / 2, box.center().y() - glyph / 2, glyph, glyph), SettingsPages::symbol(page),
                  Qt::white);
    painter.restore();
}

void SidebarIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_page);
}

CalendarDayIcon::Geometry CalendarDayIcon::geometry(double size)
{
    return {0.26 * size, 0.26 * size, 0.5 * size, 0.1 * size};
}

QString CalendarDayIcon::dayText(const QDate &date)
{
    // The day field alone, in the user's digits.
    return QLocale::system().toString(date, QStringLiteral("d"));
}

void CalendarDayIcon::paint(QPainter &painter, const QRectF &box, const QDate &date)
{
    const Geometry measures = geometry(box.width());
    QPainterPath sheet;
    sheet.addRoundedRect(box, measures.cornerRadius, measures.cornerRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(sheet);
    painter.fillPath(sheet, Qt::white);
    painter.fillRect(QRectF(box.left(), box.top(), box.width(), measures.bandHeight), SystemColors::red());
    painter.setFont(Typography::systemFont(measures.digitSize, QFont::DemiBold));
    painter.setPen(Qt::black);
    painter.drawText(box.translated(0, measures.digitOffset), Qt::AlignCenter, dayText(date));
    painter.restore();
}
