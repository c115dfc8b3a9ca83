#include "Platform/Fake/FakeWorkspace.h"
#include "QtPrinters.h"
#include "Settings/MessagesSettingsPage.h"
#include "Settings/NotificationsSettingsPage.h"
#include "Settings/SettingsStyle.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Kind = ClaudeUsage::Status::Kind;

const QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(14, 0), Qt::UTC);

ClaudeUsageWindow window(double used, std::optional<qint64> resetsInSeconds = std::nullopt)
{
    ClaudeUsageWindow result{used, std::nullopt};
    if (resetsInSeconds)
        result.resetsAt = now.addSecs(*resetsInSeconds);
    return result;
}

struct StatusCase {
    const char *name;
    ClaudeUsage::Status status;
    std::optional<ClaudeUsageWindow> fiveHour;
    std::optional<ClaudeUsageWindow> sevenDay;
    QString expected;
};

} // namespace

TEST(MessagesSettingsPageRules, UsageStatusTakesTheFirstRuleThatApplies)
{
    const ClaudeUsage::Status off;
    const ClaudeUsage::Status loading{Kind::loading, {}};
    const ClaudeUsage::Status noLogin{Kind::noLogin, {}};
    const ClaudeUsage::Status expired{Kind::expired, {}};
    const ClaudeUsage::Status needsPermission{Kind::needsPermission, {}};
    const ClaudeUsage::Status ok{Kind::ok, {}};
    const ClaudeUsage::Status failed = ClaudeUsage::Status::failed(QStringLiteral("HTTP 500"));
    const auto data = window(41.6, 3600);
    const QString withData = QStringLiteral("Conectado · 5 horas 42%");

    const StatusCase cases[] = {
        {"loading, without data", loading, std::nullopt, std::nullopt, QStringLiteral("Consultando…")},
        {"loading hides the data", loading, data, std::nullopt, QStringLiteral("Consultando…")},
        {"no login", noLogin, std::nullopt, std::nullopt, QStringLiteral("Entre no Claude Code para ver seus limites")},
        {"no login hides the data", noLogin, data, std::nullopt, QStringLiteral("Entre no Claude Code para ver seus limites")},
        {"expired", expired, std::nullopt, std::nullopt, QStringLiteral("Login do Claude Code expirado: use o Claude Code para renovar")},
        {"expired with data", expired, data, std::nullopt, withData},
        {"waiting for permission", needsPermission, std::nullopt, std::nullopt, QStringLiteral("Aguardando sua permissão (botão abaixo)")},
        {"permission with data", needsPermission, data, std::nullopt, withData},
        {"failed", failed, std::nullopt, std::nullopt, QStringLiteral("Não deu para consultar: HTTP 500")},
        {"failed with data", failed, data, std::nullopt, withData},
        {"off without data", off, std::nullopt, std::nullopt, QStringLiteral("Conectado")},
        {"ok without data", ok, std::nullopt, std::nullopt, QStringLiteral("Conectado")},
        {"both windows", ok, window(41.6, 3600), window(12.4, 86400), QStringLiteral("Conectado · 5 horas 42% · semana 12%")},
        {"weekly window alone", ok, std::nullopt, window(12.4), QStringLiteral("Conectado · semana 12%")},
        {"half rounds away from zero", ok, window(99.5), std::nullopt, QStringLiteral("Conectado · 5 horas 100%")},
        {"below a half rounds down", ok, window(0.49), window(50.5), QStringLiteral("Conectado · 5 horas 0% · semana 51%")},
        {"a window past its reset reads 0", ok, window(87, -1), window(30, 600), QStringLiteral("Conectado · 5 horas 0% · semana 30%")},
        {"a reset exactly now has passed", ok, window(87, 0), std::nullopt, QStringLiteral("Conectado · 5 horas 0%")},
    };
    for (const StatusCase &c : cases)
        EXPECT_EQ(MessagesSettingsPage::claudeUsageStatus(c.status, c.fiveHour, c.sevenDay, now), c.expected) << c.name;
}

TEST(MessagesSettingsPageRules, UsageStatusStaysReadableForValuesThePollerNeverSends)
{
    const ClaudeUsage::Status ok{Kind::ok, {}};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MessagesSettingsPage::claudeUsageStatus(ok, window(nan), std::nullopt, now), QStringLiteral("Conectado · 5 horas 0%"));
    EXPECT_EQ(MessagesSettingsPage::claudeUsageStatus(ok, window(-3), std::nullopt, now), QStringLiteral("Conectado · 5 horas 0%"));
    const QString huge = MessagesSettingsPage::claudeUsageStatus(ok, std::nullopt, window(infinity), now);
    EXPECT_TRUE(huge.startsWith(QStringLiteral("Conectado · semana "))) << huge.toStdString();
    EXPECT_TRUE(huge.endsWith(QStringLiteral("%"))) << huge.toStdString();
}

