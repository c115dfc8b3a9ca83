#pragma once

#include <QString>

#include <functional>

// The texts of the sliders' value pills.
namespace SettingsValueText {

// The value cut to a whole number (toward zero), then `unit`: 3.7 and "s"
// read "3s", -20 and "px" read "-20px". A value that is not a finite number
// reads "–" and the unit.
QString wholeNumber(double value, const QString &unit);

// A slider's value text: `wholeNumber` with `unit`.
std::function<QString(double)> inWholeUnits(const QString &unit);

} // namespace SettingsValueText
