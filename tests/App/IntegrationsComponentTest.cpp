#include "App/AppModel.h"
#include "App/CommandLineTool.h"
#include "App/Integrations.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "QtPrinters.h"
#include "Support/Scheduler.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPropertyNotifier>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The agent's settings with keys of its own, numbers of every kind, a hook
// group with a matcher and hooks of other programs.
const QByteArray othersSettings = R"json({
  "model": "opus",
  "permissions": {"allow": ["Bash(git diff:*)", "Read(/etc/hosts)"], "deny": []},
  "cleanupPeriodDays": 30,
  "numbers": {"integer": 5, "fraction": 1.5, "beyondDouble": 9007199254740993, "tiny": 1e-7, "negative": -42},
  "env": {"PATH_EXTRA": "/opt/tools/bin"},
  "hooks": {
    "Stop": [
      {"matcher": "", "hooks": [{"type": "command", "command": "notify-send done", "timeout": 10}]}
    ],
    "PreToolUse": [
      {"matcher": "Bash", "hooks": [{"type": "command", "command": "/usr/local/bin/audit", "timeout": 3}]}
    ]
  }
}
)json";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(contents);
}

QJsonObject parse(const QByteArray &contents)
{
    return QJsonDocument::fromJson(contents).object();
}

// The hook commands of one event, group by group.
QList<QStringList> commands(const QJsonObject &settings, const QString &event)
{
    QList<QStringList> groups;
    for (const QJsonValue &entry : settings.value(QStringLiteral("hooks")).toObject().value(event).toArray()) {
        QStringList group;
        for (const QJsonValue &hook : entry.toObject().value(QStringLiteral("hooks")).toArray())
            group.append(hook.toObject().value(QStringLiteral("command")).toString());
        groups.append(group);
    }
    return groups;
}

// A home folder of its own (HOME points at it while the test runs), with two
// copies of the program: the running one and an older one.
class IntegrationsTest : public ::testing::Test {
protected:
    IntegrationsTest()
    {
        m_previousHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        writeFile(executable, "#!/bin/sh\n");
        writeFile(olderExecutable, "#!/bin/sh\n");
    }
    ~IntegrationsTest() override
    {
        integrations.reset();
        qputenv("HOME", m_previousHome);
    }

    Integrations &make(std::optional<QString> runningExecutable)
    {
        integrations = std::make_unique<Integrations>(defaults, std::move(runningExecutable));
        return *integrations;
    }
    Integrations &model()
    {
        if (!integrations)
            make(executable);
        return *integrations;
    }
    // Runs the event loop until every action's results are applied.
    void settle() { ASSERT_TRUE(waitUntil([this] { return !integrations->isBusy(); })); }
    void refreshed()
    {
        model().refresh();
        settle();
    }

    void expectEveryActionFailsOnTheSettings(const QString &description);

    QString path(const QString &relative) const { return home.filePath(relative); }
    QString linkDestination() const { return QFileInfo(Integrations::commandPath()).symLinkTarget(); }
    bool linkExists() const { return QFileInfo(Integrations::commandPath()).isSymLink(); }
    QString hookCommand() const { return Integrations::commandPath() + QStringLiteral(" claude-hook"); }

    QTemporaryDir home;
    const QString executable = home.filePath(QStringLiteral("opt/quib-2.0/bin/quib"));
    const QString olderExecutable = home.filePath(QStringLiteral("opt/quib-1.0/bin/quib"));
    const QString settingsPath = home.filePath(QStringLiteral(".claude/settings.json"));
    const QString backupPath = home.filePath(QStringLiteral(".claude/settings.json.quib-backup"));
    ManualScheduler scheduler;
    JsonUserDefaults defaults{scheduler, home.filePath(QStringLiteral("config/quib/defaults.json"))};
    std::unique_ptr<Integrations> integrations;

private:
    QByteArray m_previousHome;
};

