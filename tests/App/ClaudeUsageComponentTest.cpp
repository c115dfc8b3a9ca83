#include "App/ClaudeUsage.h"
#include "Platform/Fake/FakePlatform.h"
#include "Support/EpochTime.h"

#include "LoopbackHttpServer.h"
#include "QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QByteArray usageAnswer = R"({"five_hour":{"utilization":104.2,"resets_at":"2026-03-02T13:00:00.123456+00:00"},)"
                         R"("seven_day":{"utilization":37,"resets_at":"2026-03-05T10:00:00Z"},"extra_usage":null})";

QByteArray login(const QByteArray &token, std::optional<QDateTime> expiresAt)
{
    QByteArray expires = expiresAt ? ",\"expiresAt\":" + QByteArray::number(expiresAt->toMSecsSinceEpoch()) : QByteArray();
    return "{\"claudeAiOauth\":{\"accessToken\":\"" + token + "\"" + expires + ",\"scopes\":[\"user:inference\"]}}";
}

using Status = ClaudeUsage::Status;

// The usage poller against a loopback usage endpoint, with fake stored
// logins and the manual clock.
class ClaudeUsageTest : public ::testing::Test {
protected:
    ClaudeUsageTest() { setLogin("first", now().addDays(30)); }

    QDateTime now() const { return platform.scheduler.now(); }
    void setLogin(const QByteArray &token, std::optional<QDateTime> expiresAt)
    {
        platform.credentials.items.insert(ClaudeUsage::credentialsService, login(token, expiresAt));
    }
    QString snapshotPath() const { return dir.path() + QStringLiteral("/quib/claude-usage.json"); }

    FakePlatform platform;
    QTemporaryDir dir;
    LoopbackHttpServer server;
    std::unique_ptr<ClaudeUsage> usage = std::make_unique<ClaudeUsage>(platform.services(), QUrl(server.url().toString() + QStringLiteral("/api/oauth/usage")),
                                                                    snapshotPath());
};

} // namespace

TEST_F(ClaudeUsageTest, PollsAtOnceWithTheAgentsLoginThenEveryMinute)
{
    server.enqueue({200, usageAnswer, {}});
    usage->setEnabled(true);
    EXPECT_EQ(usage->status().kind, Status::Kind::loading);
    ASSERT_TRUE(server.waitForRequests(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->status().kind == Status::Kind::ok; }, 5000));
    const LoopbackHttpServer::Request request = server.requests.first();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/api/oauth/usage");
    EXPECT_EQ(request.header("Authorization"), "Bearer first");
    EXPECT_EQ(request.header("anthropic-beta"), "oauth-2025-04-20");
    EXPECT_EQ(request.header("Accept"), "application/json");
    EXPECT_EQ(request.header("User-Agent"), "Quib");
    QList<QByteArray> names;
    for (const auto &[name, value] : request.headers) {
        if (name == "Authorization" || name == "anthropic-beta" || name == "Accept" || name == "User-Agent")
            names.append(name);
    }
    EXPECT_EQ(names, (QList<QByteArray>{"Authorization", "anthropic-beta", "Accept", "User-Agent"}));

    EXPECT_EQ(usage->status(), (Status{Status::Kind::ok, {}}));
    EXPECT_EQ(usage->fiveHour(), (ClaudeUsageWindow{100, QDateTime(QDate(2026, 3, 2), QTime(13, 0, 0, 123), Qt::UTC)}));
    EXPECT_EQ(usage->sevenDay(), (ClaudeUsageWindow{37, QDateTime(QDate(2026, 3, 5), QTime(10, 0), Qt::UTC)}));
    EXPECT_EQ(ClaudeUsageStore::read(snapshotPath())->sevenDay, usage->sevenDay());
    EXPECT_TRUE(platform.notifications.posted.isEmpty());

    usage->setEnabled(true);
    platform.scheduler.advance(59);
    EXPECT_EQ(server.requests.size(), 1);
    server.enqueue({200, usageAnswer, {}});
    platform.scheduler.advance(1);
    ASSERT_TRUE(server.waitForRequests(2));
}

