#pragma once

#include <QColor>

// The shared "muted" red of the muted-microphone symbol, also used by the
// volume strip, the lock screen and settings.
namespace MicMutedIcon {

inline QColor red() { return QColor::fromRgbF(1.0f, 0.32f, 0.30f); }

} // namespace MicMutedIcon
