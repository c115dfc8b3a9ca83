#pragma once

#include <QString>

#include <optional>

// What the build says about the app: its versions and where its updates are
// published. A value the build left out is none (versions) or empty (the
// update feed and its signing key).
struct BundleInfo {
    // The address of the update feed; empty when the build names none.
    QString feedURL;
    // The public key that signs the published updates; empty when the build
    // names none.
    QString publicEDKey;
    // The version users read ("0.1.0").
    std::optional<QString> shortVersion;
    // The version that update feeds are compared with.
    std::optional<QString> buildVersion;

    // As this build was configured (the CMake cache variables
    // QUIB_UPDATE_FEED_URL and QUIB_UPDATE_PUBLIC_KEY, the project version).
    static BundleInfo main();
};
