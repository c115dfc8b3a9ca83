#include "Platform/Linux/DBusSessionLock.h"

#include "DBusMockTemplate.h"
#include "PrivateBus.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusVariant>

#include <gtest/gtest.h>

// Counts one signal on the backend's own connection: once the counter has
// it, so has the backend, which lets a test check that a signal changed
// nothing.
class Delivered : public QObject {
    Q_OBJECT
public:
    int count = 0;

public Q_SLOTS:
    void seen() { ++count; }
};

namespace {

using Change = SessionLock::Change;

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString loginService = QStringLiteral("org.freedesktop.login1");
const QString loginManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/c1");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString reason = QStringLiteral("Quib: tela de bloqueio");

QVariant plain(const QVariant &value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

// The screen locker on a private session bus (a bare dbusmock object with
// the screen saver's methods) and logind on a private system bus (dbusmock's
// template with the session "c1").
class DBusSessionLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sessionBus.isRunning());
        ASSERT_TRUE(systemBus.isRunning());
        ASSERT_TRUE(login.start()) << login.log().constData();
        ASSERT_TRUE(login.call(loginManagerPath, mockInterface, QStringLiteral("AddSession"),
                               {QStringLiteral("c1"), QStringLiteral("seat0"), QVariant::fromValue(1000u), QStringLiteral("tester"), true}))
            << login.log().constData();
    }

    void startScreenSaver()
    {
        ASSERT_TRUE(screenSaver.start()) << screenSaver.log().constData();
        addScreenSaverMethod(QStringLiteral("Inhibit"), QStringLiteral("ss"), QStringLiteral("u"), QStringLiteral("ret = 7"));
        addScreenSaverMethod(QStringLiteral("UnInhibit"), QStringLiteral("u"), QString(), QString());
    }
    void addScreenSaverMethod(const QString &name, const QString &in, const QString &out, const QString &code)
    {
        ASSERT_TRUE(screenSaver.call(screenSaverPath, mockInterface, QStringLiteral("AddMethod"), {screenSaverService, name, in, out, code}))
            << screenSaver.log().constData();
    }

    void createLock()
    {
        sessionConnection = sessionBus.connect(QStringLiteral("quib-session"));
        systemConnection = systemBus.connect(QStringLiteral("quib-system"));
        lock = std::make_unique<DBusSessionLock>(sessionConnection, systemConnection, QStringLiteral("c1"));
        lock->observe([this](Change change) { changes.push_back(change); });
        sessionConnection.connect(QString(), QString(), screenSaverService, QStringLiteral("ActiveChanged"), &screenSaverSignals, SLOT(seen()));
        for (const char *member : {"Lock", "Unlock"})
            systemConnection.connect(loginService, sessionPath, sessionInterface, QLatin1String(member), &loginSignals, SLOT(seen()));
        systemConnection.connect(loginService, sessionPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                                 &loginSignals, SLOT(seen()));
    }

    // The locker announces its state; returns once the backend has had it.
    void screenSaverActive(bool active)
    {
        if (!screenSaverOnBus.isRunning())
            ASSERT_TRUE(screenSaverOnBus.start()) << screenSaverOnBus.log().constData();
        const int before = screenSaverSignals.count;
        ASSERT_TRUE(screenSaverOnBus.call(screenSaverPath, mockInterface, QStringLiteral("EmitSignal"),
                                          {screenSaverService, QStringLiteral("ActiveChanged"), QStringLiteral("b"), QVariantList{active}}))
            << screenSaverOnBus.log().constData();
        ASSERT_TRUE(waitUntil([&] { return screenSaverSignals.count > before; }));
        QCoreApplication::processEvents();
    }
    // logind's session method `method` (Lock, Unlock, SetLockedHint), whose
    // signal the backend has had when this returns.
    void loginSession(const QString &method, const QVariantList &arguments = {})
    {
        const int before = loginSignals.count;
        ASSERT_TRUE(login.call(sessionPath, sessionInterface, method, arguments)) << login.log().constData();
        ASSERT_TRUE(waitUntil([&] { return loginSignals.count > before; }));
        QCoreApplication::processEvents();
    }

    // What the screen saver was called with, per call of `method`.
    std::vector<QVariantList> screenSaverCalls(const QString &method)
    {
        std::vector<QVariantList> calls;
        const auto reply = screenSaver.ask(screenSaverPath, mockInterface, QStringLiteral("GetMethodCalls"), {method});
        if (!reply)
            return calls;
        const QDBusArgument list = reply->value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QVariantList arguments;
            list.beginStructure();
            list >> time >> arguments;
            list.endStructure();
            for (QVariant &argument : arguments)
                argument = plain(argument);
            calls.push_back(arguments);
        }
        list.endArray();
        return calls;
    }

    // logind's inhibitors: what, who, why, mode.
    std::vector<QStringList> inhibitors()
    {
        std::vector<QStringList> held;
        const auto reply = login.ask(loginManagerPath, QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"), {});
        if (!reply)
            return held;
        const QDBusArgument list = reply->value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            QString what, who, why, mode;
            uint uid = 0, pid = 0;
            list.beginStructure();
            list >> what >> who >> why >> mode >> uid >> pid;
            list.endStructure();
            held.push_back({what, who, why, mode});
        }
        list.endArray();
        return held;
    }

    PrivateBus sessionBus;
    PrivateBus systemBus;
    DBusMockTemplate login{systemBus.address(), QStringLiteral("logind"), loginService};
    DBusMockTemplate screenSaver{sessionBus.address(), {screenSaverService, screenSaverPath, screenSaverService}};
    // Another program that sends the locker's signal, as a test script does.
    DBusMockTemplate screenSaverOnBus{sessionBus.address(), {QStringLiteral("org.example.Locker"), screenSaverPath, screenSaverService}};
    QDBusConnection sessionConnection{QString()};
    QDBusConnection systemConnection{QString()};
    std::unique_ptr<DBusSessionLock> lock;
    std::vector<Change> changes;
    Delivered screenSaverSignals;
    Delivered loginSignals;
};

} // namespace

