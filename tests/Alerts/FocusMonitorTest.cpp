#include "Alerts/FocusMonitor.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/FocusFiles.h"
#include "QtPrinters.h"
#include "Support/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace {

const QString fixtures = QStringLiteral(QUIB_TEST_FIXTURES "/focus/");

QByteArray fixture(const QString &name)
{
    QFile file(fixtures + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs each read at once; its result reaches the monitor through the event
// loop, as in the app.
void runAtOnce(std::function<void()> work)
{
    work();
}

void deliverResults()
{
    QCoreApplication::sendPostedEvents();
}

// A monitor over a Focus folder of its own, with the modes of the fixture
// and the assertions a test puts there.
class FocusMonitorTest : public ::testing::Test {
protected:
    FocusMonitorTest()
    {
        writeFile(FocusFiles::modeConfigurationsName, fixture(QStringLiteral("ModeConfigurations.json")));
        setAssertions(QStringLiteral("assertions-none.json"));
    }

    void writeFile(const char *name, const QByteArray &contents) { ASSERT_TRUE(AtomicFile::write(folder() + u'/' + QString::fromLatin1(name), contents)); }
    void setAssertions(const QString &fixtureName) { writeFile(FocusFiles::assertionsName, fixture(fixtureName)); }

    FocusMonitor &startMonitor(BackgroundRunner runner = runAtOnce)
    {
        monitor.emplace(model, folder(), std::move(runner));
        deliverResults();
        return *monitor;
    }
    // The files changed: the monitor reads 0.3 s after the report.
    void reportChange()
    {
        monitor->scheduleRead();
        platform.scheduler.advance(FocusMonitor::readDelay);
        deliverResults();
    }
    QString folder() const { return directory.path() + QStringLiteral("/focus"); }
    std::optional<NotchAlert> alert() const { return model.alerts.current(); }

    QTemporaryDir directory;
    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<FocusMonitor> monitor;
};

NotchAlert focusAlert(const QString &symbol, const QColor &color, const QString &trailing)
{
    NotchAlert alert;
    alert.kind = AlertKind::focus;
    alert.symbol = symbol;
    alert.symbolColor = color;
    alert.title = QStringLiteral("Foco");
    alert.trailing = trailing;
    alert.trailingColor = color;
    alert.sideWidth = 78;
    return alert;
}

const QColor onColor = QColor::fromRgbF(0.55f, 0.5f, 1.0f, 1.0f);
const QColor offColor = QColor::fromRgbF(1, 1, 1, 0.6f);

} // namespace

TEST_F(FocusMonitorTest, AFocusActiveAtLaunchIsTakenOverWithoutAnAlert)
{
    setAssertions(QStringLiteral("assertions-work.json"));
    startMonitor();
    EXPECT_TRUE(monitor->hasAccess());
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Trabalho"));
    EXPECT_FALSE(alert());
}

TEST_F(FocusMonitorTest, TurningOnAnnouncesOnceAFifthOfASecondAfterTheLastEvent)
{
    startMonitor();
    setAssertions(QStringLiteral("assertions-work.json"));
    for (int event = 0; event < 3; ++event) {
        monitor->scheduleRead();
        platform.scheduler.advance(0.2);
        deliverResults();
    }
    EXPECT_FALSE(alert()) << "a burst of events reads once, after the last";
    EXPECT_EQ(monitor->activeName(), std::nullopt);
    platform.scheduler.advance(0.1);
    deliverResults();
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Trabalho"));
    EXPECT_EQ(alert(), focusAlert(QStringLiteral("display"), onColor, QStringLiteral("On")));

    // Reading the same state again is no change.
    model.alerts.show(focusAlert(QStringLiteral("timer"), Qt::red, QStringLiteral("x")), 10);
    reportChange();
    EXPECT_EQ(alert()->symbol, QStringLiteral("timer"));
}

TEST_F(FocusMonitorTest, TurningOffAnnouncesOffInDimmedWhite)
{
    setAssertions(QStringLiteral("assertions-work.json"));
    startMonitor();
    setAssertions(QStringLiteral("assertions-none.json"));
    reportChange();
    EXPECT_EQ(monitor->activeName(), std::nullopt);
    EXPECT_EQ(alert(), focusAlert(QStringLiteral("moon"), offColor, QStringLiteral("Off")));
}

TEST_F(FocusMonitorTest, ChangesAnnounceTheNewModeOrNothing)
{
    struct Case {
        const char *name;
        QString before;
        QString after;
        std::optional<QString> activeName;
        std::optional<QString> symbol; // none: no alert
    };
    const Case cases[] = {
        {"switching modes announces the new one", QStringLiteral("assertions-work.json"), QStringLiteral("assertions-sleep.json"), QStringLiteral("Sono"),
         QStringLiteral("moon.stars.fill")},
        {"a mode without configuration", QStringLiteral("assertions-none.json"), QStringLiteral("assertions-unknown.json"), QStringLiteral("Foco"),
         QStringLiteral("moon.fill")},
        {"a symbol with no image", QStringLiteral("assertions-unknown.json"), QStringLiteral("assertions-work.json"), QStringLiteral("Trabalho"),
         QStringLiteral("display")},
        {"off to off", QStringLiteral("assertions-none.json"), QStringLiteral("assertions-none.json"), std::nullopt, std::nullopt},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        monitor.reset();
        platform.scheduler.advance(60); // lets any strip hide
        setAssertions(test.before);
        startMonitor();
        setAssertions(test.after);
        reportChange();
        EXPECT_EQ(monitor->activeName(), test.activeName);
        if (test.symbol)
            EXPECT_EQ(alert(), focusAlert(*test.symbol, onColor, QStringLiteral("On")));
        else
            EXPECT_FALSE(alert());
    }
}

TEST_F(FocusMonitorTest, AModeWhoseSymbolHasNoImageShowsTheMoon)
{
    writeFile(FocusFiles::assertionsName, fixture(QStringLiteral("assertions-work.json")).replace("focus.work", "focus.reading"));
    startMonitor();
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Leitura"));
    EXPECT_EQ(FocusMonitor::modeInfo(folder(), QStringLiteral("com.example.focus.reading")),
              (FocusMonitor::ModeInfo{QStringLiteral("Leitura"), QStringLiteral("moon.fill")}));
}

TEST_F(FocusMonitorTest, WithFocusAlertsOffTheNameFollowsSilently)
{
    model.preferences.focusAlerts.setValue(false);
    startMonitor();
    setAssertions(QStringLiteral("assertions-work.json"));
    reportChange();
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Trabalho"));
    setAssertions(QStringLiteral("assertions-none.json"));
    reportChange();
    EXPECT_EQ(monitor->activeName(), std::nullopt);
    EXPECT_FALSE(alert());
}

TEST_F(FocusMonitorTest, TheStripStaysForTheFocusDuration)
{
    model.preferences.focusDuration.setValue(5);
    startMonitor();
    setAssertions(QStringLiteral("assertions-work.json"));
    reportChange();
    platform.scheduler.advance(4.9);
    EXPECT_TRUE(alert());
    platform.scheduler.advance(0.2);
    EXPECT_FALSE(alert());
}

TEST_F(FocusMonitorTest, AnnouncedStripsForOnAndOff)
{
    startMonitor();
    monitor->announceChange(true, QStringLiteral("moon.stars.fill"));
    EXPECT_EQ(alert(), focusAlert(QStringLiteral("moon.stars.fill"), onColor, QStringLiteral("On")));
    monitor->announceChange(true, std::nullopt);
    EXPECT_EQ(alert(), focusAlert(QStringLiteral("moon.fill"), onColor, QStringLiteral("On")));
    monitor->announceChange(false, QStringLiteral("moon.stars.fill"));
    EXPECT_EQ(alert(), focusAlert(QStringLiteral("moon"), offColor, QStringLiteral("Off")));
}

TEST_F(FocusMonitorTest, WithoutTheFolderItRetriesEveryFiveSecondsAndTakesTheStateOverSilently)
{
    QDir(folder()).removeRecursively();
    startMonitor();
    EXPECT_FALSE(monitor->hasAccess());
    EXPECT_EQ(monitor->activeName(), std::nullopt);
    platform.scheduler.advance(FocusMonitor::retryInterval);
    EXPECT_FALSE(monitor->hasAccess());

    writeFile(FocusFiles::modeConfigurationsName, fixture(QStringLiteral("ModeConfigurations.json")));
    setAssertions(QStringLiteral("assertions-sleep.json"));
    platform.scheduler.advance(FocusMonitor::retryInterval - 0.1);
    EXPECT_FALSE(monitor->hasAccess());
    platform.scheduler.advance(0.1);
    deliverResults();
    EXPECT_TRUE(monitor->hasAccess());
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Sono"));
    EXPECT_FALSE(alert());
    EXPECT_EQ(platform.scheduler.pendingCount(), 0) << "the retries end once the folder opens";
}

TEST_F(FocusMonitorTest, AnOlderReadThatFinishesLastIsDropped)
{
    std::deque<std::function<void()>> reads;
    startMonitor([&reads](std::function<void()> work) { reads.push_back(std::move(work)); });
    ASSERT_EQ(reads.size(), 1u);
    reads.front()();
    reads.pop_front();
    deliverResults();

    monitor->read(FocusMonitor::Announce::yes);
    setAssertions(QStringLiteral("assertions-sleep.json"));
    monitor->read(FocusMonitor::Announce::yes);
    reads.back()();
    deliverResults();
    // The older read answers last, with another state: only the newest counts.
    setAssertions(QStringLiteral("assertions-work.json"));
    reads.front()();
    deliverResults();
    EXPECT_EQ(monitor->activeName(), QStringLiteral("Sono"));
    EXPECT_EQ(alert()->symbol, QStringLiteral("moon.stars.fill"));
}

TEST_F(FocusMonitorTest, DiagnosticLine)
{
    struct Case {
        const char *name;
        std::optional<QByteArray> assertions; // none: no folder
        QByteArray line;
    };
    const Case cases[] = {
        {"a Focus on", fixture(QStringLiteral("assertions-sleep.json")), "access=true assertionsReadable=true active=com.example.focus.sleep"},
        {"no Focus", fixture(QStringLiteral("assertions-none.json")), "access=true assertionsReadable=true active=none"},
        {"a broken file", QByteArray("{\"data\": ["), "access=true assertionsReadable=false active=none"},
        {"no folder", std::nullopt, "access=false assertionsReadable=false active=none"},
    };
    const QString output = directory.path() + QStringLiteral("/check.txt");
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        monitor.reset();
        if (test.assertions)
            writeFile(FocusFiles::assertionsName, *test.assertions);
        else
            QDir(folder()).removeRecursively();
        startMonitor().debugCheck(output);
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), test.line);
    }
}

