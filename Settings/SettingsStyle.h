#pragma once

#include <QColor>

// The program's accent colour and the dark palette of the settings window.
// The notch's views, banners and alert strips take the accent from here too,
// so one constant sets the program's look everywhere.
namespace SettingsStyle {

// A mint green.
inline QColor accent() { return QColor::fromRgbF(0.31f, 0.83f, 0.75f, 1.0f); }
inline QColor detailBackground() { return QColor::fromRgbF(0.155f, 0.155f, 0.155f, 1.0f); }
inline QColor sidebarBackground() { return QColor::fromRgbF(0.125f, 0.125f, 0.125f, 1.0f); }
inline QColor card() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.045f); }
inline QColor cardStroke() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.07f); }
inline QColor divider() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.07f); }
inline QColor tile() { return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.35f); }

} // namespace SettingsStyle