TEST(DBusSessionLockPath, EscapesTheSessionIdAsLogindDoes)
{
    const std::pair<const char *, const char *> cases[] = {
        {"c1", "/org/freedesktop/login1/session/c1"},
        {"2", "/org/freedesktop/login1/session/_32"},
        {"12", "/org/freedesktop/login1/session/_312"},
        {"a_b", "/org/freedesktop/login1/session/a_5fb"},
        {"", "/org/freedesktop/login1/session/_"},
    };
    for (const auto &[id, path] : cases)
        EXPECT_EQ(DBusSessionLock::sessionPath(QLatin1String(id)), QLatin1String(path)) << id;
}

TEST_F(DBusSessionLockTest, TheLockersSignalLocksAndUnlocks)
{
    createLock();
    screenSaverActive(true);
    EXPECT_EQ(changes, std::vector<Change>{Change::locked});
    screenSaverActive(true);
    EXPECT_EQ(changes, std::vector<Change>{Change::locked}) << "only changes are announced";
    screenSaverActive(false);
    EXPECT_EQ(changes, (std::vector<Change>{Change::locked, Change::unlocked}));
}

TEST_F(DBusSessionLockTest, LogindsSignalsAndLockedHintLockAndUnlock)
{
    createLock();
    loginSession(QStringLiteral("Lock"));
    EXPECT_EQ(changes, std::vector<Change>{Change::locked});
    loginSession(QStringLiteral("SetLockedHint"), {true});
    EXPECT_EQ(changes, std::vector<Change>{Change::locked}) << "the hint that follows the signal is the same lock";
    loginSession(QStringLiteral("Unlock"));
    EXPECT_EQ(changes, (std::vector<Change>{Change::locked, Change::unlocked}));
    loginSession(QStringLiteral("SetLockedHint"), {false});
    loginSession(QStringLiteral("SetLockedHint"), {true});
    loginSession(QStringLiteral("SetLockedHint"), {false});
    EXPECT_EQ(changes, (std::vector<Change>{Change::locked, Change::unlocked, Change::locked, Change::unlocked}));
}

