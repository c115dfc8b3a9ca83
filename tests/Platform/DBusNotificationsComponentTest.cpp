#include "Platform/Linux/DBusNotifications.h"
#include "PrivateBus.h"
#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTest>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace {

using Notification = DistributedNotifications::Notification;
using UserInfo = DistributedNotifications::UserInfo;

const QString notifyName = QStringLiteral("com.brenvask.Quib.notify");
const QString appIdentifier = QStringLiteral("com.brenvask.Quib");

class DBusNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(senderConnection.isConnected());
        ASSERT_TRUE(receiverConnection.isConnected());
        receiver.observe(notifyName, [this](const Notification &notification) { received.append(notification); });
    }

    // Sends a `notify` signal with arbitrary arguments, as a foreign sender might.
    void sendRaw(const QVariantList &arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(DBusNotifications::objectPath, appIdentifier, QStringLiteral("notify"));
        message.setArguments(arguments);
        ASSERT_TRUE(senderConnection.send(message));
    }
    bool waitForNotifications(int count) { return QTest::qWaitFor([&] { return received.size() >= count; }, 5000); }

    PrivateBus bus;
    QDBusConnection senderConnection = bus.connect(QStringLiteral("sender"));
    QDBusConnection receiverConnection = bus.connect(QStringLiteral("receiver"));
    DBusNotifications sender{senderConnection};
    DBusNotifications receiver{receiverConnection};
    QList<Notification> received;
};

// A QVariantMap travels as a{sv}.
QVariant stringVariantMap(const QVariantMap &map)
{
    return QVariant::fromValue(map);
}

} // namespace

TEST_F(DBusNotificationsTest, PostedNotificationReachesAnotherConnection)
{
    const UserInfo info{{QStringLiteral("title"), QStringLiteral("Título ✓")}, {QStringLiteral("body"), QString()}};
    sender.post(notifyName, QString(), info);
    sender.post(QStringLiteral("com.brenvask.Quib.debug"), QStringLiteral("ignored"), {});
    sender.post(notifyName, QStringLiteral("object"), {});
    sender.flush();
    ASSERT_TRUE(waitForNotifications(2));
    EXPECT_EQ(received.at(0).name, notifyName);
    EXPECT_EQ(received.at(0).object, QString());
    EXPECT_EQ(received.at(0).userInfo, info);
    EXPECT_EQ(received.at(1).object, QStringLiteral("object"));
    EXPECT_EQ(received.at(1).userInfo, UserInfo());
    QTest::qWait(50);
    EXPECT_EQ(received.size(), 2) << "other names are not delivered";
}

TEST_F(DBusNotificationsTest, EveryObserverOfANameHearsIt)
{
    int second = 0;
    receiver.observe(notifyName, [&](const Notification &) { ++second; });
    sender.post(notifyName, QString(), {{QStringLiteral("title"), QStringLiteral("x")}});
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(second, 1);
    QTest::qWait(50);
    EXPECT_EQ(received.size(), 1) << "observing twice must not subscribe twice";
}

TEST_F(DBusNotificationsTest, ForeignUserInformationIsReadOnlyWhenEveryValueIsAString)
{
    struct Row {
        const char *name;
        QVariantList arguments;
        std::optional<UserInfo> expected;
    };
    const QList<Row> rows{
        {"stringVariants", {QString(), stringVariantMap({{QStringLiteral("title"), QStringLiteral("T")}})}, UserInfo{{QStringLiteral("title"), QStringLiteral("T")}}},
        {"nonStringVariant", {QString(), stringVariantMap({{QStringLiteral("title"), QStringLiteral("T")}, {QStringLiteral("duration"), 5}})}, std::nullopt},
        {"noUserInformation", {QString()}, UserInfo()},
        {"userInformationNotADictionary", {QString(), QStringList{QStringLiteral("title")}}, std::nullopt},
        {"objectNotAString", {42, QVariant::fromValue(UserInfo())}, std::nullopt},
        {"extraArgument", {QString(), QVariant::fromValue(UserInfo()), QString()}, std::nullopt},
    };
    for (const Row &row : rows)
        sendRaw(row.arguments);
    ASSERT_TRUE(waitForNotifications(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows.at(i).name);
        EXPECT_EQ(received.at(i).userInfo, rows.at(i).expected);
    }
}

TEST_F(DBusNotificationsTest, OnlyOneConnectionCanClaimTheApplication)
{
    EXPECT_EQ(receiver.applicationProcessId(appIdentifier), std::nullopt);
    EXPECT_TRUE(sender.claimApplication(appIdentifier));
    EXPECT_FALSE(receiver.claimApplication(appIdentifier));
    EXPECT_EQ(receiver.applicationProcessId(appIdentifier), QCoreApplication::applicationPid());
}

TEST_F(DBusNotificationsTest, ReopenReachesTheClaimingInstanceEvenBeforeItListens)
{
    ASSERT_TRUE(receiver.claimApplication(appIdentifier));
    // The caller blocks on the reply; the receiver answers on this thread.
    auto reopenFromAnotherThread = [&] {
        std::atomic<int> result = -1;
        std::thread caller([&] { result = sender.reopenApplication(appIdentifier) ? 1 : 0; });
        const bool answered = QTest::qWaitFor([&] { return result != -1; }, 10000);
        caller.join();
        return answered && result == 1;
    };

    EXPECT_TRUE(reopenFromAnotherThread()) << "answered before any handler is set";
    int reopens = 0;
    receiver.observeReopen([&] { ++reopens; });
    EXPECT_EQ(reopens, 1) << "the early request is handed over";

    EXPECT_TRUE(reopenFromAnotherThread());
    EXPECT_EQ(reopens, 2);
}

TEST_F(DBusNotificationsTest, ReopenWithoutARunningInstanceFails)
{
    EXPECT_FALSE(sender.reopenApplication(appIdentifier));
}

TEST_F(DBusNotificationsTest, MalformedNamesAreRefused)
{
    sender.post(QStringLiteral("nodots"), QString(), {{QStringLiteral("title"), QStringLiteral("x")}});
    sender.post(QStringLiteral("trailing."), QString(), {{QStringLiteral("title"), QStringLiteral("x")}});
    receiver.observe(QStringLiteral("nodots"), [this](const Notification &notification) { received.append(notification); });
    sender.post(notifyName, QString(), {{QStringLiteral("title"), QStringLiteral("after")}});
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(received.first().userInfo->value(QStringLiteral("title")), QStringLiteral("after"));
}

TEST(DBusNotificationsWithoutBus, DisconnectedConnectionFailsQuietly)
{
    QDBusConnection nowhere = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/quib-bus"), QStringLiteral("nowhere"));
    ASSERT_FALSE(nowhere.isConnected());
    DBusNotifications notifications(nowhere);
    notifications.post(notifyName, QString(), {{QStringLiteral("title"), QStringLiteral("x")}});
    notifications.flush();
    notifications.observe(notifyName, [](const Notification &) {});
    EXPECT_FALSE(notifications.claimApplication(appIdentifier));
    EXPECT_EQ(notifications.applicationProcessId(appIdentifier), std::nullopt);
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}
