#include "App/Integrations.h"
#include "QtPrinters.h"
#include "Settings/ActionRow.h"
#include "Settings/CommandExample.h"
#include "Settings/MessagesSettingsPage.h"
#include "SettingsFilePages.h"
#include "Shared/SystemColors.h"
#include "Wait.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPushButton>
#include <QToolButton>

namespace {

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(contents);
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// A home folder of its own: HOME points at it from before the model exists
// until the test ends, so the integrations work on real files in it.
struct TemporaryHome {
    TemporaryHome()
        : previous(qgetenv("HOME"))
    {
        qputenv("HOME", homeFolder.path().toUtf8());
    }
    ~TemporaryHome() { qputenv("HOME", previous); }

    QTemporaryDir homeFolder;
    QByteArray previous;
};

class MessagesSettingsPageTest : private TemporaryHome, public SettingsFilePages {
protected:
    ~MessagesSettingsPageTest() override
    {
        page.reset();
        settle();
    }

    MessagesSettingsPage &open()
    {
        page = shown(new MessagesSettingsPage(model));
        settle();
        return *page;
    }

    // Waits until every integration action's results are applied.
    void settle()
    {
        EXPECT_TRUE(waitUntil([this] { return !model.integrations.isBusy(); }));
        QCoreApplication::processEvents();
    }

    ActionRow *row(const QString &title) const
    {
        for (ActionRow *candidate : page->findChildren<ActionRow *>()) {
            if (candidate->title()->text() == title)
                return candidate;
        }
        ADD_FAILURE() << "no row " << title.toStdString();
        return nullptr;
    }
    // The row's status while one is shown.
    static std::optional<QString> shownStatus(ActionRow *row)
    {
        if (!row->status()->isVisible())
            return std::nullopt;
        return row->status()->text();
    }
    void click(ActionRow *row) { QTest::mouseClick(row->button(), Qt::LeftButton); }

    // The hook commands of every event in the agent's settings.
    QStringList hookCommands() const
    {
        QStringList commands;
        const QJsonObject hooks = readJson(settingsPath).value(QStringLiteral("hooks")).toObject();
        for (const QString &event : hooks.keys()) {
            for (const QJsonValue &entry : hooks.value(event).toArray()) {
                for (const QJsonValue &hook : entry.toObject().value(QStringLiteral("hooks")).toArray())
                    commands.append(event + QStringLiteral(": ") + hook.toObject().value(QStringLiteral("command")).toString());
            }
        }
        return commands;
    }

    QString home(const QString &relative) const { return homeFolder.filePath(relative); }

    // The command as installed from another copy of the program: connecting
    // needs no link of its own.
    void linkCommandToAProgramNamedQuib()
    {
        const QString program = home(QStringLiteral("opt/quib/bin/quib"));
        writeFile(program, "#!/bin/sh\n");
        QDir().mkpath(QFileInfo(Integrations::commandPath()).absolutePath());
        ASSERT_TRUE(QFile::link(program, Integrations::commandPath()));
    }

    const QString settingsPath = home(QStringLiteral(".claude/settings.json"));
    std::unique_ptr<MessagesSettingsPage> page;
};

const QString hooksRow = QStringLiteral("Avisar quando o Claude terminar ou precisar de você");
const QString usageRow = QStringLiteral("Mostrar os limites de 5 horas e da semana");
const QString permissionRow = QStringLiteral("O macOS precisa da sua permissão para ler o login do Claude Code");
const QString statusLineRow = QStringLiteral("Barra de status do claude no terminal");

} // namespace

TEST_F(MessagesSettingsPageTest, OpeningThePageReadsHooksAddedByHandAndDisconnectingRemovesThem)
{
    linkCommandToAProgramNamedQuib();
    settle();
    ASSERT_FALSE(model.integrations.claudeConnected());
    // Written after the model looked at the disk: only the page's own
    // refresh can find them.
    const QString hook = Integrations::commandPath() + QStringLiteral(" claude-hook");
    writeFile(settingsPath, QStringLiteral(R"({"model": "opus", "hooks": {
        "Stop": [{"hooks": [{"type": "command", "command": "%1", "timeout": 5}]}],
        "Notification": [{"hooks": [{"type": "command", "command": "%1", "timeout": 5}]}],
        "PreToolUse": [{"matcher": "Bash", "hooks": [{"type": "command", "command": "/usr/local/bin/audit"}]}]}})")
                                .arg(hook)
                                .toUtf8());

    open();
    ActionRow *hooks = row(hooksRow);
    ASSERT_TRUE(hooks);
    EXPECT_EQ(shownStatus(hooks), QStringLiteral("Conectado"));
    EXPECT_EQ(hooks->button()->text(), QStringLiteral("Desconectar"));

    click(hooks);
    settle();
    EXPECT_EQ(hookCommands(), QStringList{QStringLiteral("PreToolUse: /usr/local/bin/audit")});
    EXPECT_EQ(readJson(settingsPath).value(QStringLiteral("model")).toString(), QStringLiteral("opus"));
    EXPECT_FALSE(hooks->status()->isVisible());
    EXPECT_EQ(hooks->button()->text(), QStringLiteral("Conectar"));

    click(hooks);
    settle();
    EXPECT_EQ(hookCommands().size(), 3) << "Stop and Notification back, beside the other program's";
    EXPECT_EQ(shownStatus(hooks), QStringLiteral("Conectado"));
    EXPECT_FALSE(page->errorLine()->isVisible());
}

