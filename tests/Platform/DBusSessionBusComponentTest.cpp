#include "Platform/Linux/DBusNotifications.h"
#include "Platform/Linux/DBusSessionBus.h"
#include "PrivateBus.h"
#include "QtPrinters.h"

#include <QDBusConnectionInterface>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using Notification = DistributedNotifications::Notification;

const QString notifyName = QStringLiteral("com.brenvask.Quib.notify");

class DBusSessionBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        receiver.observe(notifyName, [this](const Notification &notification) { received.append(notification); });
    }

    PrivateBus bus;
    QDBusConnection receiverConnection = bus.connect(QStringLiteral("receiver"));
    DBusNotifications receiver{receiverConnection};
    QList<Notification> received;
};

} // namespace

// What a command posts is what the app reads, text that is not UTF-8
// included: the bus would drop a connection that sent it as it is.
TEST_F(DBusSessionBusTest, PostsReachTheAppAsADictionaryOfStrings)
{
    DBusSessionBus sender;
    sender.post(notifyName.toStdString(), "objeto", {{"title", "Build"}, {"body", "pronto ✓"}, {"bad\xff", "caf\xc3"}});
    sender.post("no-dot", "", {{"body", "lost"}});
    sender.post("com.brenvask.Quib.", "", {{"body", "lost"}});
    sender.post(notifyName.toStdString(), "", {});
    // Answered on the same connection after the posts, so the sender was
    // not dropped for what it sent.
    EXPECT_TRUE(sender.ownerProcessId("org.freedesktop.DBus")) << "the bus still answers the sender";

    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 5000));
    EXPECT_EQ(received.at(0).object, QStringLiteral("objeto"));
    EXPECT_EQ(received.at(0).userInfo, (DistributedNotifications::UserInfo{{QStringLiteral("title"), QStringLiteral("Build")},
                                                                           {QStringLiteral("body"), QStringLiteral("pronto ✓")},
                                                                           {QStringLiteral("bad\uFFFD"), QStringLiteral("caf\uFFFD")}}));
    EXPECT_EQ(received.at(1).userInfo, DistributedNotifications::UserInfo());
    QTest::qWait(100);
    EXPECT_EQ(received.size(), 2) << "names that are no signal are not posted";
}

TEST_F(DBusSessionBusTest, OwnerOfANameIsItsProcess)
{
    ASSERT_TRUE(receiverConnection.registerService(QStringLiteral("com.brenvask.QuibTest")));
    DBusSessionBus sender;
    EXPECT_EQ(sender.ownerProcessId("com.brenvask.QuibTest"), std::optional<long>(getpid()));
    EXPECT_EQ(sender.ownerProcessId("com.brenvask.Nobody"), std::nullopt);
    EXPECT_EQ(sender.ownerProcessId("not a name"), std::nullopt);
}

// Without a bus where the address points, nothing is posted and nothing
// waits or ends the process.
TEST(DBusSessionBusWithoutABus, PostsNothingAndKnowsNoOwner)
{
    const QByteArray previous = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quib-test-bus");
    {
        DBusSessionBus sender;
        sender.post(notifyName.toStdString(), "", {{"body", "x"}});
        EXPECT_EQ(sender.ownerProcessId("com.brenvask.Quib"), std::nullopt);
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", previous);
}
