#include "Platform/ApplicationIdentifiers.h"

#include <array>
#include <utility>

namespace ApplicationIdentifiers {

std::optional<QString> desktopIdentifier(const QString &macIdentifier)
{
    static constexpr std::array<std::pair<const char *, const char *>, 2> table{{
        {"com.spotify.client", "spotify"},
        {"com.apple.Music", "org.gnome.Music"},
    }};
    for (const auto &[mac, desktop] : table) {
        if (macIdentifier == QLatin1String(mac))
            return QString::fromLatin1(desktop);
    }
    return std::nullopt;
}

} // namespace ApplicationIdentifiers