TEST_F(IntegrationsTest, PathsFollowTheHomeFolder)
{
    EXPECT_EQ(Integrations::commandPath(), path(QStringLiteral(".local/bin/quib")));
    EXPECT_EQ(Integrations::claudeSettingsPath(), settingsPath);
    EXPECT_EQ(Integrations::claudeSettingsBackupPath(), backupPath);
}

TEST_F(IntegrationsTest, ConnectingWithoutSettingsCreatesThemWithOnlyTheTwoHooks)
{
    model().connectClaudeCode();
    settle();

    const QString entry = QStringLiteral(R"(            {
                "hooks": [
                    {
                        "command": "%1",
                        "timeout": 5,
                        "type": "command"
                    }
                ]
            }
)")
                              .arg(hookCommand());
    const QString expected = QStringLiteral("{\n    \"hooks\": {\n        \"Notification\": [\n") + entry
        + QStringLiteral("        ],\n        \"Stop\": [\n") + entry + QStringLiteral("        ]\n    }\n}\n");
    EXPECT_EQ(QString::fromUtf8(readFile(settingsPath)), expected);
    EXPECT_FALSE(QFileInfo::exists(backupPath)) << "nothing to copy";
    EXPECT_EQ(linkDestination(), executable);
    EXPECT_TRUE(model().commandInstalled());
    EXPECT_TRUE(model().claudeConnected());
    EXPECT_FALSE(model().statusLineConnected());
    EXPECT_EQ(model().lastError(), std::nullopt);
}

TEST_F(IntegrationsTest, ConnectingKeepsEveryOtherKeyAndAppendsOnceAfterOthersHooks)
{
    writeFile(settingsPath, othersSettings);

    model().connectClaudeCode();
    model().connectClaudeCode();
    settle();

    const QByteArray written = readFile(settingsPath);
    QJsonObject settings = parse(written);
    EXPECT_EQ(commands(settings, QStringLiteral("Stop")), (QList<QStringList>{{QStringLiteral("notify-send done")}, {hookCommand()}}));
    EXPECT_EQ(commands(settings, QStringLiteral("Notification")), (QList<QStringList>{{hookCommand()}}));
    const QJsonObject othersStop = settings[QStringLiteral("hooks")][QStringLiteral("Stop")][0].toObject();
    EXPECT_EQ(othersStop, parse(othersSettings)[QStringLiteral("hooks")][QStringLiteral("Stop")][0].toObject()) << "matcher and timeout kept";
    EXPECT_EQ(settings[QStringLiteral("hooks")][QStringLiteral("PreToolUse")], parse(othersSettings)[QStringLiteral("hooks")][QStringLiteral("PreToolUse")]);

    QJsonObject rest = settings;
    rest.remove(QStringLiteral("hooks"));
    QJsonObject originalRest = parse(othersSettings);
    originalRest.remove(QStringLiteral("hooks"));
    EXPECT_EQ(rest, originalRest);
    // Numbers keep their form: integers stay integers, nothing is rounded.
    for (const char *number : {"\"integer\": 5,", "\"fraction\": 1.5,", "\"beyondDouble\": 9007199254740993,",
                               "\"negative\": -42", "\"cleanupPeriodDays\": 30,", "\"timeout\": 5,", "\"timeout\": 10,"})
        EXPECT_TRUE(written.contains(number)) << number << "\n" << written.constData();
    EXPECT_TRUE(written.contains("\"/opt/tools/bin\"")) << "slashes are not escaped";
    EXPECT_TRUE(written.endsWith("}\n") && !written.endsWith("\n\n"));

    EXPECT_EQ(readFile(backupPath), othersSettings);
    EXPECT_TRUE(model().claudeConnected());
}

TEST_F(IntegrationsTest, TheBackupIsTheFileAsFirstFoundAndIsNeverReplaced)
{
    writeFile(settingsPath, othersSettings);

    model().connectClaudeCode();
    settle();
    writeFile(settingsPath, "{\"edited\": true}");
    model().disconnectClaudeCode();
    model().disconnectStatusLine();
    settle();

    EXPECT_EQ(readFile(backupPath), othersSettings);
    EXPECT_EQ(parse(readFile(settingsPath)), parse("{\"edited\": true}"));
}