TEST_F(ClaudeUsageTest, AnswersWithoutUsageGiveTheirStatus)
{
    struct Case {
        const char *name;
        LoopbackHttpServer::Reply reply;
        Status expected;
    };
    const QList<Case> cases{
        {"refused", {403, "{\"error\":\"forbidden\"}", {}}, Status::failed(QStringLiteral("login recusado (403)"))},
        {"server error", {500, "oops", {}}, Status::failed(QStringLiteral("resposta 500"))},
        {"no windows", {200, R"({"five_hour":null,"seven_day":{"utilization":"12"}})", {}}, Status::failed(QStringLiteral("resposta sem limites"))},
        {"truncated", {200, R"({"five_hour":{"utilization":)", {}}, Status::failed(QStringLiteral("resposta sem limites"))},
    };
    int count = 0;
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        usage->setEnabled(false);
        server.enqueue(test.reply);
        usage->setEnabled(true);
        ASSERT_TRUE(server.waitForRequests(++count));
        EXPECT_TRUE(QTest::qWaitFor([&] { return usage->status() == test.expected; }, 5000)) << usage->status().message.toStdString();
        EXPECT_FALSE(usage->hasData());
    }
}

TEST_F(ClaudeUsageTest, ARefusedCachedLoginIsReadAgainOnce)
{
    server.enqueue({200, usageAnswer, {}});
    usage->setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->hasData(); }, 5000));
    // The agent has logged in again meanwhile.
    setLogin("second", now().addDays(30));
    server.enqueue({401, "", {}});
    server.enqueue({401, "", {}});
    platform.scheduler.advance(60);
    ASSERT_TRUE(server.waitForRequests(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->status().kind == Status::Kind::expired; }, 5000));
    EXPECT_EQ(server.requests.at(1).header("Authorization"), "Bearer first");
    EXPECT_EQ(server.requests.at(2).header("Authorization"), "Bearer second");
    // The data shown stays.
    EXPECT_TRUE(usage->hasData());
    QTest::qWait(50);
    EXPECT_EQ(server.requests.size(), 3);
}

TEST_F(ClaudeUsageTest, TooManyRequestsPausesAutomaticPolls)
{
    struct Case {
        QByteArray retryAfter;
        double pause;
    };
    const QList<Case> cases{{"120", 300}, {"900", 900}, {"99999999999999999999999", ClaudeUsage::maximumPause}, {"soon", 300}, {"-5", 300}};
    int count = 0;
    usage->setEnabled(true);
    for (const Case &test : cases) {
        SCOPED_TRACE(test.retryAfter.toStdString());
        server.enqueue({429, "", {{"Retry-After", test.retryAfter}}});
        // The user's request goes through a pause.
        usage->fetch(Credentials::Interaction::allowed);
        ASSERT_TRUE(server.waitForRequests(++count));
        ASSERT_TRUE(QTest::qWaitFor([&] { return usage->pausedUntil() == platform.scheduler.deadlineAfter(test.pause); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return usage->status().kind == Status::Kind::failed; }, 5000));
        EXPECT_EQ(usage->status(), Status::failed(QStringLiteral("muitas consultas, tentando de novo em breve")));
        EXPECT_EQ(usage->pausedUntil(), platform.scheduler.deadlineAfter(test.pause));
    }

    // During the pause neither the timer nor the notch polls; the user can.
    platform.scheduler.advance(120);
    usage->refreshIfStale();
    QTest::qWait(50);
    EXPECT_EQ(server.requests.size(), count);
    server.enqueue({200, usageAnswer, {}});
    usage->fetch(Credentials::Interaction::allowed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->status().kind == Status::Kind::ok; }, 5000));
    EXPECT_EQ(usage->pausedUntil(), std::nullopt);

    // With data on screen a 429 leaves the status as it was.
    server.enqueue({429, "", {}});
    usage->fetch(Credentials::Interaction::allowed);
    ASSERT_TRUE(server.waitForRequests(count + 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->pausedUntil().has_value(); }, 5000));
    EXPECT_EQ(usage->status().kind, Status::Kind::ok);
}

