#include "Platform/ApplicationIdentifiers.h"

#include <array>
#include <utility>

namespace ApplicationIdentifiers {

QStringList desktopIdentifiers(const QString &macIdentifier)
{
    // One row per desktop id; an application packaged several ways has a
    // row for each (the distribution's package, Flatpak, Snap's
    // `<snap>_<app>`).
    static constexpr std::array<std::pair<const char *, const char *>, 4> table{{
        {"com.spotify.client", "spotify"},
        {"com.spotify.client", "com.spotify.Client"},
        {"com.spotify.client", "spotify_spotify"},
        {"com.apple.Music", "org.gnome.Music"},
    }};
    QStringList identifiers;
    for (const auto &[mac, desktop] : table) {
        if (macIdentifier == QLatin1String(mac))
            identifiers.append(QString::fromLatin1(desktop));
    }
    return identifiers;
}

} // namespace ApplicationIdentifiers
