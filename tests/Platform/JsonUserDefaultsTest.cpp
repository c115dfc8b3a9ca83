#include "App/Preferences.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "FileWrites.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class JsonUserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    ManualScheduler scheduler;

    QString path() const { return m_folder.filePath(QStringLiteral("quib/defaults.json")); }
    QString backupPath() const { return path() + QStringLiteral(".broken"); }

    void writeFile(const QString &file, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
    }
    QByteArray readFile(const QString &file) const
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    QJsonObject fileObject() const { return QJsonDocument::fromJson(readFile(path())).object(); }

private:
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(JsonUserDefaultsTest, EveryValueTypeSurvivesAReload)
{
    const QVariantMap values{
        {QStringLiteral("bool"), true},
        {QStringLiteral("false"), false},
        {QStringLiteral("double"), 0.1},
        {QStringLiteral("negative"), -1e300},
        {QStringLiteral("string"), QStringLiteral("Título ✓ \U0001F44D\U0001F3FD")},
        {QStringLiteral("numericString"), QStringLiteral("42")},
        {QStringLiteral("emptyString"), QString()},
        {QStringLiteral("array"), QVariantList{QStringLiteral("a"), 2.0, false}},
        {QStringLiteral("emptyArray"), QVariantList()},
        {QStringLiteral("dictionary"), QVariantMap{{QStringLiteral("nested"), QVariantList{1.0}}, {QStringLiteral("b"), true}}},
        {QStringLiteral("emptyDictionary"), QVariantMap()},
        {QStringLiteral("data"), QByteArray("\x00\x01\xff binary", 10)},
        {QStringLiteral("emptyData"), QByteArray()},
    };
    {
        JsonUserDefaults defaults(scheduler, path());
        for (auto it = values.begin(); it != values.end(); ++it)
            defaults.setObject(it.key(), it.value());
    }
    JsonUserDefaults reloaded(scheduler, path());
    for (auto it = values.begin(); it != values.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QVariant value = reloaded.object(it.key());
        EXPECT_EQ(value.typeId(), it.value().typeId());
        EXPECT_EQ(value, it.value());
    }
}

