#include "Alerts/ExternalAlertListener.h"
#include "App/CommandLineTool.h"
#include "Platform/Fake/FakePlatform.h"

#include "QtPrinters.h"

#include <QBuffer>
#include <QJsonArray>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray assistantLine(const QString &text)
{
    const QJsonObject line{{QStringLiteral("type"), QStringLiteral("assistant")},
                           {QStringLiteral("message"), QJsonObject{{QStringLiteral("content"), QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                                                                                              {QStringLiteral("text"), text}}}}}}};
    return QJsonDocument(line).toJson(QJsonDocument::Compact);
}

// Runs one agent command with `input` on standard input.
class ClaudeCommandsTest : public ::testing::Test {
protected:
    ClaudeCommandsTest() { platform.workspace.addApplication(getppid(), 1, QStringLiteral("org.gnome.Terminal")); }

    int run(const QString &command, const QByteArray &input)
    {
        inputBuffer.setData(input);
        inputBuffer.open(QIODevice::ReadOnly);
        outputBuffer.setData(QByteArray());
        outputBuffer.open(QIODevice::WriteOnly);
        QTextStream out(&outputBuffer);
        QTextStream err(&errors);
        CommandLineTool tool(platform.notifications, platform.workspace, platform.defaults, inputBuffer, out, err, dir.path() + QStringLiteral("/usage.json"));
        const int status = tool.run({command});
        out.flush();
        inputBuffer.close();
        outputBuffer.close();
        return status;
    }

    QString transcript(const QByteArray &contents)
    {
        const QString path = dir.path() + QStringLiteral("/transcript.jsonl");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(contents);
        return path;
    }

    QByteArray hookInput(const QJsonObject &object) { return QJsonDocument(object).toJson(); }

    FakePlatform platform;
    QTemporaryDir dir;
    QBuffer inputBuffer;
    QBuffer outputBuffer;
    QString errors;
};

} // namespace

TEST(ClaudeCommands, NotificationTexts)
{
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("Claude needs your permission to use Bash."), QStringLiteral("Precisa da sua permissão para usar Bash")},
        {QStringLiteral("CLAUDE NEEDS YOUR PERMISSION TO USE BASH"), QStringLiteral("Precisa da sua permissão")},
        {QStringLiteral("Permission needed to use  …!"), QStringLiteral("Precisa da sua permissão")},
        {QStringLiteral("Claude is waiting for your input"), QStringLiteral("Esperando sua resposta")},
        {QStringLiteral("Session idle for 60s"), QStringLiteral("Esperando sua resposta")},
        {QStringLiteral("Compactando o contexto"), QStringLiteral("Compactando o contexto")},
        {QString(), QStringLiteral("Precisa de você")},
    };
    for (const auto &[message, text] : cases)
        EXPECT_EQ(CommandLineTool::notificationText(message), text) << message.toStdString();
}

TEST_F(ClaudeCommandsTest, HookEventsBecomeAlertRequests)
{
    EXPECT_EQ(run(QStringLiteral("claude-hook"), hookInput({{QStringLiteral("hook_event_name"), QStringLiteral("Notification")},
                                                             {QStringLiteral("cwd"), QStringLiteral("/home/ana/quib/")},
                                                             {QStringLiteral("message"), QStringLiteral("Claude needs your permission to use Edit")}})),
              0);
    ASSERT_EQ(platform.notifications.posted.size(), 1);
    EXPECT_EQ(platform.notifications.posted[0].name, ExternalAlertListener::name);
    EXPECT_EQ(platform.notifications.posted[0].userInfo,
              (DistributedNotifications::UserInfo{{QStringLiteral("body"), QStringLiteral("quib · Precisa da sua permissão para usar Edit")},
                                                  {QStringLiteral("symbol"), QStringLiteral("hand.raised.fill")},
                                                  {QStringLiteral("color"), QStringLiteral("orange")},
                                                  {QStringLiteral("app"), QStringLiteral("org.gnome.Terminal")}}));

    // Without a calling application the banner is titled by the agent.
    platform.workspace.processes.clear();
    run(QStringLiteral("claude-hook"), hookInput({{QStringLiteral("hook_event_name"), QStringLiteral("Stop")}, {QStringLiteral("cwd"), QString()}}));
    EXPECT_EQ(platform.notifications.posted.last().userInfo,
              (DistributedNotifications::UserInfo{{QStringLiteral("body"), QStringLiteral("Claude Code · Terminou. Sua vez.")},
                                                  {QStringLiteral("title"), QStringLiteral("Claude Code")}}));

    // Other events and bad input post nothing, say nothing and succeed.
    for (const QByteArray &input : {QByteArray(R"({"hook_event_name":"PreToolUse"})"), QByteArray(R"({"hook_event_name":"Stop")"), QByteArray("[]"),
                                    QByteArray(R"({"hook_event_name":5})"), QByteArray()}) {
        EXPECT_EQ(run(QStringLiteral("claude-hook"), input), 0);
    }
    EXPECT_EQ(platform.notifications.posted.size(), 2);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(outputBuffer.data().isEmpty());
}

