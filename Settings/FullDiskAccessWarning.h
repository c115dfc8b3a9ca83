#pragma once

#include "Settings/MonitorPageParts.h"

#include <functional>

class QAbstractButton;
class QLabel;

// The yellow box that says Full Disk Access is missing: a title line with
// an "Abrir Ajustes" button that runs `onOpenSettings`, and `explanation`
// under it.
class FullDiskAccessWarning : public WarningBox {
    Q_OBJECT
public:
    FullDiskAccessWarning(const QString &explanation, std::function<void()> onOpenSettings, QWidget *parent = nullptr);

    QAbstractButton *openSettingsButton() const { return m_button; }
    QLabel *explanation() const { return m_explanation; }

private:
    QAbstractButton *m_button;
    QLabel *m_explanation;
};