TEST_F(JsonUserDefaultsTest, ValuesReadTheSameBeforeAndAfterAReload)
{
    JsonUserDefaults defaults(scheduler, path());
    defaults.setObject(QStringLiteral("list"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
    defaults.setObject(QStringLiteral("integer"), 5);
    defaults.synchronize();
    JsonUserDefaults reloaded(scheduler, path());
    for (const UserDefaults *store : {static_cast<const UserDefaults *>(&defaults), static_cast<const UserDefaults *>(&reloaded)}) {
        EXPECT_EQ(store->stringArrayForKey(QStringLiteral("list")), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        EXPECT_EQ(store->doubleForKey(QStringLiteral("integer")), 5);
        EXPECT_EQ(store->object(QStringLiteral("integer")).typeId(), QMetaType::Double);
    }
}

TEST_F(JsonUserDefaultsTest, RemovingAndStoringNothingForgetTheKey)
{
    JsonUserDefaults defaults(scheduler, path());
    defaults.setObject(QStringLiteral("a"), true);
    defaults.setObject(QStringLiteral("b"), true);
    defaults.setObject(QStringLiteral("nonFinite"), std::numeric_limits<double>::infinity());
    defaults.removeObject(QStringLiteral("a"));
    defaults.setObject(QStringLiteral("b"), QVariant());
    EXPECT_FALSE(defaults.object(QStringLiteral("a")).isValid());
    EXPECT_FALSE(defaults.object(QStringLiteral("b")).isValid());
    EXPECT_FALSE(defaults.object(QStringLiteral("nonFinite")).isValid()) << "JSON holds no infinity";
    defaults.synchronize();
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_TRUE(fileObject().isEmpty());
}

TEST_F(JsonUserDefaultsTest, MissingFileReadsAsEmptyAndIsNotCreatedByReading)
{
    {
        JsonUserDefaults defaults(scheduler, path());
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.openWidth.value(), 100);
        scheduler.advance(JsonUserDefaults::writeDelay);
    }
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(JsonUserDefaultsTest, UnreadableDocumentsLoadTheDefaultsAndStayUntouchedUntilAWrite)
{
    const QList<std::pair<const char *, QByteArray>> rows{
        {"invalidJson", "{\"openWidth\": 150,"},
        {"topLevelArray", "[{\"openWidth\": 150}]"},
        {"emptyFile", ""},
        {"nullDocument", "null"},
        {"binaryGarbage", QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10)},
        {"notANumber", "{\"openWidth\": NaN, \"songPeek\": false}"},
        {"infinity", "{\"openWidth\": Infinity, \"songPeek\": false}"},
        {"numberOutOfRange", "{\"openWidth\": 1e400, \"songPeek\": false}"},
    };
    for (const auto &[name, contents] : rows) {
        SCOPED_TRACE(name);
        writeFile(path(), contents);
        QFile::remove(backupPath());
        JsonUserDefaults defaults(scheduler, path());
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.openWidth.value(), 100);
        EXPECT_TRUE(preferences.songPeek.value());
        EXPECT_EQ(readFile(path()), contents);
        EXPECT_FALSE(QFileInfo::exists(backupPath()));
    }
}

TEST_F(JsonUserDefaultsTest, WrongTypesAndOutOfRangeValuesLoadFallbacks)
{
    writeFile(path(), R"({
        "openWidth": "wide",
        "hideInFullscreen": "maybe",
        "songPeek": [true],
        "displayMode": 7,
        "idleActivity": {"case": "duo"},
        "disabledCalendarIDs": "work",
        "mutedNotificationApps": ["spotify", 3, "spotify"],
        "hoverDelay": 1e308,
        "lowBatteryThreshold": -1e308,
        "lockOffset": 123456789012345678901234567890,
        "soundStyle": null,
        "claudeUsageInNotch": "false",
        "sideColumn": "left"
    })");
    JsonUserDefaults defaults(scheduler, path());
    Preferences preferences(defaults);
    EXPECT_EQ(preferences.openWidth.value(), 100);
    EXPECT_FALSE(preferences.hideInFullscreen.value());
    EXPECT_FALSE(preferences.songPeek.value());
    EXPECT_EQ(preferences.displayMode.value(), DisplayMode::all);
    EXPECT_EQ(preferences.idleActivity.value(), IdleActivity::duo);
    EXPECT_TRUE(preferences.disabledCalendarIDs.value().isEmpty());
    EXPECT_TRUE(preferences.mutedNotificationApps.value().isEmpty());
    EXPECT_EQ(preferences.hoverDelay.value(), 1e308);
    EXPECT_EQ(preferences.lowBatteryThreshold.value(), -1e308);
    EXPECT_EQ(preferences.lockOffset.value(), 1.2345678901234568e29);
    EXPECT_EQ(preferences.soundStyle.value(), HUDStyle::accent);
    EXPECT_EQ(preferences.sideColumn.value(), SideColumn::both);
}

TEST_F(JsonUserDefaultsTest, BrokenFileIsBackedUpOnceBeforeTheFirstWrite)
{
    const QByteArray broken = "{\"openWidth\": 150, \"songPeek\": fals";
    writeFile(path(), broken);
    JsonUserDefaults defaults(scheduler, path());
    Preferences preferences(defaults);
    preferences.songPeek.setValue(false);
    defaults.synchronize();

    EXPECT_EQ(readFile(backupPath()), broken);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false}}));

    // Broken again by hand: the first backup is kept, nothing else is lost.
    writeFile(path(), "{oops");
    preferences.songPeek.setValue(true);
    defaults.synchronize();
    EXPECT_EQ(readFile(backupPath()), broken);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), true}}));
}