TEST(MessagesSettingsPageRules, RowsFollowTheirState)
{
    const QString hooks = QStringLiteral("Avisar quando o Claude terminar ou precisar de você");
    const QString usage = QStringLiteral("Mostrar os limites de 5 horas e da semana");
    const QString command = QStringLiteral("Comando quib");
    EXPECT_EQ(MessagesSettingsPage::claudeCodeRow(true), (ActionRowContent{hooks, QStringLiteral("Conectado"), QStringLiteral("Desconectar")}));
    EXPECT_EQ(MessagesSettingsPage::claudeCodeRow(false), (ActionRowContent{hooks, std::nullopt, QStringLiteral("Conectar")}));
    EXPECT_EQ(MessagesSettingsPage::claudeUsageRow(true, QStringLiteral("Consultando…")),
              (ActionRowContent{usage, QStringLiteral("Consultando…"), QStringLiteral("Desconectar")}));
    EXPECT_EQ(MessagesSettingsPage::claudeUsageRow(false, QStringLiteral("Consultando…")), (ActionRowContent{usage, std::nullopt, QStringLiteral("Conectar")}));
    EXPECT_EQ(MessagesSettingsPage::commandRow(true), (ActionRowContent{command, QStringLiteral("Instalado em ~/.local/bin"), QStringLiteral("Remover")}));
    EXPECT_EQ(MessagesSettingsPage::commandRow(false), (ActionRowContent{command, std::nullopt, QStringLiteral("Instalar")}));
}

TEST(MessagesSettingsPageRules, ThePermissionRowNeedsTheUsageOnAndAPermissionToAskFor)
{
    for (const Kind kind : {Kind::off, Kind::loading, Kind::ok, Kind::noLogin, Kind::expired, Kind::needsPermission, Kind::failed}) {
        const ClaudeUsage::Status status{kind, {}};
        EXPECT_EQ(MessagesSettingsPage::showsPermissionRow(true, status), kind == Kind::needsPermission) << int(kind);
        EXPECT_FALSE(MessagesSettingsPage::showsPermissionRow(false, status)) << int(kind);
    }
}

TEST(MessagesSettingsPageRules, TheDemoBannerNamesTheAgentsAppWhenInstalled)
{
    FakeWorkspace workspace;
    NotchBanner banner = MessagesSettingsPage::demoBanner(workspace, 6);
    EXPECT_EQ(banner.title, QStringLiteral("Claude"));
    EXPECT_EQ(banner.body, QStringLiteral("Quib · Os avisos do Claude Code vão aparecer assim."));
    EXPECT_EQ(banner.symbol, std::nullopt);
    EXPECT_EQ(banner.color, SettingsStyle::accent());
    EXPECT_EQ(banner.appBundleID, QStringLiteral("com.anthropic.claudefordesktop"));
    EXPECT_EQ(banner.duration, 6);
    EXPECT_FALSE(banner.action);
    EXPECT_NE(MessagesSettingsPage::demoBanner(workspace, 6).id, banner.id) << "a new identifier each time";

    workspace.installed.insert(QStringLiteral("com.anthropic.claudefordesktop"),
                               {QStringLiteral("/opt/claude/claude.desktop"), QStringLiteral("Claude.app Beta.app")});
    banner = MessagesSettingsPage::demoBanner(workspace, 12.5);
    EXPECT_EQ(banner.title, QStringLiteral("Claude Beta")) << "every \".app\" removed";
    EXPECT_EQ(banner.duration, 12.5);
}

TEST(MessagesSettingsPageRules, TheCommandExamplesKeepTheirQuotes)
{
    EXPECT_EQ(MessagesSettingsPage::commandExamples,
              (QStringList{QStringLiteral(R"(quib notify "Build terminou")"), QStringLiteral(R"(npm test; quib notify "Testes acabaram")"),
                           QStringLiteral(R"(quib notify --title Deploy --body "No ar" --symbol checkmark.circle.fill --color green)")}));
}

TEST(NotificationsSettingsPageRules, OneSectionUnderTheCard)
{
    using Section = NotificationsSettingsPage::Section;
    struct Case {
        bool hasMonitor;
        bool hasAccess;
        bool appNotifications;
        Section expected;
    };
    const Case cases[] = {
        {true, true, true, Section::appList},
        {true, true, false, Section::appList},
        {true, false, true, Section::accessWarning},
        {false, false, true, Section::accessWarning},
        {false, true, true, Section::accessWarning},
        {true, false, false, Section::none},
        {false, false, false, Section::none},
        {false, true, false, Section::none},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NotificationsSettingsPage::section(c.hasMonitor, c.hasAccess, c.appNotifications), c.expected)
            << c.hasMonitor << c.hasAccess << c.appNotifications;
}

