#include "Settings/FullDiskAccessWarning.h"

#include "Settings/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FullDiskAccessWarning::FullDiskAccessWarning(const QString &explanation, std::function<void()> onOpenSettings, QWidget *parent)
    : WarningBox(parent)
    , m_button(smallPushButton(QStringLiteral("Abrir Ajustes"), this))
    , m_explanation(pageNote(explanation, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto *titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    titleLine->addWidget(warningSymbol(this), 0, Qt::AlignVCenter);
    titleLine->addWidget(SettingsText::label(QStringLiteral("Precisa de Acesso Total ao Disco"), 13, QFont::DemiBold, SettingsText::primary(), this),
                         0, Qt::AlignVCenter);
    titleLine->addStretch(1);
    titleLine->addWidget(m_button, 0, Qt::AlignVCenter);
    column->addLayout(titleLine);
    // Inside the box the explanation starts at the box's padding.
    m_explanation->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_explanation);
    connect(m_button, &QAbstractButton::clicked, this, [onOpenSettings = std::move(onOpenSettings)] {
        if (onOpenSettings)
            onOpenSettings();
    });
}
