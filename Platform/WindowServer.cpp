#include "Platform/WindowServer.h"

#include <QScreen>

std::optional<QString> WindowServer::identifier(const QScreen &screen)
{
    const QString name = screen.name();
    return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
}