// Each row: the settings before disconnecting, and after.
TEST_F(IntegrationsTest, DisconnectingRemovesOnlyTheProgramsHooks)
{
    const QString ours = QStringLiteral(R"({"type": "command", "command": "%1", "timeout": 5})").arg(hookCommand());
    struct Case {
        const char *name;
        QString before;
        QString after;
    };
    const QList<Case> cases{
        {"an entry mixing ours and another keeps the other; ours alone goes with its event",
         QStringLiteral(R"({"hooks": {"Stop": [{"matcher": "x", "hooks": [%1, {"type": "command", "command": "say done"}]}],
                                      "Notification": [{"hooks": [%1]}]}})")
             .arg(ours),
         QStringLiteral(R"({"hooks": {"Stop": [{"matcher": "x", "hooks": [{"type": "command", "command": "say done"}]}]}})")},
        {"hooks left empty disappear, other keys stay",
         QStringLiteral(R"({"theme": "dark", "hooks": {"Stop": [{"hooks": [%1]}], "Notification": [{"hooks": [%1]}]}})").arg(ours),
         QStringLiteral(R"({"theme": "dark"})")},
        {"other events and entries without a list of hook objects stay; an empty list goes",
         QStringLiteral(R"({"hooks": {"PreToolUse": [{"hooks": [%1]}], "Stop": [{"hooks": "odd"}, {"hooks": []}, {"hooks": [%1]}]}})").arg(ours),
         QStringLiteral(R"({"hooks": {"PreToolUse": [{"hooks": [%1]}], "Stop": [{"hooks": "odd"}]}})").arg(ours)},
        {"a command that only resembles ours stays",
         QStringLiteral(R"({"hooks": {"Stop": [{"hooks": [{"command": "quib claude-statusline"}, {"command": 7}]}]}})"),
         QStringLiteral(R"({"hooks": {"Stop": [{"hooks": [{"command": "quib claude-statusline"}, {"command": 7}]}]}})")},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        writeFile(settingsPath, row.before.toUtf8());
        model().disconnectClaudeCode();
        settle();
        EXPECT_EQ(parse(readFile(settingsPath)), parse(row.after.toUtf8())) << readFile(settingsPath).constData();
        EXPECT_FALSE(model().claudeConnected());
        EXPECT_EQ(model().lastError(), std::nullopt);
    }
}

TEST_F(IntegrationsTest, DisconnectingWithoutHooksWritesNothing)
{
    const QByteArray settings = "{\"hooks\": [], \"theme\": \"dark\"}";
    writeFile(settingsPath, settings);

    model().disconnectClaudeCode();
    settle();

    EXPECT_EQ(readFile(settingsPath), settings);
    EXPECT_FALSE(QFileInfo::exists(backupPath));
}

TEST_F(IntegrationsTest, ConnectedOnlyWithOurHookOnBothEvents)
{
    const QString ours = QStringLiteral(R"({"hooks": [{"command": "%1"}]})").arg(hookCommand());
    const QList<std::pair<QString, bool>> cases{
        {QStringLiteral(R"({"hooks": {"Stop": [%1], "Notification": [%1]}})").arg(ours), true},
        {QStringLiteral(R"({"hooks": {"Stop": [%1]}})").arg(ours), false},
        {QStringLiteral(R"({"hooks": {"Stop": [%1], "Notification": []}})").arg(ours), false},
        {QStringLiteral(R"({"hooks": {"Stop": [{"hooks": [{"command": "other"}]}, %1], "Notification": [%1]}})").arg(ours), true},
        {QStringLiteral(R"({"hooks": {"Stop": [%1], "Notification": [%1]}, "broken": )").arg(ours), false},
    };
    for (const auto &[settings, connected] : cases) {
        SCOPED_TRACE(settings.toStdString());
        writeFile(settingsPath, settings.toUtf8());
        refreshed();
        EXPECT_EQ(model().claudeConnected(), connected);
    }
}

