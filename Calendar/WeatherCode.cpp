#include "Calendar/WeatherCode.h"

namespace {

struct Entry {
    QString daySymbol;
    QString nightSymbol;
    QString label;
};

Entry entry(int code)
{
    auto same = [](const char *symbol, const char *label) {
        return Entry{QString::fromLatin1(symbol), QString::fromLatin1(symbol), QString::fromUtf8(label)};
    };
    auto in = [code](int first, int last) { return code >= first && code <= last; };
    if (code == 0)
        return Entry{QStringLiteral("sun.max.fill"), QStringLiteral("moon.stars.fill"), QStringLiteral("Céu limpo")};
    if (code == 1)
        return Entry{QStringLiteral("cloud.sun.fill"), QStringLiteral("cloud.moon.fill"), QStringLiteral("Quase limpo")};
    if (code == 2)
        return Entry{QStringLiteral("cloud.sun.fill"), QStringLiteral("cloud.moon.fill"), QStringLiteral("Parcialmente nublado")};
    if (code == 45 || code == 48)
        return same("cloud.fog.fill", "Neblina");
    if (in(51, 57))
        return same("cloud.drizzle.fill", "Garoa");
    if (in(61, 64) || code == 66 || code == 67 || code == 80 || code == 81)
        return same("cloud.rain.fill", "Chuva");
    if (code == 65 || code == 82)
        return same("cloud.heavyrain.fill", "Chuva forte");
    if (in(71, 77) || code == 85 || code == 86)
        return same("cloud.snow.fill", "Neve");
    if (in(95, 99))
        return same("cloud.bolt.rain.fill", "Tempestade");
    // 3, and every code the table does not name.
    return same("cloud.fill", "Nublado");
}

} // namespace

QString WeatherCode::symbol(int code, bool isDay)
{
    const Entry found = entry(code);
    return isDay ? found.daySymbol : found.nightSymbol;
}

QString WeatherCode::label(int code)
{
    return entry(code).label;
}
