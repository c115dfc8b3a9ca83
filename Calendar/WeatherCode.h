#pragma once

#include <QString>

// The symbol and Portuguese label of a WMO weather interpretation code, as
// the forecast service reports it. Codes outside the table read as cloudy.
class WeatherCode {
public:
    WeatherCode() = delete;

    // Clear and partly cloudy skies have a night variant.
    static QString symbol(int code, bool isDay);
    static QString label(int code);
};
