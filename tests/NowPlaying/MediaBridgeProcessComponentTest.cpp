// MediaBridgeProcess with a real child: /usr/bin/perl running a scripted
// stand-in for the bridge (tests/fixtures/bridge/scripted-bridge.pl), and a
// manual clock for the relaunch delays.

#include "LogCapture.h"
#include "NowPlaying/MediaBridgeProcess.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class MediaBridgeProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        setMode("interactive");
    }

    void setMode(const char *mode)
    {
        QFile file(control());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(mode);
    }
    QString control() const { return folder.filePath(QStringLiteral("control")); }
    QStringList linesOf(const QString &suffix) const
    {
        QFile file(control() + suffix);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    qsizetype launches() const { return linesOf(QStringLiteral(".launches")).size(); }

    // A small line limit keeps the long-line cases fast; the limit's size
    // does not change how lines past it are handled.
    static constexpr qsizetype lineLimit = 256 * 1024;

    void create(MediaBridgeProcess::Files files = {})
    {
        if (files.script.isEmpty())
            files = {QStringLiteral(QUIB_TEST_FIXTURES "/bridge/scripted-bridge.pl"), control()};
        bridge = std::make_unique<MediaBridgeProcess>(scheduler, [this](const QJsonObject &object) { messages.append(object); }, files, lineLimit);
    }

    // Starts the child and waits until it runs.
    void startInteractive()
    {
        create();
        bridge->start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return launches() == 1; }, 15000));
    }

    // Waits until the child has ended and its relaunch is scheduled.
    bool waitForRelaunch() { return QTest::qWaitFor([this] { return scheduler.pendingCount() == 1; }, 15000); }

    QTemporaryDir folder;
    LogCapture log;
    ManualScheduler scheduler;
    QList<QJsonObject> messages;
    std::unique_ptr<MediaBridgeProcess> bridge;
};

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

TEST_F(MediaBridgeProcessTest, DeliversEachObjectLineAndDropsEverythingElse)
{
    struct Case {
        const char *name;
        QByteArrayList writes;
        QList<QJsonObject> expected;
    };
    const QList<Case> cases{
        {"two objects in one chunk, in order", {R"(say {"type":"ready"}\n{"type":"state","playing":1}\n)"},
         {object(R"({"type":"ready"})"), object(R"({"type":"state","playing":1})")}},
        {"an object split across two writes is delivered once, whole", {R"(say {"type":"st)", R"(say ate","pid":7}\n)"},
         {object(R"({"type":"state","pid":7})")}},
        {"empty lines deliver nothing", {R"(say \n\n\n{"n":1}\n\n)"}, {object(R"({"n":1})")}},
        {"arrays, bare values and malformed text are dropped; reading goes on",
         {R"(say [1,2]\n3\n"text"\ntrue\nnull\n{"open":\n}{\n{"after":1}\n)"}, {object(R"({"after":1})")}},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        messages.clear();
        bridge.reset();
        QFile::remove(control() + QStringLiteral(".launches"));
        startInteractive();
        for (const QByteArray &write : testCase.writes)
            bridge->send(QString::fromUtf8(write));
        bridge->send(QStringLiteral(R"(say {"end":true}\n)"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.isEmpty() && messages.last().contains(u"end"); }, 15000));
        messages.removeLast();
        EXPECT_EQ(messages, testCase.expected);
    }
}

TEST_F(MediaBridgeProcessTest, RelaunchesAfterGrowingDelaysUntilAnObjectParses)
{
    setMode("silent");
    create();
    bridge->start();
    // Each silent end doubles the wait, up to 30 s.
    const QList<double> delays{1, 2, 4, 8, 16, 30, 30};
    for (qsizetype i = 0; i < delays.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(waitForRelaunch());
        scheduler.advance(delays.at(i) - 0.01);
        EXPECT_EQ(scheduler.pendingCount(), 1) << "relaunched early";
        if (i == delays.size() - 1)
            setMode("ready");
        scheduler.advance(0.01);
        EXPECT_EQ(scheduler.pendingCount(), 0);
    }
    // That child wrote a ready object before ending: the wait is back to 1 s.
    ASSERT_TRUE(waitForRelaunch());
    EXPECT_EQ(messages, QList<QJsonObject>{object(R"({"type":"ready"})")});
    EXPECT_EQ(bridge->restartDelay(), 2.0);
    scheduler.advance(0.99);
    EXPECT_EQ(scheduler.pendingCount(), 1);
    scheduler.advance(0.01);
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return launches() == delays.size() + 2; }, 15000));
}

