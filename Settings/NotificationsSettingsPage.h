#pragma once

#include "App/Preferences.h"
#include "Alerts/AppNotificationMonitor.h"
#include "Settings/SettingsBinding.h"
#include "Settings/SettingsPage.h"

#include <QList>
#include <QProperty>

class AccentSwitch;
class AppModel;
class QVBoxLayout;
class Workspace;

// The row of one application that has sent notifications: its icon, its name
// and a switch that is off while the application is muted.
class NotificationAppRow : public QWidget {
    Q_OBJECT
public:
    // `muted` is the set of muted applications' identifiers.
    NotificationAppRow(const QString &id, const QString &name, SettingsBinding<StringSet> muted, const Workspace &workspace,
                       QWidget *parent = nullptr);

    QString id() const { return m_id; }
    AccentSwitch *toggle() const { return m_switch; }
    // The application's icon is drawn (the workspace found the application).
    bool hasIcon() const { return m_hasIcon; }

private:
    const QString m_id;
    AccentSwitch *m_switch;
    bool m_hasIcon = false;
    QProperty<bool> m_shown;
    QPropertyNotifier m_follow;
};

// The "Mensagens" page: how other applications' notifications are repeated
// in the notch, and the list of applications with a switch to mute each.
class NotificationsSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    // What the page shows under its card.
    enum class Section {
        // The list of applications: the monitor reads the notifications.
        appList,
        // The box that asks for the access the monitor lacks.
        accessWarning,
        // Nothing: no access, and the notifications are off anyway.
        none,
    };
    static Section section(bool hasMonitor, bool hasAccess, bool appNotifications);

    // `monitor` is none until the app has created it.
    NotificationsSettingsPage(AppModel &model, AppNotificationMonitor *monitor, QWidget *parent = nullptr);

    Section shownSection() const { return m_section.value(); }
    // The rows of the application list, in its order.
    QList<NotificationAppRow *> appRows() const;

private:
    void addAppList();
    void rebuildAppList();

    AppModel &m_model;
    AppNotificationMonitor *const m_monitor;
    QProperty<Section> m_section;
    QProperty<QList<AppNotificationMonitor::KnownApp>> m_knownApps;
    QPropertyNotifier m_rebuild;
    QVBoxLayout *m_appList = nullptr;
};
