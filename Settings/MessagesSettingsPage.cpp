#include "Settings/MessagesSettingsPage.h"

#include "App/AppModel.h"
#include "Notch/ClaudeUsageSection.h"
#include "Platform/Workspace.h"
#include "Settings/CommandExample.h"
#include "Settings/SettingsBinding.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsText.h"
#include "Settings/SettingsValueText.h"
#include "Shared/SystemColors.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

// The content of a row that never changes.
std::function<ActionRowContent()> fixedContent(const QString &title, const std::optional<QString> &status, const QString &button)
{
    return [content = ActionRowContent{title, status, button}] { return content; };
}

} // namespace

const QString MessagesSettingsPage::claudeAppBundleID = QStringLiteral("com.anthropic.claudefordesktop");

const QStringList MessagesSettingsPage::commandExamples{
    QStringLiteral("quib notify \"Build terminou\""),
    QStringLiteral("npm test; quib notify \"Testes acabaram\""),
    QStringLiteral("quib notify --title Deploy --body \"No ar\" --symbol checkmark.circle.fill --color green"),
};

MessagesSettingsPage::MessagesSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::messages, parent)
    , m_model(model)
{
    // The connection rows show what is on the disk now, also after the
    // agent's file was edited by hand.
    m_model.integrations.refresh();

    addAlertsCard();
    addClaudeCodeSection();
    addClaudeUsageSection();
    addCommandSection();

    m_error = SettingsText::label(QString(), 12, QFont::Normal, SystemColors::red());
    m_error->setWordWrap(true);
    m_error->setContentsMargins(6, 0, 6, 0);
    addWidget(m_error);
    m_lastError.setBinding([&integrations = m_model.integrations] { return integrations.lastError(); });
    const auto showError = [this] {
        m_error->setText(m_lastError.value().value_or(QString()));
        m_error->setVisible(m_lastError.value().has_value());
    };
    showError();
    m_showError = m_lastError.addNotifier(showError);
}

void MessagesSettingsPage::addAlertsCard()
{
    Preferences &preferences = m_model.preferences;
    SettingsCard *card = addCard();
    ToggleRow::Options alertsIcon;
    alertsIcon.icon = QStringLiteral("bell.badge.fill");
    alertsIcon.iconColor = QColor::fromRgbF(0.2f, 0.62f, 0.95f);
    card->addRow(new ToggleRow(QStringLiteral("Avisos de apps e scripts"), bindingOf(preferences.externalAlerts), alertsIcon));
    card->addDivider();
    card->addRow(new SliderRow(QStringLiteral("Duração"), bindingOf(preferences.externalDuration), 2, 15, 1,
                               SettingsValueText::inWholeUnits(QStringLiteral("s"))));
    card->addDivider();
    ToggleRow::Options sound;
    sound.preview = [this] { m_model.sounds.play(Sounds::Kind::bottle); };
    card->addRow(new ToggleRow(QStringLiteral("Som"), bindingOf(preferences.soundOnExternal), sound));
    card->addDivider();
    ToggleRow::Options frontmost;
    frontmost.hint = QStringLiteral("Ex.: o Claude termina enquanto você olha para ele");
    card->addRow(new ToggleRow(QStringLiteral("Não avisar se o app já estiver na frente"), bindingOf(preferences.externalSkipFrontmost), frontmost));
}

void MessagesSettingsPage::addClaudeCodeSection()
{
    Integrations &integrations = m_model.integrations;
    addSectionLabel(QStringLiteral("Claude Code"));
    SettingsCard *card = addCard();
    card->addRow(new ActionRow(
        [&integrations] { return claudeCodeRow(integrations.claudeConnected()); },
        [&integrations] {
            // The state as it is now, not as the button was drawn.
            if (integrations.claudeConnected())
                integrations.disconnectClaudeCode();
            else
                integrations.connectClaudeCode();
        }));
    card->addDivider();
    card->addRow(new ActionRow(fixedContent(QStringLiteral("Ver como fica"), std::nullopt, QStringLiteral("Testar")), [this] { showDemo(); }));
    addText(QStringLiteral("Conectar adiciona dois hooks (Stop e Notification) em ~/.claude/settings.json; o resto do arquivo fica igual e uma "
                           "cópia do original é salva em settings.json.quib-backup. Clicar no aviso abre o app onde o Claude está rodando."));
}