TEST_F(IntegrationsTest, AnEmptyFileCountsAsAnEmptyObject)
{
    writeFile(settingsPath, "");

    model().connectClaudeCode();
    settle();

    EXPECT_EQ(model().lastError(), std::nullopt);
    EXPECT_TRUE(model().claudeConnected());
    EXPECT_TRUE(QFileInfo::exists(backupPath));
    EXPECT_EQ(readFile(backupPath), QByteArray());
}

// A file that cannot be read as an object is never replaced: every action
// on it fails with a message ending in `description`, leaves it and the
// saved status line, and makes no backup.
void IntegrationsTest::expectEveryActionFailsOnTheSettings(const QString &description)
{
    const QList<std::pair<const char *, void (Integrations::*)()>> actions{
        {"connect", &Integrations::connectClaudeCode},
        {"disconnect", &Integrations::disconnectClaudeCode},
        {"disconnect the status line", &Integrations::disconnectStatusLine},
    };
    for (const auto &[name, action] : actions) {
        SCOPED_TRACE(name);
        defaults.setObject(CommandLineTool::previousStatusLineKey, QStringLiteral("my-status"));
        (model().*action)();
        settle();
        const std::optional<QString> error = model().lastError();
        ASSERT_TRUE(error.has_value());
        EXPECT_TRUE(error->startsWith(QStringLiteral("Não deu para atualizar ") + settingsPath + QStringLiteral(": "))) << qPrintable(*error);
        EXPECT_TRUE(error->endsWith(description)) << qPrintable(*error);
        EXPECT_FALSE(model().claudeConnected());
        EXPECT_FALSE(QFileInfo::exists(backupPath));
        EXPECT_EQ(defaults.object(CommandLineTool::previousStatusLineKey), QStringLiteral("my-status")) << "the file was not read";
    }
}

TEST_F(IntegrationsTest, SettingsThatAreNotAnObjectAreLeftAlone)
{
    struct Case {
        const char *name;
        // None: a folder stands at the file's path.
        std::optional<QByteArray> contents;
        QString description;
    };
    const QList<Case> cases{
        {"not JSON", QByteArray("{\"model\": \"opus\",,}"), QString()},
        {"a JSON array", QByteArray("[{\"hooks\": {}}]"), QStringLiteral("not a JSON object")},
        {"a folder", std::nullopt, QStringLiteral("Is a directory")},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        QDir(path(QStringLiteral(".claude"))).removeRecursively();
        if (row.contents)
            writeFile(settingsPath, *row.contents);
        else
            QDir().mkpath(settingsPath);

        expectEveryActionFailsOnTheSettings(row.description);

        if (row.contents) {
            EXPECT_EQ(readFile(settingsPath), *row.contents);
        } else {
            EXPECT_TRUE(QFileInfo(settingsPath).isDir());
        }
    }
}