TEST_F(ClaudeCommandsTest, StopTellsTheFirstLineOfTheLastReply)
{
    const QString path = transcript(assistantLine(QStringLiteral("Primeira resposta")) + "\n" + R"({"type":"user","message":{"content":"oi"}})" + "\n"
                                    + assistantLine(QStringLiteral("\n\n  ## **Pronto:** ajustei o `CalendarModel`  \nDetalhes")) + "\n");
    run(QStringLiteral("claude-hook"), hookInput({{QStringLiteral("hook_event_name"), QStringLiteral("Stop")},
                                                  {QStringLiteral("cwd"), QStringLiteral("/src/app")},
                                                  {QStringLiteral("transcript_path"), path}}));
    EXPECT_EQ(platform.notifications.posted.last().userInfo->value(QStringLiteral("body")), QStringLiteral("app · Pronto: ajustei o CalendarModel"));
}

TEST_F(ClaudeCommandsTest, LastReplySkipsUnusableLinesAndCutsLongOnes)
{
    const QString exact = QString(140, u'a');
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(assistantLine(exact))), exact);
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(assistantLine(exact + u'b'))), QString(139, u'a') + QStringLiteral("…"));
    // Characters, not code units: 141 emoji are cut like 141 letters.
    const QString emoji = QStringLiteral("👍🏽").repeated(141);
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(assistantLine(emoji))), QStringLiteral("👍🏽").repeated(139) + QStringLiteral("…"));

    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(assistantLine(QStringLiteral("Anterior")) + "\n" + assistantLine(QStringLiteral("**")) + "\n"
                                                            + R"({"type":"assistant","message":{"content":"texto"}})" + "\n" + "{\"type\":\"assistant\", broken\n")),
              QStringLiteral("Anterior"));
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(R"({"type":"user"})")), std::nullopt);
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript("\xff\xfe" + assistantLine(QStringLiteral("x")))), std::nullopt);
    EXPECT_EQ(CommandLineTool::lastAssistantText(dir.path() + QStringLiteral("/missing.jsonl")), std::nullopt);
}

TEST_F(ClaudeCommandsTest, LastReplyReadsOnlyTheTailEvenWhenItStartsInsideACharacter)
{
    const QByteArray last = assistantLine(QStringLiteral("Última linha"));
    const QByteArray early = assistantLine(QStringLiteral("Linha antiga")) + "\n";
    // Filler of two-byte characters, placed so that the tail begins in the
    // middle of one.
    QByteArray filler = "{\"type\":\"note\",\"text\":\"";
    while (filler.size() < CommandLineTool::transcriptTail)
        filler += "é";
    filler += "\"}\n";
    QByteArray contents = early + filler + last + "\n";
    if ((contents.size() - CommandLineTool::transcriptTail - early.size()) % 2 == 0)
        contents.insert(early.size(), ' ');
    const qsizetype cut = contents.size() - CommandLineTool::transcriptTail;
    ASSERT_EQ(static_cast<uchar>(contents.at(cut)) & 0xC0, 0x80);
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(contents)), QStringLiteral("Última linha"));

    // An assistant line that starts before the tail is not found.
    EXPECT_EQ(CommandLineTool::lastAssistantText(transcript(early + filler)), std::nullopt);
}

TEST_F(ClaudeCommandsTest, StatusLineSharesTheLimitsAndPrintsAShortLine)
{
    const QByteArray input = R"({"model":{"display_name":"Opus"},"rate_limits":{"five_hour":{"used_percentage":42.5,"resets_at":1767225600},)"
                             R"("seven_day":{"used_percentage":7.4}}})";
    EXPECT_EQ(run(QStringLiteral("claude-statusline"), input), 0);
    EXPECT_EQ(QString::fromUtf8(outputBuffer.data()), QStringLiteral("Opus · 5h 43% · semana 7%\n"));
    const auto written = ClaudeUsageStore::read(dir.path() + QStringLiteral("/usage.json"));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->fiveHour->used, 42.5);
    ASSERT_EQ(platform.notifications.posted.size(), 1);
    EXPECT_EQ(platform.notifications.posted[0].name, QStringLiteral("com.brenvask.Quib.claudeUsage"));
    EXPECT_EQ(platform.notifications.posted[0].userInfo, DistributedNotifications::UserInfo());

    const QList<std::pair<QByteArray, QByteArray>> cases{
        {"not json", "\n"},
        {R"({"model":{"display_name":"Sonnet"}})", "Sonnet\n"},
        {R"({"model":{"display_name":7},"rate_limits":{"seven_day":{"used_percentage":1e308}}})", "semana 100%\n"},
    };
    for (const auto &[statusInput, expected] : cases) {
        run(QStringLiteral("claude-statusline"), statusInput);
        EXPECT_EQ(outputBuffer.data(), expected) << statusInput.toStdString();
    }
    EXPECT_EQ(platform.notifications.posted.size(), 2);

    // An empty previous command is no command.
    platform.defaults.setObject(CommandLineTool::previousStatusLineKey, QString());
    run(QStringLiteral("claude-statusline"), R"({"model":{"display_name":"Haiku"}})");
    EXPECT_EQ(outputBuffer.data(), "Haiku\n");
}