void MessagesSettingsPage::addClaudeUsageSection()
{
    Preferences &preferences = m_model.preferences;
    ClaudeUsage &usage = m_model.claudeUsage;
    Integrations &integrations = m_model.integrations;
    addSectionLabel(QStringLiteral("Limites do Claude"));
    SettingsCard *card = addCard();
    card->addRow(new ActionRow(
        [this, &preferences] {
            const bool enabled = preferences.claudeUsageFromLogin.value();
            return claudeUsageRow(enabled, enabled ? claudeUsageStatus() : QString());
        },
        // The app core starts or stops the poller when the setting changes.
        [&preferences] { preferences.claudeUsageFromLogin.setValue(!preferences.claudeUsageFromLogin.value()); }));

    const auto showsPermission = [&preferences, &usage] { return showsPermissionRow(preferences.claudeUsageFromLogin.value(), usage.status()); };
    QWidget *permissionDivider = card->addDivider();
    auto *permission = new ActionRow(fixedContent(QStringLiteral("O macOS precisa da sua permissão para ler o login do Claude Code"), std::nullopt,
                                                  QStringLiteral("Permitir acesso")),
                                     [&usage] { usage.fetch(Credentials::Interaction::allowed); });
    card->addRow(permission);
    showWhile(permissionDivider, showsPermission);
    showWhile(permission, showsPermission);

    card->addDivider();
    card->addRow(new PickerRow(QStringLiteral("No notch aberto, embaixo do dia"),
                               {QStringLiteral("Eventos e clima"), QStringLiteral("Claude"), QStringLiteral("Os dois")},
                               indexBindingOf(preferences.sideColumn, {SideColumn::calendar, SideColumn::claude, SideColumn::both}),
                               QStringLiteral("sparkle")));

    const auto showsStatusLine = [&integrations] { return integrations.statusLineConnected(); };
    QWidget *statusLineDivider = card->addDivider();
    auto *statusLine = new ActionRow(fixedContent(QStringLiteral("Barra de status do claude no terminal"), QStringLiteral("Conectada"),
                                                  QStringLiteral("Desconectar")),
                                     [&integrations] { integrations.disconnectStatusLine(); });
    card->addRow(statusLine);
    showWhile(statusLineDivider, showsStatusLine);
    showWhile(statusLine, showsStatusLine);

    addText(QStringLiteral("Usa o login do Claude Code (VS Code, app ou terminal) para consultar na Anthropic o mesmo uso que o /usage mostra, a "
                           "cada minuto e ao abrir o notch. O Quib nunca mostra o aviso do macOS sozinho: quando precisar, aparece aqui o botão "
                           "Permitir acesso (clique em Permitir Sempre). O Claude Code apaga essa permissão quando renova o login, o que acontece "
                           "algumas vezes por semana. O token fica só na memória, vai só para a Anthropic e nunca é renovado pelo Quib. Para "
                           "planos Pro, Max e Ultra."));
}

void MessagesSettingsPage::addCommandSection()
{
    Integrations &integrations = m_model.integrations;
    addSectionLabel(QStringLiteral("Linha de comando"));
    SettingsCard *card = addCard();
    card->addRow(new ActionRow([&integrations] { return commandRow(integrations.commandInstalled()); },
                               [&integrations] {
                                   if (integrations.commandInstalled())
                                       integrations.uninstallCommand();
                                   else
                                       integrations.installCommand();
                               }));
    card->addDivider();
    auto *examples = new QWidget;
    auto *column = new QVBoxLayout(examples);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(6);
    for (const QString &command : commandExamples)
        column->addWidget(new CommandExample(command, m_model.services().workspace, m_model.services().scheduler, examples));
    card->addRow(examples);
}