// The assertions file: which mode is active, whatever shape it comes in.
TEST(FocusFilesParsing, ActiveModeIdentifier)
{
    const QString work = QStringLiteral("com.example.focus.work");
    const QString fallback = FocusMonitor::defaultModeIdentifier;
    const auto record = [](const char *details) { return QByteArray("{\"assertionDetails\": ") + details + "}"; };
    const QByteArray workRecord = record(R"({"assertionDetailsModeIdentifier": "com.example.focus.work"})");
    const auto withRecords = [](const QByteArray &records) { return "{\"data\": [{\"storeAssertionRecords\": [" + records + "]}]}"; };
    struct Case {
        const char *name;
        std::optional<QByteArray> contents; // none: no file
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"no file", std::nullopt, std::nullopt},
        {"not JSON", QByteArray("storeAssertionRecords"), std::nullopt},
        {"cut short", withRecords(workRecord).chopped(3), std::nullopt},
        {"top level is an array", "[" + withRecords(workRecord) + "]", std::nullopt},
        {"no data", QByteArray(R"({"storeAssertionRecords": []})"), std::nullopt},
        {"data is a dictionary", QByteArray(R"({"data": {"storeAssertionRecords": [{}]}})"), std::nullopt},
        {"data holds a string beside the element", "{\"data\": [\"x\", {\"storeAssertionRecords\": [" + workRecord + "]}]}", std::nullopt},
        {"no records", QByteArray(R"({"data": [{}, {"header": {}}]})"), std::nullopt},
        {"records empty", withRecords(""), std::nullopt},
        {"records a dictionary", QByteArray(R"({"data": [{"storeAssertionRecords": {"a": {}}}]})"), std::nullopt},
        {"records hold a number beside the record", withRecords("1, " + workRecord), std::nullopt},
        {"one record with a mode", withRecords(workRecord), work},
        {"records without details, then one with a mode", withRecords("{}, {\"assertionUUID\": \"x\"}, " + record("{}") + ", " + record("[]") + ", " + workRecord), work},
        {"records without a mode", withRecords(record(R"({"assertionDetailsIdentifier": "manual"})")), fallback},
        {"a mode that is not a string", withRecords(record(R"({"assertionDetailsModeIdentifier": 7})")), fallback},
        {"only empty records", withRecords("{}, {}"), fallback},
        {"the first element with records decides",
         "{\"data\": [{\"storeAssertionRecords\": []}, {\"storeAssertionRecords\": [" + record("{}") + "]}, {\"storeAssertionRecords\": [" + workRecord + "]}]}",
         fallback},
        {"an empty element before the records", "{\"data\": [{}, {\"storeAssertionRecords\": [" + workRecord + "]}]}", work},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        const QTemporaryDir folder;
        if (test.contents)
            ASSERT_TRUE(AtomicFile::write(folder.filePath(QString::fromLatin1(FocusFiles::assertionsName)), *test.contents));
        EXPECT_EQ(FocusMonitor::activeModeIdentifier(folder.path()), test.expected);
    }
}