TEST_F(JsonUserDefaultsTest, KeysWrittenByAnotherProcessSurviveAWrite)
{
    JsonUserDefaults app(scheduler, path());
    app.setObject(QStringLiteral("songPeek"), false);
    app.synchronize();
    // Another process writes while the app's next change waits to be
    // written.
    app.setObject(QStringLiteral("openWidth"), 140.0);
    {
        JsonUserDefaults commandLine(scheduler, path());
        commandLine.setObject(QStringLiteral("onboardingDone"), true);
    }
    ASSERT_EQ(fileObject().value(u"onboardingDone"), QJsonValue(true));

    scheduler.advance(JsonUserDefaults::writeDelay);
    app.synchronize();
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false},
                                         {QStringLiteral("onboardingDone"), true},
                                         {QStringLiteral("openWidth"), 140.0}}));
}

TEST_F(JsonUserDefaultsTest, UnwritableLocationKeepsTheValueInMemory)
{
    JsonUserDefaults defaults(scheduler, QStringLiteral("/proc/quib-test/defaults.json"));
    defaults.setObject(QStringLiteral("songPeek"), false);
    EXPECT_EQ(defaults.object(QStringLiteral("songPeek")), QVariant(false));
}

TEST_F(JsonUserDefaultsTest, FailedWriteIsStoredWithTheNextOne)
{
    // A file where the settings folder should be: nothing can be written.
    const QString folder = QFileInfo(path()).absolutePath();
    writeFile(folder, "in the way");
    JsonUserDefaults defaults(scheduler, path());
    defaults.setObject(QStringLiteral("songPeek"), false);
    defaults.synchronize();
    ASSERT_FALSE(QFileInfo::exists(path()));

    ASSERT_TRUE(QFile::remove(folder));
    defaults.setObject(QStringLiteral("openWidth"), 120.0);
    defaults.synchronize();
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false}, {QStringLiteral("openWidth"), 120.0}}));
}

TEST_F(JsonUserDefaultsTest, BurstOfChangesIsWrittenAFewTimesEndingWithTheLastValue)
{
    QDir().mkpath(QFileInfo(path()).absolutePath());
    FileWrites writes(path());
    ASSERT_TRUE(writes.isWatching());
    JsonUserDefaults defaults(scheduler, path());
    Preferences preferences(defaults);

    // A slider dragged for a second: a hundred values, 10 ms apart.
    constexpr int changes = 100;
    constexpr double interval = 0.01;
    for (int i = 1; i <= changes; ++i) {
        preferences.openWidth.setValue(100 + i * 0.5);
        EXPECT_EQ(defaults.doubleForKey(QStringLiteral("openWidth")), 100 + i * 0.5) << "reads see a pending value at once";
        scheduler.advance(interval);
    }
    defaults.synchronize();

    const int bound = static_cast<int>(std::ceil(changes * interval / JsonUserDefaults::writeDelay)) + 1;
    EXPECT_GE(writes.count(), 1);
    EXPECT_LE(writes.count(), bound);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("openWidth"), 150.0}}));
}

TEST_F(JsonUserDefaultsTest, FileIsBackedUpOnceBeforeItIsFirstChanged)
{
    const QByteArray original = "{\"openWidth\": 150, \"handEdited\": \"yes\"}";
    writeFile(path(), original);
    const QString backup = path() + QStringLiteral(".backup");
    {
        JsonUserDefaults defaults(scheduler, path());
        defaults.synchronize();
        EXPECT_FALSE(QFileInfo::exists(backup)) << "nothing changed, nothing written";
        defaults.setObject(QStringLiteral("songPeek"), false);
        defaults.synchronize();
        EXPECT_EQ(readFile(backup), original);
        defaults.setObject(QStringLiteral("songPeek"), true);
    }
    // A later run changes the file again: the first copy stays.
    JsonUserDefaults later(scheduler, path());
    later.setObject(QStringLiteral("openWidth"), 160.0);
    later.synchronize();
    EXPECT_EQ(readFile(backup), original);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("openWidth"), 160.0},
                                         {QStringLiteral("handEdited"), QStringLiteral("yes")},
                                         {QStringLiteral("songPeek"), true}}));
}

TEST_F(JsonUserDefaultsTest, FirstFileNeedsNoBackup)
{
    JsonUserDefaults defaults(scheduler, path());
    defaults.setObject(QStringLiteral("songPeek"), false);
    defaults.synchronize();
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false}}));
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".backup")));
}