TEST_F(ClaudeUsageTest, LoginsThatCannotBeUsedStopBeforeAnyRequest)
{
    platform.credentials.items.clear();
    usage->setEnabled(true);
    EXPECT_EQ(usage->status().kind, Status::Kind::noLogin);

    platform.credentials.items.insert(ClaudeUsage::credentialsService, "{\"claudeAiOauth\":{\"accessToken\":\"\"}}");
    usage->fetch(Credentials::Interaction::forbidden);
    EXPECT_EQ(usage->status().kind, Status::Kind::noLogin);

    setLogin("locked", std::nullopt);
    platform.credentials.lockedServices = {ClaudeUsage::credentialsService};
    usage->fetch(Credentials::Interaction::forbidden);
    EXPECT_EQ(usage->status().kind, Status::Kind::needsPermission);
    platform.credentials.lockedServices.clear();

    setLogin("late", now().addSecs(29));
    usage->fetch(Credentials::Interaction::forbidden);
    EXPECT_EQ(usage->status().kind, Status::Kind::expired);
    EXPECT_TRUE(server.requests.isEmpty());

    // A login without an expiry never expires; one expiring within a minute
    // is read again before each request.
    setLogin("forever", std::nullopt);
    server.enqueue({200, usageAnswer, {}});
    usage->fetch(Credentials::Interaction::forbidden);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->status().kind == Status::Kind::ok; }, 5000));
    setLogin("soon", now().addSecs(45));
    const qsizetype reads = platform.credentials.reads.size();
    server.enqueue({200, usageAnswer, {}});
    platform.scheduler.advance(60);
    ASSERT_TRUE(server.waitForRequests(2));
    EXPECT_EQ(platform.credentials.reads.size(), reads);
    EXPECT_EQ(server.requests.last().header("Authorization"), "Bearer forever");
}

TEST_F(ClaudeUsageTest, TakesOverNewerSnapshotsFromTheCommandLineWhileOff)
{
    const ClaudeUsageStore::Snapshot fromCommand{ClaudeUsageWindow{12, std::nullopt}, std::nullopt, now()};
    ClaudeUsageStore::write(fromCommand, snapshotPath());
    platform.notifications.deliver({ClaudeUsageStore::notification, QString(), {}});
    EXPECT_EQ(usage->fiveHour(), fromCommand.fiveHour);
    EXPECT_EQ(usage->status().kind, Status::Kind::off);

    ClaudeUsageStore::write({ClaudeUsageWindow{99, std::nullopt}, std::nullopt, now().addSecs(-5)}, snapshotPath());
    platform.notifications.deliver({ClaudeUsageStore::notification, QString(), {}});
    EXPECT_EQ(usage->fiveHour(), fromCommand.fiveHour);

    // A new instance loads the file at once.
    ClaudeUsage another(platform.services(), server.url(), snapshotPath());
    EXPECT_EQ(another.fiveHour()->used, 99);
}

TEST_F(ClaudeUsageTest, AnAnswerAfterSwitchingOffIsDropped)
{
    server.setHolding(true);
    server.enqueue({200, usageAnswer, {}});
    usage->setEnabled(true);
    ASSERT_TRUE(server.waitForRequests(1));
    usage->setEnabled(false);
    server.release();
    QTest::qWait(100);
    EXPECT_FALSE(usage->hasData());
    EXPECT_EQ(usage->status().kind, Status::Kind::off);
    EXPECT_FALSE(QFile::exists(snapshotPath()));

    // Switching on again polls at once.
    server.setHolding(false);
    server.enqueue({200, usageAnswer, {}});
    usage->setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return usage->hasData(); }, 5000));
    EXPECT_TRUE(QFile::exists(snapshotPath()));
    usage->setEnabled(false);
    EXPECT_FALSE(QFile::exists(snapshotPath()));
}

TEST_F(ClaudeUsageTest, TransportFailuresAndTheDebugDump)
{
    platform.defaults.setObject(QStringLiteral("debugHooks"), true);
    ClaudeUsage unreachable(platform.services(), QUrl(QStringLiteral("http://127.0.0.1:1/api/oauth/usage")), snapshotPath());
    unreachable.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unreachable.status().kind == Status::Kind::failed; }, 5000));
    EXPECT_FALSE(unreachable.status().message.isEmpty());
    QFile dump(ClaudeUsage::debugPath);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(dump.readAll()), QStringLiteral("status=failed(\"%1\") http=0 5h=- semana=-").arg(unreachable.status().message));
}