QString MessagesSettingsPage::claudeUsageStatus(const ClaudeUsage::Status &status, const std::optional<ClaudeUsageWindow> &fiveHour,
                                                const std::optional<ClaudeUsageWindow> &sevenDay, const QDateTime &now)
{
    using Kind = ClaudeUsage::Status::Kind;
    const bool hasData = fiveHour || sevenDay;
    if (status.kind == Kind::loading)
        return QStringLiteral("Consultando…");
    if (status.kind == Kind::noLogin)
        return QStringLiteral("Entre no Claude Code para ver seus limites");
    if (!hasData) {
        switch (status.kind) {
        case Kind::expired:
            return QStringLiteral("Login do Claude Code expirado: use o Claude Code para renovar");
        case Kind::needsPermission:
            return QStringLiteral("Aguardando sua permissão (botão abaixo)");
        case Kind::failed:
            return QStringLiteral("Não deu para consultar: ") + status.message;
        default:
            return QStringLiteral("Conectado");
        }
    }
    QStringList parts;
    // A window whose reset time has passed counts as 0 % until the next poll.
    if (const auto shown = ClaudeUsageSection::displayed(fiveHour, now))
        parts.append(QStringLiteral("5 horas ") + ClaudeUsageSection::percentText(shown->used));
    if (const auto shown = ClaudeUsageSection::displayed(sevenDay, now))
        parts.append(QStringLiteral("semana ") + ClaudeUsageSection::percentText(shown->used));
    return QStringLiteral("Conectado · ") + parts.join(QStringLiteral(" · "));
}

QString MessagesSettingsPage::claudeUsageStatus() const
{
    const ClaudeUsage &usage = m_model.claudeUsage;
    return claudeUsageStatus(usage.status(), usage.fiveHour(), usage.sevenDay(), m_model.services().scheduler.now());
}

ActionRowContent MessagesSettingsPage::claudeCodeRow(bool connected)
{
    const QString title = QStringLiteral("Avisar quando o Claude terminar ou precisar de você");
    if (connected)
        return {title, QStringLiteral("Conectado"), QStringLiteral("Desconectar")};
    return {title, std::nullopt, QStringLiteral("Conectar")};
}

ActionRowContent MessagesSettingsPage::claudeUsageRow(bool enabled, const QString &status)
{
    const QString title = QStringLiteral("Mostrar os limites de 5 horas e da semana");
    if (enabled)
        return {title, status, QStringLiteral("Desconectar")};
    return {title, std::nullopt, QStringLiteral("Conectar")};
}

ActionRowContent MessagesSettingsPage::commandRow(bool installed)
{
    const QString title = QStringLiteral("Comando quib");
    if (installed)
        return {title, QStringLiteral("Instalado em ~/.local/bin"), QStringLiteral("Remover")};
    return {title, std::nullopt, QStringLiteral("Instalar")};
}

bool MessagesSettingsPage::showsPermissionRow(bool enabled, const ClaudeUsage::Status &status)
{
    return enabled && status.kind == ClaudeUsage::Status::Kind::needsPermission;
}

NotchBanner MessagesSettingsPage::demoBanner(const Workspace &workspace, double duration)
{
    NotchBanner banner;
    banner.title = QStringLiteral("Claude");
    if (const auto url = workspace.urlForApplication(claudeAppBundleID))
        banner.title = workspace.displayName(*url).remove(QStringLiteral(".app"));
    banner.body = QStringLiteral("Quib · Os avisos do Claude Code vão aparecer assim.");
    banner.color = SettingsStyle::accent();
    // A click on the banner activates or opens the agent's app.
    banner.appBundleID = claudeAppBundleID;
    banner.duration = duration;
    return banner;
}

void MessagesSettingsPage::showDemo()
{
    // Shown whatever the alert settings say: it is what the user asked for.
    m_model.banners.show(demoBanner(m_model.services().workspace, m_model.preferences.externalDuration.value()));
    if (m_model.preferences.soundOnExternal.value())
        m_model.sounds.play(Sounds::Kind::bottle);
}
