#pragma once

#include "Onboarding/PermissionsModel.h"
#include "Settings/MonitorPageParts.h"
#include "Support/Scheduler.h"

#include <QProperty>
#include <QWidget>

class AppModel;
class QAbstractButton;
class QLabel;

// The line under the level indicator's card: how to make finer steps when
// the media keys can be taken, else a warning that the Accessibility
// permission is missing with a "Permitir" button. The permission's status is
// read again when the line appears and every second while the warning
// shows, so a permission granted meanwhile replaces the warning.
class AccessibilityHint : public QWidget {
    Q_OBJECT
public:
    static constexpr double refreshInterval = 1.0;

    explicit AccessibilityHint(AppModel &model, QWidget *parent = nullptr);

    // The warning shows unless the statuses say the permission is granted
    // (none yet counts as not granted).
    static bool showsWarning(const PermissionStatuses &statuses);

    QLabel *fineSteps() const { return m_fineSteps; }
    QWidget *warning() const { return m_warning; }
    QAbstractButton *allowButton() const { return m_allow; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void followStatus();

    PermissionsModel &m_permissions;
    QProperty<bool> m_showsWarning;
    QPropertyNotifier m_followWarning;
    RepeatingTimer m_refresh;
    QLabel *m_fineSteps;
    WarningBox *m_warning;
    QAbstractButton *m_allow;
};