// The modes file: the name and symbol of a mode, with their fallbacks.
TEST(FocusFilesParsing, ModeInfo)
{
    using Info = FocusMonitor::ModeInfo;
    const auto withModes = [](const QByteArray &configurations) { return "{\"data\": [{\"modeConfigurations\": " + configurations + "}]}"; };
    struct Case {
        const char *name;
        std::optional<QByteArray> contents; // none: no file
        std::optional<Info> expected;
    };
    const Case cases[] = {
        {"no file", std::nullopt, std::nullopt},
        {"not JSON", QByteArray("{\"data\""), std::nullopt},
        {"data not an array", QByteArray(R"({"data": {"modeConfigurations": {}}})"), std::nullopt},
        {"data holds a number", QByteArray(R"({"data": [1]})"), std::nullopt},
        {"the mode is missing", withModes(R"({"other": {"mode": {"name": "Outro"}}})"), std::nullopt},
        {"configurations empty", withModes("{}"), std::nullopt},
        {"the entry is not a dictionary", withModes(R"({"m": "Sono"})"), std::nullopt},
        {"no mode dictionary", withModes(R"({"m": {"name": "Sono"}})"), std::nullopt},
        {"mode is a string", withModes(R"({"m": {"mode": "Sono"}})"), std::nullopt},
        {"name and symbol", withModes(R"({"m": {"mode": {"name": "Sono", "symbolImageName": "moon.stars.fill"}}})"),
         Info{QStringLiteral("Sono"), QStringLiteral("moon.stars.fill")}},
        {"an empty mode", withModes(R"({"m": {"mode": {}}})"), Info{QStringLiteral("Foco"), QStringLiteral("moon.fill")}},
        {"name and symbol of other types", withModes(R"({"m": {"mode": {"name": 3, "symbolImageName": ["bell.fill"]}}})"),
         Info{QStringLiteral("Foco"), QStringLiteral("moon.fill")}},
        {"a symbol with no image", withModes(R"({"m": {"mode": {"name": "Leitura", "symbolImageName": "book.closed.fill"}}})"),
         Info{QStringLiteral("Leitura"), QStringLiteral("moon.fill")}},
        {"the first element that holds the mode",
         QByteArray(R"({"data": [{}, {"modeConfigurations": {"m": {"mode": 1}}}, {"modeConfigurations": {"m": {"mode": {"name": "A"}}}},
                                 {"modeConfigurations": {"m": {"mode": {"name": "B"}}}}]})"),
         Info{QStringLiteral("A"), QStringLiteral("moon.fill")}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        const QTemporaryDir folder;
        if (test.contents)
            ASSERT_TRUE(AtomicFile::write(folder.filePath(QString::fromLatin1(FocusFiles::modeConfigurationsName)), *test.contents));
        EXPECT_EQ(FocusMonitor::modeInfo(folder.path(), QStringLiteral("m")), test.expected);
    }
}

// What the platform writes is what the monitor reads.
TEST(FocusFilesParsing, TheWrittenFilesReadBack)
{
    const QTemporaryDir folder;
    const auto write = [&folder](const char *name, const QByteArray &contents) {
        return AtomicFile::write(folder.filePath(QString::fromLatin1(name)), contents);
    };
    ASSERT_TRUE(write(FocusFiles::modeConfigurationsName, FocusFiles::modeConfigurations()));
    ASSERT_TRUE(write(FocusFiles::assertionsName, FocusFiles::assertions(true)));
    EXPECT_EQ(FocusMonitor::activeModeIdentifier(folder.path()), FocusFiles::doNotDisturbIdentifier());
    EXPECT_EQ(FocusMonitor::modeInfo(folder.path(), FocusFiles::doNotDisturbIdentifier()),
              (FocusMonitor::ModeInfo{QStringLiteral("Foco"), QStringLiteral("moon.fill")}));
    ASSERT_TRUE(write(FocusFiles::assertionsName, FocusFiles::assertions(false)));
    EXPECT_EQ(FocusMonitor::activeModeIdentifier(folder.path()), std::nullopt);
}
