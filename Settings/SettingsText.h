#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// The text styles of the settings window on its dark background: the
// primary, secondary and tertiary foreground and labels set in them.
namespace SettingsText {

inline QColor primary() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.85f); }
inline QColor secondary() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.55f); }
inline QColor tertiary() { return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.25f); }

// A label of `text` in the system font at `size` points, `weight`, `color`.
QLabel *label(const QString &text, double size, QFont::Weight weight, const QColor &color, QWidget *parent = nullptr);

} // namespace SettingsText
