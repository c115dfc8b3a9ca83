#pragma once

#include "App/Preferences.h"

#include <QColor>

class QPainter;
class QPainterPath;

// The lock screen's stand-in for a glass material under the player card and
// the weather pill: a dark translucent fill with a faint light edge. The
// regular variant is more opaque than the clear one. (The panel cannot blur
// what the screen shows behind it.)
namespace Glass {

QColor fill(LockPlayerStyle style);
QColor edge(LockPlayerStyle style);
void draw(QPainter &painter, const QPainterPath &shape, LockPlayerStyle style);

} // namespace Glass
