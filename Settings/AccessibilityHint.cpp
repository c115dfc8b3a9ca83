#include "Settings/AccessibilityHint.h"

#include "App/AppModel.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AccessibilityHint::AccessibilityHint(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_permissions(model.permissions)
    , m_refresh(model.services().scheduler)
    , m_fineSteps(pageNote(QStringLiteral("Use ⌥⇧ junto com as teclas para ajustes mais finos."), this))
    , m_warning(new WarningBox(this))
    , m_allow(smallPushButton(QStringLiteral("Permitir"), m_warning))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_fineSteps);
    column->addWidget(m_warning);

    auto *row = new QHBoxLayout(m_warning);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(warningSymbol(m_warning), 0, Qt::AlignVCenter);
    QLabel *text = SettingsText::label(QStringLiteral("Precisa da permissão de Acessibilidade para capturar as teclas."), 12, QFont::Normal,
                                       SettingsText::primary(), m_warning);
    text->setWordWrap(true);
    row->addWidget(text, 1, Qt::AlignVCenter);
    row->addWidget(m_allow, 0, Qt::AlignVCenter);
    // The same request as onboarding's: the system's prompt, and its settings
    // when the permission is still missing. The statuses are left to the
    // refresh below.
    connect(m_allow, &QAbstractButton::clicked, this, [this] { m_permissions.request(PermissionKind::accessibility); });

    m_showsWarning.setBinding([this] { return showsWarning(m_permissions.statuses()); });
    m_followWarning = m_showsWarning.addNotifier([this] { followStatus(); });
    followStatus();
}

bool AccessibilityHint::showsWarning(const PermissionStatuses &statuses)
{
    const auto found = statuses.constFind(PermissionKind::accessibility);
    return found == statuses.constEnd() || *found != PermissionStatus::granted;
}

void AccessibilityHint::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A permission granted while the line was not shown: nothing else reads
    // it again until onboarding opens.
    m_permissions.refresh();
    followStatus();
}

void AccessibilityHint::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_refresh.stop();
}

void AccessibilityHint::followStatus()
{
    const bool warning = m_showsWarning.value();
    m_fineSteps->setVisible(!warning);
    m_warning->setVisible(warning);
    if (warning && isVisible()) {
        if (!m_refresh.isActive())
            m_refresh.start(refreshInterval, [this] { m_permissions.refresh(); });
    } else {
        m_refresh.stop();
    }
}
