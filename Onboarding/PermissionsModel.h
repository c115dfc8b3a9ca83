#pragma once

#include "Alerts/NotchBanner.h"
#include "Platform/Bluetooth.h"
#include "Platform/EventStore.h"
#include "Platform/LocationProvider.h"
#include "Platform/Services.h"
#include "Support/RawEnum.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QMap>
#include <QProperty>
#include <QString>

#include <memory>

class BannerCenter;
class PermissionNotifications;

// What the features need of the system, in the order the onboarding lists
// them. Raw values are the case names.
enum class PermissionKind { calendar, location, accessibility, bluetooth, fullDiskAccess };

template <>
inline constexpr std::array rawEnumCases<PermissionKind>{
    std::pair{PermissionKind::calendar, "calendar"},
    std::pair{PermissionKind::location, "location"},
    std::pair{PermissionKind::accessibility, "accessibility"},
    std::pair{PermissionKind::bluetooth, "bluetooth"},
    std::pair{PermissionKind::fullDiskAccess, "fullDiskAccess"},
};

// denied: refused, or held back in a way only the system's settings change.
// notAsked: the app may still ask, or a refusal cannot be told apart.
enum class PermissionStatus { granted, denied, notAsked };

using PermissionStatuses = QMap<PermissionKind, PermissionStatus>;

// The state of the five permissions, each read through the service of the
// feature that needs it, so this and the feature never disagree:
// - calendar: the calendar folder or the desktop's local calendar can be
//   read (EventStore);
// - location: GeoClue let the app start a location client (LocationProvider);
// - accessibility: the volume and brightness keys can be taken, no other
//   program holding them (KeyCapture);
// - bluetooth: BlueZ answered with an adapter (Bluetooth);
// - fullDiskAccess: the notification database can be read.
// It asks for the ones that can be asked for, opens the desktop's settings
// panel for the others (or, when the desktop has none, shows a banner that
// says what to do), and emits "QuibPermissionsChanged" after the refresh
// that follows a finished calendar request, a Bluetooth answer or a location
// authorisation change, and at no other time. Main thread only.
class PermissionsModel {
public:
    static constexpr double watchInterval = 1.0;
    // How long a banner about a settings panel stays.
    static constexpr double hintDuration = 8.0;

    // `banners` is only used after construction, so it may be built later.
    PermissionsModel(const Services &services, PermissionNotifications &notifications, BannerCenter &banners, QString databasePath);
    ~PermissionsModel();
    PermissionsModel(const PermissionsModel &) = delete;
    PermissionsModel &operator=(const PermissionsModel &) = delete;

    // Holds all five kinds from construction on.
    PermissionStatuses statuses() const { return m_statuses.value(); }
    QBindable<PermissionStatuses> bindableStatuses() { return &m_statuses; }
    // The status of `kind`; notAsked when the map has none.
    PermissionStatus status(PermissionKind kind) const;

    // Reads every status again; observers hear only of a changed map.
    void refresh();
    // Refreshes now and every second until stopWatching().
    void startWatching();
    void stopWatching();
    bool isWatching() const { return m_timer.isActive(); }

    // Asks for `kind`, or opens its settings when it was denied.
    void request(PermissionKind kind);
    // Opens the desktop's settings panel for `kind`, or shows what to do.
    void openSettings(PermissionKind kind);

    // The status each service's answer stands for.
    static PermissionStatus calendarStatus(EventStore::AuthorizationStatus status);
    static PermissionStatus locationStatus(LocationProvider::AuthorizationStatus status);
    static PermissionStatus bluetoothStatus(BluetoothAuthorization authorization);
    // What to do for `kind` where no settings panel opens.
    NotchBanner settingsHint(PermissionKind kind) const;

private:
    PermissionStatus mediaKeysStatus() const;
    PermissionStatus databaseStatus() const;
    void refreshAndNotify();

    Services m_services;
    PermissionNotifications &m_notifications;
    BannerCenter &m_banners;
    const QString m_databasePath;
    QProperty<PermissionStatuses> m_statuses;
    RepeatingTimer m_timer;
    // Answers that arrive after the model is gone are dropped.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