TEST_F(MediaBridgeProcessTest, StopEndsTheChildForGood)
{
    startInteractive();
    const qint64 pid = linesOf(QStringLiteral(".launches")).first().toLongLong();
    bridge->stop();
    ASSERT_TRUE(QTest::qWaitFor([pid] { return ::kill(static_cast<pid_t>(pid), 0) != 0; }, 15000));
    QTest::qWait(100); // let the end reach the process object
    EXPECT_EQ(scheduler.pendingCount(), 0);
    scheduler.advance(60);
    bridge->send(QStringLiteral("toggle"));
    EXPECT_EQ(launches(), 1);
}

TEST_F(MediaBridgeProcessTest, MissingFilesAreLoggedOnceAndNothingStarts)
{
    create({QStringLiteral(QUIB_TEST_FIXTURES "/bridge/scripted-bridge.pl"), folder.filePath(QStringLiteral("absent.so"))});
    bridge->start();
    EXPECT_EQ(log.messages(QStringLiteral("Quib")), QStringList{QStringLiteral("Quib: media bridge files are missing from the app bundle")});
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(launches(), 0);
}

TEST_F(MediaBridgeProcessTest, CopiesStandardErrorToTheLog)
{
    startInteractive();
    bridge->send(QStringLiteral("stderr quib-bridge: cannot load MediaRemote"));
    const QStringList expected{QStringLiteral("Quib bridge: quib-bridge: cannot load MediaRemote\n")};
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.messages(QStringLiteral("Quib bridge: ")) == expected; }, 5000))
        << log.messages(QStringLiteral("Quib")).join(u'|').toStdString();
}

TEST_F(MediaBridgeProcessTest, CommandsReachTheChildAsLinesFromTheMomentItIsStarted)
{
    create();
    bridge->start();
    // Sent before the event loop has seen the child run.
    bridge->send(QStringLiteral("toggle"));
    bridge->send(QStringLiteral("seek 83.250"));
    bridge->send(QStringLiteral("say {}\\n"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.isEmpty(); }, 15000));
    EXPECT_EQ(linesOf(QStringLiteral(".commands")), (QStringList{QStringLiteral("toggle"), QStringLiteral("seek 83.250")}));
}

TEST_F(MediaBridgeProcessTest, APartialLineOfAnEndedChildDoesNotSwallowTheNextOnesFirstLine)
{
    startInteractive();
    bridge->send(QStringLiteral(R"(say {"type":"state","title":"cut)"));
    setMode("ready");
    bridge->send(QStringLiteral("exit"));
    ASSERT_TRUE(waitForRelaunch());
    scheduler.advance(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.isEmpty(); }, 15000));
    EXPECT_EQ(messages, QList<QJsonObject>{object(R"({"type":"ready"})")});
}

TEST_F(MediaBridgeProcessTest, ALineThatNeverEndsIsDroppedOncePastTheLimit)
{
    startInteractive();
    // An object a little over the limit would be valid JSON: it must not
    // arrive, and the next line must.
    bridge->send(QStringLiteral("big %1").arg(lineLimit + 1000));
    bridge->send(QStringLiteral("big 100000"));
    bridge->send(QStringLiteral(R"(say {"after":1}\n)"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.isEmpty() && messages.last().contains(u"after"); }, 20000));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages.at(0).value(u"title").toString().size(), 100000);
}

TEST_F(MediaBridgeProcessTest, WritingToAnEndedChildIsHarmless)
{
    startInteractive();
    bridge->send(QStringLiteral("exit"));
    // Until the app notices the end, writes go to a pipe nobody reads; a
    // broken pipe must not end the process.
    for (int i = 0; i < 2000 && scheduler.pendingCount() == 0; ++i) {
        bridge->send(QStringLiteral("toggle"));
        QTest::qWait(1);
    }
    ASSERT_TRUE(waitForRelaunch());
    bridge->send(QStringLiteral("toggle"));
    EXPECT_EQ(launches(), 1);
}

} // namespace
