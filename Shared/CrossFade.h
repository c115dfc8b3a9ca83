#pragma once

#include <QPainter>

#include <optional>

namespace CrossFade {

// Draws one piece of a view while it changes from `from` to `to` at
// `progress` (0...1): an unchanged piece once at full strength, a changed
// one as the old piece fading out over the new one fading in. Either side
// may be absent (a piece that appears or goes away).
template <typename Piece, typename Draw>
void draw(QPainter &painter, const std::optional<Piece> &from, const std::optional<Piece> &to, double progress, Draw &&drawPiece)
{
    if (from == to) {
        if (to)
            drawPiece(*to);
        return;
    }
    const double opacity = painter.opacity();
    if (from && progress < 1) {
        painter.setOpacity(opacity * (1 - progress));
        drawPiece(*from);
    }
    if (to && progress > 0) {
        painter.setOpacity(opacity * progress);
        drawPiece(*to);
    }
    painter.setOpacity(opacity);
}

} // namespace CrossFade
