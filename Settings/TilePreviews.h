#pragma once

#include <QRectF>
#include <QString>

class QPainter;

// The small pictures that the settings pages put into their tiles
// (TileOption::preview), each centred in `box`.

// The symbol `name`, 17 points, in the secondary colour.
void paintTileSymbol(QPainter &painter, const QRectF &box, const QString &name);
// The symbol `symbol` followed, 5 points apart, by `text` at 14 points, semibold.
void paintTileText(QPainter &painter, const QRectF &box, const QString &symbol, const QString &text);
// The now-playing page's icon: a 22-point rounded square with "play.fill".
void paintTilePlayIcon(QPainter &painter, const QRectF &box);
