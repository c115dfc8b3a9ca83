#include "Onboarding/PermissionsModel.h"

#include "Alerts/BannerCenter.h"
#include "Alerts/MediaKeyMonitor.h"
#include "Alerts/NotificationDatabaseReader.h"
#include "Platform/KeyCapture.h"
#include "Platform/Workspace.h"
#include "Settings/SettingsStyle.h"
#include "Shared/PermissionNotifications.h"

#include <QDir>

#include <utility>

namespace {

constexpr MediaKey mediaKeys[] = {MediaKey::volumeUp, MediaKey::volumeDown, MediaKey::mute, MediaKey::brightnessUp, MediaKey::brightnessDown};

// A path under the home folder as "~/…", as a user would type it.
QString homeRelative(const QString &path)
{
    const QString home = QDir::homePath();
    return path.startsWith(home + QLatin1Char('/')) ? QLatin1Char('~') + path.mid(home.size()) : path;
}

} // namespace

PermissionsModel::PermissionsModel(const Services &services, PermissionNotifications &notifications, BannerCenter &banners, QString databasePath)
    : m_services(services)
    , m_notifications(notifications)
    , m_banners(banners)
    , m_databasePath(std::move(databasePath))
    , m_timer(services.scheduler)
{
    m_services.location.observeAuthorization([this, alive = std::weak_ptr<bool>(m_alive)](LocationProvider::AuthorizationStatus) {
        if (alive.lock())
            refreshAndNotify();
    });
    refresh();
}

PermissionsModel::~PermissionsModel() = default;

PermissionStatus PermissionsModel::status(PermissionKind kind) const
{
    return m_statuses.value().value(kind, PermissionStatus::notAsked);
}

PermissionStatus PermissionsModel::calendarStatus(EventStore::AuthorizationStatus status)
{
    switch (status) {
    case EventStore::AuthorizationStatus::fullAccess:
        return PermissionStatus::granted;
    case EventStore::AuthorizationStatus::restricted:
    case EventStore::AuthorizationStatus::denied:
    case EventStore::AuthorizationStatus::writeOnly:
        return PermissionStatus::denied;
    case EventStore::AuthorizationStatus::notDetermined:
        break;
    }
    return PermissionStatus::notAsked;
}

PermissionStatus PermissionsModel::locationStatus(LocationProvider::AuthorizationStatus status)
{
    switch (status) {
    case LocationProvider::AuthorizationStatus::authorized:
        return PermissionStatus::granted;
    case LocationProvider::AuthorizationStatus::restricted:
    case LocationProvider::AuthorizationStatus::denied:
        return PermissionStatus::denied;
    case LocationProvider::AuthorizationStatus::notDetermined:
        break;
    }
    return PermissionStatus::notAsked;
}

PermissionStatus PermissionsModel::bluetoothStatus(BluetoothAuthorization authorization)
{
    switch (authorization) {
    case BluetoothAuthorization::allowedAlways:
        return PermissionStatus::granted;
    case BluetoothAuthorization::restricted:
    case BluetoothAuthorization::denied:
        return PermissionStatus::denied;
    case BluetoothAuthorization::notDetermined:
        break;
    }
    return PermissionStatus::notAsked;
}

// Never denied: nothing tells a refusal from a key that another program
// happens to hold.
PermissionStatus PermissionsModel::mediaKeysStatus() const
{
    for (const MediaKey key : mediaKeys) {
        if (!m_services.keyCapture.canGrabAnyModifiers(MediaKeyMonitor::qtKey(key)))
            return PermissionStatus::notAsked;
    }
    return PermissionStatus::granted;
}

PermissionStatus PermissionsModel::databaseStatus() const
{
    return NotificationDatabaseReader::isReadable(m_databasePath) ? PermissionStatus::granted : PermissionStatus::notAsked;
}

void PermissionsModel::refresh()
{
    m_statuses = PermissionStatuses{
        {PermissionKind::calendar, calendarStatus(m_services.eventStore.authorizationStatus())},
        {PermissionKind::location, locationStatus(m_services.location.authorizationStatus())},
        {PermissionKind::accessibility, mediaKeysStatus()},
        {PermissionKind::bluetooth, bluetoothStatus(m_services.bluetooth.authorization())},
        {PermissionKind::fullDiskAccess, databaseStatus()},
    };
}