TEST_F(MessagesSettingsPageTest, TheCommandRowRemovesTheLinkAndSaysWhyItCannotInstallThisProgram)
{
    linkCommandToAProgramNamedQuib();
    open();
    ActionRow *command = row(QStringLiteral("Comando quib"));
    ASSERT_TRUE(command);
    EXPECT_EQ(shownStatus(command), QStringLiteral("Instalado em ~/.local/bin"));
    EXPECT_EQ(command->button()->text(), QStringLiteral("Remover"));

    click(command);
    settle();
    EXPECT_FALSE(QFileInfo(Integrations::commandPath()).isSymLink());
    EXPECT_FALSE(command->status()->isVisible());
    EXPECT_EQ(command->button()->text(), QStringLiteral("Instalar"));

    click(command);
    settle();
    // The running program is the test, not one named quib: a link to it
    // would not be the command.
    EXPECT_FALSE(QFileInfo(Integrations::commandPath()).isSymLink());
    EXPECT_EQ(command->button()->text(), QStringLiteral("Instalar"));
    EXPECT_TRUE(page->errorLine()->isVisible());
    EXPECT_EQ(page->errorLine()->text(), QStringLiteral("Não deu para criar %1: o programa em execução (%2) não se chama quib")
                                             .arg(Integrations::commandPath(), *Integrations::runningExecutable()));
}

TEST_F(MessagesSettingsPageTest, AFailedActionShowsItsMessageInRedUntilTheNextAction)
{
    linkCommandToAProgramNamedQuib();
    // A folder where the agent's settings file should be cannot be read.
    QDir().mkpath(settingsPath);
    open();
    EXPECT_FALSE(page->errorLine()->isVisible());

    click(row(hooksRow));
    settle();
    ASSERT_TRUE(model.integrations.lastError());
    EXPECT_TRUE(page->errorLine()->isVisible());
    EXPECT_EQ(page->errorLine()->text(), *model.integrations.lastError());
    EXPECT_EQ(page->errorLine()->palette().color(QPalette::WindowText), SystemColors::red());

    QDir(settingsPath).removeRecursively();
    click(row(hooksRow));
    settle();
    EXPECT_FALSE(model.integrations.lastError());
    EXPECT_FALSE(page->errorLine()->isVisible());
}

TEST_F(MessagesSettingsPageTest, TestarShowsTheDemoBannerWhateverTheAlertSettingsSay)
{
    preferences.externalAlerts.setValue(false);
    preferences.externalDuration.setValue(9);
    preferences.soundOnExternal.setValue(false);
    open();

    click(row(QStringLiteral("Ver como fica")));
    ASSERT_TRUE(model.banners.current());
    EXPECT_EQ(model.banners.current()->title, QStringLiteral("Claude"));
    EXPECT_EQ(model.banners.current()->duration, 9);
    EXPECT_TRUE(platform.soundPlayer.played().isEmpty()) << "no sound while Som is off";

    preferences.soundOnExternal.setValue(true);
    click(row(QStringLiteral("Ver como fica")));
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Bottle")});
}

