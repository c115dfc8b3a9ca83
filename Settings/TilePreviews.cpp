#include "Settings/TilePreviews.h"

#include "Platform/Symbols.h"
#include "Settings/SettingsText.h"
#include "Settings/SidebarIcon.h"
#include "Shared/Typography.h"

#include <QPainter>

namespace {

QRectF centredSquare(const QPointF &centre, double side)
{
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

} // namespace

void paintTileSymbol(QPainter &painter, const QRectF &box, const QString &name)
{
    Symbols::draw(painter, centredSquare(box.center(), 17), name, SettingsText::secondary());
}

void paintTileText(QPainter &painter, const QRectF &box, const QString &symbol, const QString &text)
{
    const QFont font = Typography::systemFont(14, QFont::DemiBold);
    const double symbolSide = 14;
    const double textWidth = text.isEmpty() ? 0 : Typography::width(text, font);
    const double spacing = text.isEmpty() ? 0 : 5;
    const double left = box.center().x() - (symbolSide + spacing + textWidth) / 2;
    Symbols::draw(painter, QRectF(left, box.center().y() - symbolSide / 2, symbolSide, symbolSide), symbol, Qt::white);
    if (text.isEmpty())
        return;
    const QRectF textBox(left + symbolSide + spacing, box.top(), textWidth + 1, box.height());
    Typography::drawLine(painter, textBox, text, font, SettingsText::primary());
}

void paintTilePlayIcon(QPainter &painter, const QRectF &box)
{
    const QRectF square = centredSquare(box.center(), 22);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(SidebarIcon::gradient(SettingsPages::color(SettingsPageID::nowPlaying), square));
    painter.drawRoundedRect(square, 5, 5);
    painter.restore();
    Symbols::draw(painter, centredSquare(box.center(), 10), QStringLiteral("play.fill"), Qt::white);
}
