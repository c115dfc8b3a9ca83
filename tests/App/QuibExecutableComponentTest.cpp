#include "Alerts/ExternalAlertListener.h"
#include "App/NotifyCommand.h"
#include "Platform/Linux/DBusNotifications.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "QuibProcess.h"

#include <QDBusConnectionInterface>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString notRunningMessage = QStringLiteral("quib: o Quib não está aberto; o aviso não vai aparecer.\n");
const QString usage = QString::fromUtf8(NotifyCommand::usage.data(), qsizetype(NotifyCommand::usage.size()));

class QuibExecutableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    PrivateBus bus;
    QDBusConnection observerConnection = bus.connect(QStringLiteral("observer"));
    QuibProcess quib;
};

} // namespace

TEST_F(QuibExecutableTest, HelpAndUnknownCommands)
{
    for (const char *word : {"help", "-h", "--help"}) {
        SCOPED_TRACE(word);
        const auto result = quib.run({QString::fromLatin1(word)});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, usage + u'\n');
        EXPECT_EQ(result.err, QString());
    }
    for (const QString &word : {QStringLiteral("frobnicate"), QString(), QStringLiteral("Notify"), QStringLiteral("-platform")}) {
        SCOPED_TRACE(word.toStdString());
        const auto result = quib.run({word});
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, QString());
        EXPECT_EQ(result.err, QStringLiteral("quib: comando desconhecido \"") + word + QStringLiteral("\"\n\n") + usage + u'\n');
    }
}

TEST_F(QuibExecutableTest, NotifyWithoutTheAppPostsAndExitsWithOne)
{
    QList<DistributedNotifications::Notification> received;
    DBusNotifications observer(observerConnection);
    observer.observe(ExternalAlertListener::name, [&](const auto &notification) { received.append(notification); });

    const auto result = quib.run({QStringLiteral("notify"), QStringLiteral("sem"), QStringLiteral("app")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, notRunningMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000)) << "posted all the same";
    EXPECT_EQ(received.first().userInfo->value(QStringLiteral("body")), QStringLiteral("sem app"));

    const auto usageError = quib.run({QStringLiteral("notify"), QStringLiteral("--title")});
    EXPECT_EQ(usageError.exitCode, 2);
    EXPECT_EQ(usageError.err, usage + u'\n');
}

TEST_F(QuibExecutableTest, NotifyReachesTheRunningAppAndASecondLaunchEndsAtOnce)
{
    RunningQuib app(quib);
    ASSERT_TRUE(app.waitUntilReady(observerConnection));
    EXPECT_EQ(observerConnection.interface()->servicePid(RunningQuib::busName).value(), app.processId());

    QList<DistributedNotifications::Notification> received;
    DBusNotifications observer(observerConnection);
    observer.observe(ExternalAlertListener::name, [&](const auto &notification) { received.append(notification); });

    const auto result = quib.run({QStringLiteral("notify"), QStringLiteral("--title"), QStringLiteral("Build"), QStringLiteral("--silent"),
                                  QStringLiteral("pronto"), QStringLiteral("✓")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    ASSERT_TRUE(received.first().userInfo);
    const auto &info = *received.first().userInfo;
    EXPECT_EQ(info.value(QStringLiteral("title")), QStringLiteral("Build"));
    EXPECT_EQ(info.value(QStringLiteral("body")), QStringLiteral("pronto ✓"));
    EXPECT_EQ(info.value(QStringLiteral("sound")), QStringLiteral("0"));

    const auto second = quib.run({}, 10000);
    ASSERT_TRUE(second.finished) << "a second launch must end by itself";
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(app.isRunning());
    EXPECT_EQ(observerConnection.interface()->servicePid(RunningQuib::busName).value(), app.processId());
}

// Without a session bus (none named, or nothing listening where the address
// points) every command says its own message and nothing else: no word about
// D-Bus on standard error.
TEST(QuibExecutableWithoutABus, CommandsSayOnlyTheirOwnMessage)
{
    QTemporaryDir folder;
    const QByteArray stop = R"({"hook_event_name":"Stop","cwd":"/home/ana/quib"})";
    const QByteArray notification = R"({"hook_event_name":"Notification","message":"Claude is waiting for your input"})";
    const QByteArray statusLine = R"({"model":{"display_name":"Opus"},"rate_limits":{"five_hour":{"used_percentage":12}}})";
    struct Command {
        const char *name;
        QStringList arguments;
        QByteArray input;
        int exitCode;
        QString out;
        QString err;
    };
    const QList<Command> commands{
        {"notify", {QStringLiteral("notify"), QStringLiteral("pronto")}, {}, 1, QString(), notRunningMessage},
        {"notify usage error", {QStringLiteral("notify"), QStringLiteral("--body")}, {}, 2, QString(), usage + u'\n'},
        {"hook, Stop", {QStringLiteral("claude-hook")}, stop, 0, QString(), QString()},
        {"hook, Notification", {QStringLiteral("claude-hook")}, notification, 0, QString(), QString()},
        {"status line", {QStringLiteral("claude-statusline")}, statusLine, 0, QStringLiteral("Opus · 5h 12%\n"), QString()},
    };
    const QList<std::pair<const char *, std::optional<QString>>> buses{
        {"no address", std::nullopt},
        {"nothing listening", QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus"))},
        {"not an address", QStringLiteral("nonsense")},
    };
    for (const auto &[busName, address] : buses) {
        QuibProcess quib;
        quib.environment().insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
        if (address)
            quib.environment().insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), *address);
        else
            quib.environment().remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        for (const Command &command : commands) {
            SCOPED_TRACE(std::string(busName) + ", " + command.name);
            const auto result = quib.run(command.arguments, 10000, command.input);
            ASSERT_TRUE(result.finished);
            EXPECT_EQ(result.exitCode, command.exitCode);
            EXPECT_EQ(result.out, command.out);
            EXPECT_EQ(result.err, command.err);
        }
    }
}
