#pragma once

#include "Platform/Credentials.h"

#include <QHash>
#include <QList>

// Stored logins by service. A service in `lockedServices` can be read only
// when interaction is allowed. Records every read.
class FakeCredentials final : public Credentials {
public:
    Item read(const QString &service, Interaction interaction) override
    {
        reads.append(interaction);
        if (!items.contains(service))
            return Item{Item::Status::missing, {}};
        if (lockedServices.contains(service) && interaction == Interaction::forbidden)
            return Item{Item::Status::needsPermission, {}};
        return Item{Item::Status::found, items.value(service)};
    }

    QHash<QString, QByteArray> items;
    QStringList lockedServices;
    QList<Interaction> reads;
};
