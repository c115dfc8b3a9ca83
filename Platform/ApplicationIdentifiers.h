#pragma once

#include <QString>

#include <optional>

// The few applications the product names by their macOS bundle identifiers,
// translated in this one table to the identifiers the same applications have
// here (their desktop-entry ids).
namespace ApplicationIdentifiers {

// The desktop-entry id for `macIdentifier` ("com.spotify.client" gives
// "spotify"), or none when the application is not in the table.
std::optional<QString> desktopIdentifier(const QString &macIdentifier);

} // namespace ApplicationIdentifiers
