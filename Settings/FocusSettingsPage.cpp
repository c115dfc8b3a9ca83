#include "Settings/FocusSettingsPage.h"

#include "Alerts/FocusMonitor.h"
#include "App/AppModel.h"
#include "Settings/FullDiskAccessWarning.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsControls.h"

#include <QLabel>

FocusSettingsPage::FocusSettingsPage(AppModel &model, FocusMonitor *focus, QWidget *parent)
    : SettingsPage(SettingsPageID::focus, parent)
{
    Preferences &preferences = model.preferences;
    ToggleRowOptions alerts;
    alerts.icon = QStringLiteral("moon.fill");
    alerts.iconColor = QColor::fromRgbF(0.55f, 0.5f, 1.0f);
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Foco"), bindingOf(preferences.focusAlerts), alerts),
                           durationRow(preferences.focusDuration, 1, 10),
                       });

    m_line.setBinding([focus]() -> std::optional<QString> {
        if (!focus)
            return std::nullopt;
        return statusLine(focus->hasAccess(), focus->activeName());
    });
    m_status = pageNote(m_line.value().value_or(QString()));
    addWidget(m_status);
    m_followLine = m_line.addNotifier([this] {
        if (m_line.value())
            m_status->setText(*m_line.value());
    });
    showWhile(m_status, [this] { return m_line.value().has_value(); });

    std::function<void()> openSettings;
    if (focus)
        openSettings = [focus] { focus->openFullDiskAccessSettings(); };
    m_warning = new FullDiskAccessWarning(warningExplanation(), std::move(openSettings));
    addWidget(m_warning);
    showWhile(m_warning, [this] { return !m_line.value().has_value(); });
}

std::optional<QString> FocusSettingsPage::statusLine(bool hasAccess, const std::optional<QString> &activeName)
{
    if (!hasAccess)
        return std::nullopt;
    if (!activeName)
        return QStringLiteral("Nenhum Foco ativo agora.");
    return QStringLiteral("Agora: ") + *activeName + QStringLiteral(" ativado.");
}

QString FocusSettingsPage::warningExplanation()
{
    return QStringLiteral("O macOS não avisa outros apps quando um Foco muda. O Quib lê só os arquivos de Foco do sistema "
                          "(~/Library/DoNotDisturb). Em Ajustes do Sistema › Privacidade › Acesso Total ao Disco, adicione o Quib.");
}
