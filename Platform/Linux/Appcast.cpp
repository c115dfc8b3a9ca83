#include "Platform/Linux/Appcast.h"

#include <QXmlStreamReader>

namespace {

// The numbers of a dotted version, as digit strings without leading zeros
// (so no version is too long to compare); none when it is not one.
std::optional<QList<QStringView>> parts(QStringView version)
{
    version = version.trimmed();
    if (version.isEmpty())
        return std::nullopt;
    QList<QStringView> numbers;
    for (QStringView part : version.split(u'.')) {
        if (part.isEmpty())
            return std::nullopt;
        for (QChar character : part) {
            if (character < u'0' || character > u'9')
                return std::nullopt;
        }
        while (part.size() > 1 && part.front() == u'0')
            part = part.sliced(1);
        numbers.append(part);
    }
    return numbers;
}

std::strong_ordering compareNumbers(QStringView left, QStringView right)
{
    if (left.size() != right.size())
        return left.size() <=> right.size();
    return left.compare(right) <=> 0;
}

bool isWebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() && (url.scheme() == u"https" || url.scheme() == u"http");
}

struct ItemFields {
    QString version;
    QString shortVersion;
    QString link;
    QString releaseNotes;
    QString enclosure;
};

ItemFields readItem(QXmlStreamReader &xml)
{
    ItemFields item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"enclosure") {
            const QXmlStreamAttributes attributes = xml.attributes();
            for (const QXmlStreamAttribute &attribute : attributes) {
                if (attribute.name() == u"url")
                    item.enclosure = attribute.value().trimmed().toString();
                else if (attribute.name() == u"version")
                    enclosureVersion = attribute.value().trimmed().toString();
                else if (attribute.name() == u"shortVersionString")
                    enclosureShortVersion = attribute.value().trimmed().toString();
            }
            xml.skipCurrentElement();
        } else if (name == u"version") {
            item.version = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (name == u"shortVersionString") {
            item.shortVersion = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (name == u"link") {
            item.link = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (name == u"releaseNotesLink") {
            item.releaseNotes = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = enclosureVersion;
    if (item.shortVersion.isEmpty())
        item.shortVersion = enclosureShortVersion;
    return item;
}

std::optional<UpdateFramework::Update> update(const ItemFields &item, const QUrl &feed)
{
    if (!parts(item.version))
        return std::nullopt;
    for (const QString &address : {item.link, item.releaseNotes, item.enclosure}) {
        if (address.isEmpty())
            continue;
        const QUrl page = feed.resolved(QUrl(address));
        if (isWebAddress(page))
            return UpdateFramework::Update{item.version, item.shortVersion.isEmpty() ? item.version : item.shortVersion, page};
    }
    return std::nullopt;
}

} // namespace

namespace Appcast {

std::optional<std::strong_ordering> compareVersions(QStringView left, QStringView right)
{
    const auto leftParts = parts(left);
    const auto rightParts = parts(right);
    if (!leftParts || !rightParts)
        return std::nullopt;
    const qsizetype count = std::max(leftParts->size(), rightParts->size());
    for (qsizetype index = 0; index < count; ++index) {
        const QStringView leftNumber = index < leftParts->size() ? leftParts->at(index) : u"0";
        const QStringView rightNumber = index < rightParts->size() ? rightParts->at(index) : u"0";
        if (const std::strong_ordering order = compareNumbers(leftNumber, rightNumber); order != 0)
            return order;
    }
    return std::strong_ordering::equal;
}

Document parse(const QByteArray &document, const QUrl &feed)
{
    Document result;
    QXmlStreamReader xml(document);
    if (xml.readNextStartElement()) {
        if (xml.name() != u"rss") {
            result.error = QStringLiteral("the document is not an RSS feed (its root is <%1>)").arg(xml.name());
            return result;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != u"channel") {
                xml.skipCurrentElement();
                continue;
            }
            while (xml.readNextStartElement()) {
                if (xml.name() != u"item") {
                    xml.skipCurrentElement();
                    continue;
                }
                if (const auto found = update(readItem(xml), feed))
                    result.updates.append(*found);
            }
        }
    }
    // Read to the end, so that anything broken after the feed counts too.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        result.updates.clear();
        result.error = QStringLiteral("malformed XML at line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    }
    return result;
}

std::optional<UpdateFramework::Update> newest(const QList<UpdateFramework::Update> &updates, const QString &running)
{
    const UpdateFramework::Update *best = nullptr;
    for (const UpdateFramework::Update &candidate : updates) {
        if (!best || compareVersions(candidate.version, best->version) == std::strong_ordering::greater)
            best = &candidate;
    }
    if (best && compareVersions(best->version, running) == std::strong_ordering::greater)
        return *best;
    return std::nullopt;
}

} // namespace Appcast
