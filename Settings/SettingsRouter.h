#pragma once

#include "Settings/SettingsPageID.h"

#include <QBindable>
#include <QProperty>

class AppNotificationMonitor;
class FocusMonitor;

// The selected page of the settings window, and the two monitors that some
// pages read. Created once by the application delegate and kept for the life
// of the process, so the selected page survives closing the window.
class SettingsRouter {
public:
    SettingsPageID page() const { return m_page.value(); }
    // Observers are notified only when the page differs from the current one.
    void setPage(SettingsPageID page) { m_page.setValue(page); }
    QBindable<SettingsPageID> bindablePage() { return &m_page; }

    // None until the app core has created the monitor.
    FocusMonitor *focus() const { return m_focus; }
    void setFocus(FocusMonitor *focus) { m_focus = focus; }
    AppNotificationMonitor *notifications() const { return m_notifications; }
    void setNotifications(AppNotificationMonitor *notifications) { m_notifications = notifications; }

private:
    QProperty<SettingsPageID> m_page{SettingsPageID::general};
    FocusMonitor *m_focus = nullptr;
    AppNotificationMonitor *m_notifications = nullptr;
};
