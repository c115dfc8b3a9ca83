#pragma once

#include "Settings/SettingsPage.h"

#include <QProperty>

#include <optional>

class AppModel;
class FocusMonitor;
class FullDiskAccessWarning;
class QLabel;

// The "Foco" page: the Focus alert strip, and under it which Focus is on,
// or, while the Focus files cannot be read, the Full Disk Access warning.
// Follows the monitor's state while shown.
class FocusSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    // `focus` is none until the app has created the monitor.
    FocusSettingsPage(AppModel &model, FocusMonitor *focus, QWidget *parent = nullptr);

    // The line under the card; none when the warning shows instead.
    static std::optional<QString> statusLine(bool hasAccess, const std::optional<QString> &activeName);
    static QString warningExplanation();

    QLabel *status() const { return m_status; }
    FullDiskAccessWarning *warning() const { return m_warning; }

private:
    QProperty<std::optional<QString>> m_line;
    QPropertyNotifier m_followLine;
    QLabel *m_status;
    FullDiskAccessWarning *m_warning;
};
