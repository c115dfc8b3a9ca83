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

void CalendarDayIcon::paint(QPainter &painter, const QRectF &box, const QDate &date)
{
    const double size = box.width();
    QPainterPath sheet;
    sheet.addRoundedRect(box, 0.26 * size, 0.26 * size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(sheet);
    painter.fillPath(sheet, Qt::white);
    painter.fillRect(QRectF(box.left(), box.top(), size, 0.26 * size), SystemColors::red());
    painter.setFont(Typography::systemFont(0.5 * size, QFont::DemiBold));
    painter.setPen(Qt::black);
    // The day field alone: no leading zero, in the user's digits.
    painter.drawText(box.translated(0, 0.1 * size), Qt::AlignCenter, QLocale::system().toString(date, QStringLiteral("d")));
    painter.restore();
}