void PermissionsModel::refreshAndNotify()
{
    refresh();
    Q_EMIT m_notifications.quibPermissionsChanged();
}

void PermissionsModel::startWatching()
{
    refresh();
    m_timer.start(watchInterval, [this] { refresh(); });
}

void PermissionsModel::stopWatching()
{
    m_timer.stop();
}

void PermissionsModel::request(PermissionKind kind)
{
    const bool denied = status(kind) == PermissionStatus::denied;
    const auto whenAnswered = [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock())
            refreshAndNotify();
    };
    switch (kind) {
    case PermissionKind::calendar:
        if (denied)
            openSettings(kind);
        else
            m_services.eventStore.requestFullAccess(whenAnswered);
        return;
    case PermissionKind::location:
        // The answer arrives as an authorisation change.
        if (denied)
            openSettings(kind);
        else
            m_services.location.requestAuthorization();
        return;
    case PermissionKind::accessibility:
        refresh();
        if (status(kind) != PermissionStatus::granted)
            openSettings(kind);
        return;
    case PermissionKind::bluetooth:
        if (denied)
            openSettings(kind);
        else
            m_services.bluetooth.requestAuthorization(whenAnswered);
        return;
    case PermissionKind::fullDiskAccess:
        openSettings(kind);
        return;
    }
}

void PermissionsModel::openSettings(PermissionKind kind)
{
    std::optional<SettingsPanel> panel;
    switch (kind) {
    case PermissionKind::location:
        panel = SettingsPanel::location;
        break;
    case PermissionKind::accessibility:
        panel = SettingsPanel::keyboardShortcuts;
        break;
    case PermissionKind::bluetooth:
        panel = SettingsPanel::bluetooth;
        break;
    case PermissionKind::calendar:
    case PermissionKind::fullDiskAccess:
        break;
    }
    if (panel && m_services.workspace.openSettingsPanel(*panel))
        return;
    m_banners.show(settingsHint(kind));
}

NotchBanner PermissionsModel::settingsHint(PermissionKind kind) const
{
    NotchBanner banner;
    banner.color = SettingsStyle::accent();
    banner.duration = hintDuration;
    switch (kind) {
    case PermissionKind::calendar:
        banner.title = QStringLiteral("Calendário");
        banner.symbol = QStringLiteral("calendar");
        banner.body = QStringLiteral("O Quib lê os calendários (.ics) de %1. Confira se a pasta existe e pode ser lida.")
                          .arg(homeRelative(m_services.eventStore.location()));
        break;
    case PermissionKind::location:
        banner.title = QStringLiteral("Localização");
        banner.symbol = QStringLiteral("location.fill");
        banner.body = QStringLiteral("Ative a localização (GeoClue) nos ajustes de privacidade do sistema e permita o Quib.");
        break;
    case PermissionKind::accessibility:
        banner.title = QStringLiteral("Teclas de volume e brilho");
        banner.symbol = QStringLiteral("accessibility");
        banner.body = QStringLiteral("Outro programa está usando essas teclas. Desative os atalhos delas nos ajustes de teclado do sistema.");
        break;
    case PermissionKind::bluetooth:
        banner.title = QStringLiteral("Bluetooth");
        banner.symbol = QStringLiteral("dot.radiowaves.left.and.right");
        banner.body = QStringLiteral("Ligue o serviço Bluetooth (BlueZ) e um adaptador para ver a bateria dos fones.");
        break;
    case PermissionKind::fullDiskAccess:
        banner.title = QStringLiteral("Notificações de outros apps");
        banner.symbol = QStringLiteral("message.fill");
        banner.body = QStringLiteral("O Quib lê as notificações de %1, criado na primeira notificação de outro app. Confira se ele pode ser lido.")
                          .arg(homeRelative(m_databasePath));
        break;
    }
    return banner;
}
