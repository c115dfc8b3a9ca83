#include "Settings/SettingsValueText.h"

#include <cmath>

QString SettingsValueText::wholeNumber(double value, const QString &unit)
{
    if (!std::isfinite(value))
        return QStringLiteral("–") + unit;
    // Adding zero turns the -0 of a cut -0.5 into 0; a double is formatted
    // without converting it to an integer type, so no value overflows.
    return QString::number(std::trunc(value) + 0.0, 'f', 0) + unit;
}

std::function<QString(double)> SettingsValueText::inWholeUnits(const QString &unit)
{
    return [unit](double value) { return wholeNumber(value, unit); };
}