TEST_F(DBusSessionLockTest, OnlyTheSourceThatLockedUnlocks)
{
    createLock();
    screenSaverActive(true);
    loginSession(QStringLiteral("Unlock"));
    loginSession(QStringLiteral("SetLockedHint"), {false});
    EXPECT_EQ(changes, std::vector<Change>{Change::locked}) << "logind did not lock";
    screenSaverActive(false);
    EXPECT_EQ(changes, (std::vector<Change>{Change::locked, Change::unlocked}));

    changes.clear();
    loginSession(QStringLiteral("Lock"));
    screenSaverActive(false);
    EXPECT_EQ(changes, std::vector<Change>{Change::locked}) << "the locker did not lock";
    loginSession(QStringLiteral("Unlock"));
    EXPECT_EQ(changes, (std::vector<Change>{Change::locked, Change::unlocked}));
}

TEST_F(DBusSessionLockTest, KeepsTheDisplayAwakeThroughTheScreenSaver)
{
    startScreenSaver();
    createLock();
    std::vector<bool> answers;
    const SessionLock::Inhibition inhibition = lock->keepDisplayAwake(reason, [&](bool held) { answers.push_back(held); });
    EXPECT_NE(inhibition, 0u);
    ASSERT_TRUE(waitUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(screenSaverCalls(QStringLiteral("Inhibit")), (std::vector<QVariantList>{{QStringLiteral("Quib"), reason}}));
    EXPECT_TRUE(inhibitors().empty()) << "logind is not asked while the screen saver answers";

    lock->release(inhibition);
    ASSERT_TRUE(waitUntil([&] { return !screenSaverCalls(QStringLiteral("UnInhibit")).empty(); }));
    EXPECT_EQ(screenSaverCalls(QStringLiteral("UnInhibit")), std::vector<QVariantList>{{7u}});
    lock->release(inhibition);
    lock->release(12345);
}

TEST_F(DBusSessionLockTest, ARequestReleasedBeforeItsAnswerIsGivenBack)
{
    startScreenSaver();
    createLock();
    bool answered = false;
    lock->release(lock->keepDisplayAwake(reason, [&](bool) { answered = true; }));
    ASSERT_TRUE(waitUntil([&] { return !screenSaverCalls(QStringLiteral("UnInhibit")).empty(); }));
    EXPECT_EQ(screenSaverCalls(QStringLiteral("UnInhibit")), std::vector<QVariantList>{{7u}});
    EXPECT_FALSE(answered);
}

TEST_F(DBusSessionLockTest, WithoutAScreenSaverLogindHoldsTheIdleState)
{
    createLock();
    std::vector<bool> answers;
    const SessionLock::Inhibition inhibition = lock->keepDisplayAwake(reason, [&](bool held) { answers.push_back(held); });
    ASSERT_TRUE(waitUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(inhibitors(), (std::vector<QStringList>{{QStringLiteral("idle"), QStringLiteral("Quib"), reason, QStringLiteral("block")}}));

    lock->release(inhibition);
    EXPECT_TRUE(waitUntil([&] { return inhibitors().empty(); })) << "closing the descriptor ends the inhibitor";
}

TEST_F(DBusSessionLockTest, WithNeitherNothingIsHeld)
{
    ASSERT_TRUE(login.stop());
    createLock();
    std::vector<bool> answers;
    lock->keepDisplayAwake(reason, [&](bool held) { answers.push_back(held); });
    ASSERT_TRUE(waitUntil([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, std::vector<bool>{false});
}

#include "DBusSessionLockComponentTest.moc"