TEST_F(IntegrationsTest, UnreadableSettingsAreNotTakenForEmptyOnes)
{
    writeFile(settingsPath, othersSettings);
    QFile::setPermissions(settingsPath, {});
    if (QFile(settingsPath).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user reads every file";

    expectEveryActionFailsOnTheSettings(QStringLiteral("Permission denied"));

    QFile::setPermissions(settingsPath, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readFile(settingsPath), othersSettings);
}

TEST_F(IntegrationsTest, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    const QString target = path(QStringLiteral("dotfiles/claude/settings.json"));
    writeFile(target, othersSettings);
    QDir().mkpath(path(QStringLiteral(".claude")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../dotfiles/claude/settings.json"), settingsPath));

    model().connectClaudeCode();
    settle();

    EXPECT_TRUE(QFileInfo(settingsPath).isSymLink());
    EXPECT_EQ(QFileInfo(settingsPath).symLinkTarget(), target);
    EXPECT_EQ(commands(parse(readFile(target)), QStringLiteral("Notification")), (QList<QStringList>{{hookCommand()}}));
    EXPECT_FALSE(QFileInfo(backupPath).isSymLink());
    EXPECT_EQ(readFile(backupPath), othersSettings);
    EXPECT_TRUE(model().claudeConnected());
}

TEST_F(IntegrationsTest, StatusLineConnectedOnlyWhenItRunsOurCommand)
{
    const QList<std::pair<QByteArray, bool>> cases{
        {R"({"statusLine": {"type": "command", "command": "/home/u/.local/bin/quib claude-statusline"}})", true},
        {R"({"statusLine": {"type": "command", "command": "ccstatus --compact"}})", false},
        {R"({"statusLine": "quib claude-statusline"})", false},
        {R"({"statusLine": {"command": ["quib claude-statusline"]}})", false},
    };
    for (const auto &[settings, connected] : cases) {
        SCOPED_TRACE(settings.constData());
        writeFile(settingsPath, settings);
        refreshed();
        EXPECT_EQ(model().statusLineConnected(), connected);
    }
}

// Each row: the saved former status line (none: nothing saved) and the
// `statusLine` member afterwards (none: removed).
TEST_F(IntegrationsTest, DisconnectingTheStatusLineRestoresOnlyASavedObject)
{
    struct Case {
        const char *name;
        std::optional<QVariant> saved;
        std::optional<QJsonValue> statusLine;
    };
    const QJsonObject former{{QStringLiteral("type"), QStringLiteral("command")}, {QStringLiteral("command"), QStringLiteral("ccstatus --compact")},
                             {QStringLiteral("padding"), 0}};
    const QList<Case> cases{
        {"saved object", QJsonDocument(former).toJson(), QJsonValue(former)},
        {"nothing saved", std::nullopt, std::nullopt},
        {"saved data that is not an object", QByteArray("[\"ccstatus\"]"), std::nullopt},
        {"saved data that is not JSON", QByteArray("ccstatus"), std::nullopt},
        {"a saved string rather than data", QVariant(QString::fromUtf8(QJsonDocument(former).toJson())), std::nullopt},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        writeFile(settingsPath, R"({"model": "opus", "statusLine": {"type": "command", "command": "quib claude-statusline"}})");
        defaults.setObject(CommandLineTool::previousStatusLineKey, QStringLiteral("ccstatus --compact"));
        if (row.saved)
            defaults.setObject(Integrations::previousStatusLineJSONKey, *row.saved);
        else
            defaults.removeObject(Integrations::previousStatusLineJSONKey);
        refreshed();
        ASSERT_TRUE(model().statusLineConnected());

        model().disconnectStatusLine();
        settle();

        const QJsonObject settings = parse(readFile(settingsPath));
        EXPECT_EQ(settings.value(QStringLiteral("model")), QStringLiteral("opus"));
        if (row.statusLine) {
            EXPECT_EQ(settings.value(QStringLiteral("statusLine")), *row.statusLine);
        } else {
            EXPECT_FALSE(settings.contains(QStringLiteral("statusLine")));
        }
        EXPECT_FALSE(model().statusLineConnected());
        EXPECT_FALSE(defaults.object(CommandLineTool::previousStatusLineKey).isValid());
        EXPECT_FALSE(defaults.object(Integrations::previousStatusLineJSONKey).isValid());
        EXPECT_EQ(model().lastError(), std::nullopt);
    }
}

// The saved status line goes once the file was read, even when the write
// then fails (here: the file is a link into a folder that does not exist).
TEST_F(IntegrationsTest, AFailedStatusLineWriteStillForgetsTheSavedOne)
{
    QDir().mkpath(path(QStringLiteral(".claude")));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("gone/settings.json")), settingsPath));
    defaults.setObject(CommandLineTool::previousStatusLineKey, QStringLiteral("ccstatus"));
    defaults.setObject(Integrations::previousStatusLineJSONKey, QByteArray(R"({"command": "ccstatus"})"));

    model().disconnectStatusLine();
    settle();

    ASSERT_TRUE(model().lastError().has_value());
    EXPECT_TRUE(model().lastError()->startsWith(QStringLiteral("Não deu para atualizar ") + settingsPath + QStringLiteral(": ")));
    EXPECT_FALSE(defaults.object(CommandLineTool::previousStatusLineKey).isValid());
    EXPECT_FALSE(defaults.object(Integrations::previousStatusLineJSONKey).isValid());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("gone"))));
}

