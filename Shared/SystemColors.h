#pragma once

#include <QColor>

// The named system colours the app uses (dark appearance).
namespace SystemColors {

inline QColor red() { return QColor(255, 69, 58); }
inline QColor orange() { return QColor(255, 159, 10); }
inline QColor yellow() { return QColor(255, 214, 10); }
inline QColor green() { return QColor(48, 209, 88); }
inline QColor blue() { return QColor(10, 132, 255); }
inline QColor purple() { return QColor(191, 90, 242); }
inline QColor pink() { return QColor(255, 55, 95); }
inline QColor cyan() { return QColor(100, 210, 255); }

} // namespace SystemColors
