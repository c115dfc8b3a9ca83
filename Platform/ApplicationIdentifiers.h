#pragma once

#include <QStringList>

// The few applications the product names by their macOS bundle identifiers,
// translated in this one table to the identifiers the same applications have
// here (their desktop-entry ids). One application can have several: each way
// it is packaged (a distribution package, Flatpak, Snap) names its desktop
// entry differently.
namespace ApplicationIdentifiers {

// Every desktop-entry id of the application `macIdentifier` names
// ("com.spotify.client" gives "spotify", "com.spotify.Client" and
// "spotify_spotify"); empty when the application is not in the table.
QStringList desktopIdentifiers(const QString &macIdentifier);

} // namespace ApplicationIdentifiers