TEST_F(MessagesSettingsPageTest, SwitchesAndSliderWriteTheSettingsAndFollowChangesMadeElsewhere)
{
    open();
    AccentSwitch *alerts = switchOf(QStringLiteral("Avisos de apps e scripts"));
    ASSERT_TRUE(alerts);
    EXPECT_TRUE(alerts->isChecked());
    QTest::mouseClick(alerts, Qt::LeftButton);
    EXPECT_FALSE(preferences.externalAlerts.value());
    EXPECT_EQ(stored(QStringLiteral("externalAlerts")), QJsonValue(false));

    // The frontmost switch is the same setting as the notifications page's.
    AccentSwitch *frontmost = switchOf(QStringLiteral("Não avisar se o app já estiver na frente"));
    ASSERT_TRUE(frontmost);
    preferences.externalSkipFrontmost.setValue(false);
    EXPECT_FALSE(frontmost->isChecked());

    auto *sound = rowTitled<ToggleRow>(QStringLiteral("Som"));
    ASSERT_TRUE(sound && sound->previewButton());
    QTest::mouseClick(sound->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Bottle")});
    EXPECT_TRUE(preferences.soundOnExternal.value()) << "the preview leaves the switch alone";

    auto *duration = page->findChild<SliderRow *>();
    ASSERT_TRUE(duration);
    EXPECT_EQ(duration->valueText(), QStringLiteral("6s"));
    AccentSlider *slider = duration->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
    EXPECT_EQ(preferences.externalDuration.value(), 15);
    EXPECT_EQ(stored(QStringLiteral("externalDuration")), QJsonValue(15));
    EXPECT_EQ(duration->valueText(), QStringLiteral("15s"));
    preferences.externalDuration.setValue(3);
    EXPECT_EQ(duration->valueText(), QStringLiteral("3s"));

    auto *side = page->findChild<PickerRow *>();
    ASSERT_TRUE(side);
    EXPECT_EQ(side->menu()->currentText(), QStringLiteral("Os dois"));
    preferences.sideColumn.setValue(SideColumn::claude);
    EXPECT_EQ(side->menu()->currentText(), QStringLiteral("Claude"));
    EXPECT_EQ(side->menu()->count(), 3);
    EXPECT_EQ(side->menu()->itemText(0), QStringLiteral("Eventos e clima"));
    side->menu()->activated(0);
    EXPECT_EQ(stored(QStringLiteral("sideColumn")), QJsonValue(QStringLiteral("calendar")));
}

TEST_F(MessagesSettingsPageTest, TheUsageRowFollowsThePollerAndOffersThePermission)
{
    // A login the keyring gives only when the user may be asked, and which
    // holds no token: asking never reaches the network.
    platform.credentials.items.insert(ClaudeUsage::credentialsService, QByteArray("{}"));
    platform.credentials.lockedServices.append(ClaudeUsage::credentialsService);
    open();
    ActionRow *usage = row(usageRow);
    ActionRow *permission = row(permissionRow);
    ASSERT_TRUE(usage && permission);
    EXPECT_FALSE(usage->status()->isVisible());
    EXPECT_EQ(usage->button()->text(), QStringLiteral("Conectar"));
    EXPECT_FALSE(permission->isVisible());

    click(usage);
    EXPECT_TRUE(preferences.claudeUsageFromLogin.value());
    EXPECT_EQ(usage->button()->text(), QStringLiteral("Desconectar"));
    EXPECT_EQ(shownStatus(usage), QStringLiteral("Conectado")) << "the poller has not run yet";

    // What the app core does when the setting turns on.
    model.claudeUsage.setEnabled(true);
    EXPECT_EQ(shownStatus(usage), QStringLiteral("Aguardando sua permissão (botão abaixo)"));
    EXPECT_TRUE(permission->isVisible());

    click(permission);
    EXPECT_EQ(platform.credentials.reads.last(), Credentials::Interaction::allowed);
    EXPECT_EQ(shownStatus(usage), QStringLiteral("Entre no Claude Code para ver seus limites"));
    EXPECT_FALSE(permission->isVisible());

    click(usage);
    EXPECT_FALSE(preferences.claudeUsageFromLogin.value());
    EXPECT_FALSE(usage->status()->isVisible());
    EXPECT_EQ(usage->button()->text(), QStringLiteral("Conectar"));
    model.claudeUsage.setEnabled(false);
}

TEST_F(MessagesSettingsPageTest, TheStatusLineRowShowsOnlyWhileTheAgentRunsOurStatusLine)
{
    writeFile(settingsPath, QStringLiteral(R"({"statusLine": {"type": "command", "command": "%1 claude-statusline"}})")
                                .arg(Integrations::commandPath())
                                .toUtf8());
    open();
    ActionRow *statusLine = row(statusLineRow);
    ASSERT_TRUE(statusLine);
    ASSERT_TRUE(model.integrations.statusLineConnected());
    EXPECT_TRUE(statusLine->isVisible());
    EXPECT_EQ(shownStatus(statusLine), QStringLiteral("Conectada"));

    click(statusLine);
    settle();
    EXPECT_FALSE(model.integrations.statusLineConnected());
    EXPECT_FALSE(statusLine->isVisible());
    EXPECT_FALSE(readJson(settingsPath).contains(QStringLiteral("statusLine")));
}

TEST_F(MessagesSettingsPageTest, TheFirstExampleCopiesItsCommandWithItsQuotes)
{
    open();
    const auto examples = page->findChildren<CommandExample *>();
    ASSERT_EQ(examples.size(), 3);
    QTest::mouseClick(examples[0]->copyButton(), Qt::LeftButton);
    EXPECT_EQ(platform.workspace.clipboard, QStringLiteral("quib notify \"Build terminou\""));
    EXPECT_TRUE(examples[0]->isCopied());
    EXPECT_FALSE(examples[1]->isCopied());
    platform.scheduler.advance(CommandExample::copiedDuration);
    EXPECT_FALSE(examples[0]->isCopied());
}