TEST_F(IntegrationsTest, InstallingNeverReplacesAFile)
{
    const QString command = Integrations::commandPath();
    writeFile(command, "#!/bin/sh\necho mine\n");

    model().installCommand();
    model().connectClaudeCode();
    settle();

    EXPECT_EQ(model().lastError(), QStringLiteral("Não deu para criar ") + command + QStringLiteral(": File exists"));
    EXPECT_EQ(readFile(command), "#!/bin/sh\necho mine\n");
    EXPECT_FALSE(model().commandInstalled());
    EXPECT_FALSE(QFileInfo::exists(settingsPath)) << "connecting stops before the agent's file";
}

TEST_F(IntegrationsTest, InstallingFailsWhereTheFolderCannotBeMade)
{
    writeFile(path(QStringLiteral(".local")), "not a folder");

    model().installCommand();
    settle();

    EXPECT_EQ(model().lastError(), QStringLiteral("Não deu para criar ") + Integrations::commandPath() + QStringLiteral(": Not a directory"));
    EXPECT_FALSE(model().commandInstalled());
}

TEST_F(IntegrationsTest, ALinkToAnotherProgramIsReplacedOnInstallButKeptOnUninstall)
{
    QDir().mkpath(path(QStringLiteral(".local/bin")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/bin/sh"), Integrations::commandPath()));

    model().uninstallCommand();
    settle();
    EXPECT_EQ(linkDestination(), QStringLiteral("/bin/sh"));
    EXPECT_FALSE(model().commandInstalled());

    model().installCommand();
    settle();
    EXPECT_EQ(linkDestination(), executable);
    EXPECT_TRUE(model().commandInstalled());
    EXPECT_EQ(model().lastError(), std::nullopt);

    model().uninstallCommand();
    settle();
    EXPECT_FALSE(linkExists());
    EXPECT_FALSE(model().commandInstalled());
    EXPECT_TRUE(QFileInfo::exists(executable));
}

// Installing or connecting with no program to link, or one that would not
// count as the command, says why and leaves no link and no hooks.
TEST_F(IntegrationsTest, WithoutAProgramNamedQuibNothingIsLinkedAndTheReasonIsShown)
{
    const QString renamed = path(QStringLiteral("opt/quib-2.0/bin/quib-dev"));
    writeFile(renamed, "#!/bin/sh\n");
    struct Case {
        const char *name;
        std::optional<QString> executable;
        QString description;
    };
    const Case cases[] = {
        {"no running program known", std::nullopt, QStringLiteral("o caminho do programa em execução é desconhecido")},
        {"a program of another name", renamed, QStringLiteral("o programa em execução (%1) não se chama quib").arg(renamed)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString expected = QStringLiteral("Não deu para criar ") + Integrations::commandPath() + QStringLiteral(": ") + c.description;
        make(c.executable).installCommand();
        settle();
        EXPECT_EQ(model().lastError(), expected);

        model().connectClaudeCode();
        settle();
        EXPECT_EQ(model().lastError(), expected);
        EXPECT_FALSE(linkExists());
        EXPECT_FALSE(model().commandInstalled());
        EXPECT_FALSE(model().claudeConnected());
        EXPECT_FALSE(QFileInfo::exists(settingsPath)) << "connecting stops before the agent's file";
    }
}

// Each row: what ~/.local/bin/quib is before the repair (none: nothing),
// and where it points afterwards (none: no link).
TEST_F(IntegrationsTest, RepairingPointsOnlyOurOwnLinkAtThisExecutable)
{
    struct Case {
        const char *name;
        std::optional<QString> destination;
        std::optional<QString> after;
    };
    const QList<Case> cases{
        {"a link into an older copy", olderExecutable, executable},
        {"a link into a copy that is gone", path(QStringLiteral("Downloads/quib")), executable},
        {"no link", std::nullopt, std::nullopt},
        {"a link to another program", QStringLiteral("/bin/sh"), QStringLiteral("/bin/sh")},
        {"a link already here", executable, executable},
    };
    for (const Case &row : cases) {
        SCOPED_TRACE(row.name);
        QDir(path(QStringLiteral(".local"))).removeRecursively();
        if (row.destination) {
            QDir().mkpath(path(QStringLiteral(".local/bin")));
            ASSERT_TRUE(QFile::link(*row.destination, Integrations::commandPath()));
        }
        model().repairCommandLink();
        settle();
        EXPECT_EQ(linkExists(), row.after.has_value());
        if (row.after) {
            EXPECT_EQ(linkDestination(), *row.after);
        }
    }
}

TEST_F(IntegrationsTest, RepairingLeavesTheFlagsAndTheLastError)
{
    writeFile(path(QStringLiteral(".local")), "not a folder");
    model().installCommand();
    settle();
    const std::optional<QString> error = model().lastError();
    ASSERT_TRUE(error.has_value());
    QFile::remove(path(QStringLiteral(".local")));
    QDir().mkpath(path(QStringLiteral(".local/bin")));
    ASSERT_TRUE(QFile::link(olderExecutable, Integrations::commandPath()));

    model().repairCommandLink();
    settle();

    EXPECT_EQ(linkDestination(), executable);
    EXPECT_EQ(model().lastError(), error);
    EXPECT_FALSE(model().commandInstalled()) << "shown after the next refresh";
    refreshed();
    EXPECT_TRUE(model().commandInstalled());
}

// Actions reach the disk in call order and each one's results show in turn;
// a flag notifies only when it changes, and each action clears the error.
TEST_F(IntegrationsTest, ActionsApplyInCallOrder)
{
    writeFile(Integrations::commandPath(), "a file in the way");
    QList<bool> connected;
    QList<std::optional<QString>> errors;
    const QPropertyNotifier connectedNotifier = model().bindableClaudeConnected().addNotifier([&] { connected.append(model().claudeConnected()); });
    const QPropertyNotifier errorNotifier = model().bindableLastError().addNotifier([&] { errors.append(model().lastError()); });

    model().connectClaudeCode();
    model().refresh();
    settle();
    QFile::remove(Integrations::commandPath());
    model().connectClaudeCode();
    model().refresh();
    model().disconnectClaudeCode();
    model().refresh();
    settle();

    EXPECT_EQ(connected, (QList<bool>{true, false}));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].has_value());
    EXPECT_EQ(errors[1], std::nullopt);
}

// The app model refreshes and repairs the link without creating one.
TEST_F(IntegrationsTest, TheAppModelReadsTheLinkAndNeverCreatesOne)
{
    for (const bool withLink : {true, false}) {
        SCOPED_TRACE(withLink ? "a link into an older copy" : "no link");
        QDir(path(QStringLiteral(".local"))).removeRecursively();
        if (withLink) {
            QDir().mkpath(path(QStringLiteral(".local/bin")));
            ASSERT_TRUE(QFile::link(olderExecutable, Integrations::commandPath()));
        }
        FakePlatform platform;
        AppModel app(platform.services());
        ASSERT_TRUE(waitUntil([&] { return !app.integrations.isBusy(); }));

        EXPECT_EQ(app.integrations.commandInstalled(), withLink);
        EXPECT_EQ(linkExists(), withLink);
        if (withLink) {
            // The test program is not named quib: a link to it would not be
            // the command, so the one found stays.
            EXPECT_EQ(linkDestination(), olderExecutable);
        }
    }
}

} // namespace
