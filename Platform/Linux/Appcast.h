#pragma once

#include "Platform/UpdateFramework.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <compare>
#include <optional>

// The update feed: an RSS document whose items offer versions of the app.
// An item's version, and the version users read, are `version` and
// `shortVersionString` elements or attributes of its `enclosure` (an element
// wins over an attribute), matched by local name whatever their namespace.
namespace Appcast {

// Versions are dotted numbers ("1.10.2"); a missing trailing part counts as 0,
// so "1.2" equals "1.2.0". None when either is not such a version (empty,
// letters, an empty part): pre-releases named with letters are never offered.
std::optional<std::strong_ordering> compareVersions(QStringView left, QStringView right);

struct Document {
    // The items that name a version and something to open (their link, their
    // release notes or their download, the first that is a web address;
    // relative addresses are read against the feed's), in feed order.
    QList<UpdateFramework::Update> updates;
    // Set when the document is not well-formed XML or not an RSS feed.
    std::optional<QString> error;
};

Document parse(const QByteArray &document, const QUrl &feed);

// The newest of `updates` when it is newer than `running`; the first of
// equally new ones.
std::optional<UpdateFramework::Update> newest(const QList<UpdateFramework::Update> &updates, const QString &running);

} // namespace Appcast
