#include "Support/HttpClient.h"

#include "LogCapture.h"
#include "LoopbackHttpServer.h"
#include "QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

// A server that takes the request and never answers: after the time-out the
// caller learns that the request timed out, as it would of a server it cannot
// reach, and Qt has nothing to say about it.
TEST(HttpClient, ARequestThatIsNeverAnsweredTimesOutQuietly)
{
    LoopbackHttpServer server;
    server.setHolding(true);
    LogCapture log;
    HttpClient client;
    std::optional<HttpClient::Response> response;
    client.get(server.url(), {}, 0.2, [&](const HttpClient::Response &answer) { response = answer; });
    ASSERT_TRUE(server.waitForRequests(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return response.has_value(); }, 5000));
    EXPECT_EQ(response->status, 0);
    EXPECT_EQ(response->error, HttpClient::timedOut);
    EXPECT_TRUE(response->body.isEmpty());
    EXPECT_EQ(log.messages(QString()), QStringList());
}

TEST(HttpClient, AnUnreachableServerIsATransportErrorAndAnHttpErrorIsAnAnswer)
{
    LoopbackHttpServer server;
    server.enqueue({503, "busy", {{"Retry-After", "30"}}});
    LogCapture log;
    HttpClient client;
    std::optional<HttpClient::Response> answered;
    std::optional<HttpClient::Response> refused;
    client.get(server.url(), {}, 5, [&](const HttpClient::Response &response) { answered = response; });
    client.get(QUrl(QStringLiteral("http://127.0.0.1:1/")), {}, 5, [&](const HttpClient::Response &response) { refused = response; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered && refused; }, 5000));
    EXPECT_EQ(answered->status, 503);
    EXPECT_EQ(answered->body, "busy");
    EXPECT_EQ(answered->header("retry-after"), "30");
    EXPECT_FALSE(answered->error);
    EXPECT_EQ(refused->status, 0);
    ASSERT_TRUE(refused->error);
    EXPECT_NE(*refused->error, HttpClient::timedOut);
    EXPECT_EQ(log.messages(QString()), QStringList());
}
