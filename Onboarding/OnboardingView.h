#pragma once

#include "Onboarding/PermissionsModel.h"

#include <QList>
#include <QPropertyNotifier>
#include <QSize>
#include <QWidget>

#include <functional>

class PermissionRow;
class QAbstractButton;

// The content of the welcome and permissions window: a header, one row per
// permission with its live status and a button for each one missing, and the
// finish button ("Começar" once all five are granted, else "Continuar"),
// which runs `onFinish` whatever its label. While shown, the permissions are
// read again every second. 520 × 680 points on the settings background.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize windowSize{520, 680};

    OnboardingView(PermissionsModel &permissions, std::function<void()> onFinish, QWidget *parent = nullptr);

    // The finish button's label for `statuses`.
    static QString finishLabel(const PermissionStatuses &statuses);
    // Symbol, title and description of the row of `kind`.
    struct RowText {
        QString symbol;
        QString title;
        QString description;
    };
    static RowText rowText(PermissionKind kind);
    // The text of a row's button for `status`; empty for granted, which shows
    // "Permitido" and no button.
    static QString buttonLabel(PermissionStatus status);

    QAbstractButton *finishButton() const { return m_finish; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Shows the current statuses in the rows and the finish button.
    void apply();

    PermissionsModel &m_permissions;
    QList<PermissionRow *> m_rows;
    QAbstractButton *m_finish;
    QPropertyNotifier m_statusesChanged;
};
