#include "Platform/FocusFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace FocusFiles {

QString directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quib/focus");
}

QString doNotDisturbIdentifier()
{
    return QStringLiteral("do-not-disturb");
}

QByteArray assertions(bool active)
{
    QJsonArray records;
    if (active) {
        const QJsonObject details{{QStringLiteral("assertionDetailsModeIdentifier"), doNotDisturbIdentifier()}};
        records.append(QJsonObject{{QStringLiteral("assertionDetails"), details}});
    }
    const QJsonObject element{{QStringLiteral("storeAssertionRecords"), records}};
    return QJsonDocument(QJsonObject{{QStringLiteral("data"), QJsonArray{element}}}).toJson();
}

QByteArray modeConfigurations()
{
    // The desktop's switch has no name of its own: the mode is shown as the
    // generic "Foco".
    const QJsonObject mode{{QStringLiteral("name"), QStringLiteral("Foco")}, {QStringLiteral("symbolImageName"), QStringLiteral("moon.fill")}};
    const QJsonObject configurations{{doNotDisturbIdentifier(), QJsonObject{{QStringLiteral("mode"), mode}}}};
    const QJsonObject element{{QStringLiteral("modeConfigurations"), configurations}};
    return QJsonDocument(QJsonObject{{QStringLiteral("data"), QJsonArray{element}}}).toJson();
}

} // namespace FocusFiles
