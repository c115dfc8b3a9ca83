#include "App/Preferences.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "QtPrinters.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class JsonUserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

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
        JsonUserDefaults defaults(path());
        for (auto it = values.begin(); it != values.end(); ++it)
            defaults.setObject(it.key(), it.value());
    }
    JsonUserDefaults reloaded(path());
    for (auto it = values.begin(); it != values.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QVariant value = reloaded.object(it.key());
        EXPECT_EQ(value.typeId(), it.value().typeId());
        EXPECT_EQ(value, it.value());
    }
}

TEST_F(JsonUserDefaultsTest, ValuesReadTheSameBeforeAndAfterAReload)
{
    JsonUserDefaults defaults(path());
    defaults.setObject(QStringLiteral("list"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
    defaults.setObject(QStringLiteral("integer"), 5);
    JsonUserDefaults reloaded(path());
    for (const UserDefaults *store : {static_cast<const UserDefaults *>(&defaults), static_cast<const UserDefaults *>(&reloaded)}) {
        EXPECT_EQ(store->stringArrayForKey(QStringLiteral("list")), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        EXPECT_EQ(store->doubleForKey(QStringLiteral("integer")), 5);
        EXPECT_EQ(store->object(QStringLiteral("integer")).typeId(), QMetaType::Double);
    }
}

TEST_F(JsonUserDefaultsTest, RemovingAndStoringNothingForgetTheKey)
{
    JsonUserDefaults defaults(path());
    defaults.setObject(QStringLiteral("a"), true);
    defaults.setObject(QStringLiteral("b"), true);
    defaults.setObject(QStringLiteral("nonFinite"), std::numeric_limits<double>::infinity());
    defaults.removeObject(QStringLiteral("a"));
    defaults.setObject(QStringLiteral("b"), QVariant());
    EXPECT_FALSE(defaults.object(QStringLiteral("a")).isValid());
    EXPECT_FALSE(defaults.object(QStringLiteral("b")).isValid());
    EXPECT_FALSE(defaults.object(QStringLiteral("nonFinite")).isValid()) << "JSON holds no infinity";
    EXPECT_TRUE(fileObject().isEmpty());
}

TEST_F(JsonUserDefaultsTest, MissingFileReadsAsEmptyAndIsNotCreatedByReading)
{
    JsonUserDefaults defaults(path());
    Preferences preferences(defaults);
    EXPECT_EQ(preferences.openWidth.value(), 100);
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
        JsonUserDefaults defaults(path());
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
    JsonUserDefaults defaults(path());
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
    JsonUserDefaults defaults(path());
    Preferences preferences(defaults);
    preferences.songPeek.setValue(false);

    EXPECT_EQ(readFile(backupPath()), broken);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false}}));

    // Broken again by hand: the first backup is kept, nothing else is lost.
    writeFile(path(), "{oops");
    preferences.songPeek.setValue(true);
    EXPECT_EQ(readFile(backupPath()), broken);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), true}}));
}

TEST_F(JsonUserDefaultsTest, KeysWrittenByAnotherProcessSurviveAWrite)
{
    JsonUserDefaults app(path());
    app.setObject(QStringLiteral("songPeek"), false);

    JsonUserDefaults commandLine(path());
    commandLine.setObject(QStringLiteral("onboardingDone"), true);

    app.setObject(QStringLiteral("openWidth"), 140.0);
    EXPECT_EQ(fileObject(), QJsonObject({{QStringLiteral("songPeek"), false},
                                         {QStringLiteral("onboardingDone"), true},
                                         {QStringLiteral("openWidth"), 140.0}}));
}

TEST_F(JsonUserDefaultsTest, UnwritableLocationKeepsTheValueInMemory)
{
    JsonUserDefaults defaults(QStringLiteral("/proc/quib-test/defaults.json"));
    defaults.setObject(QStringLiteral("songPeek"), false);
    EXPECT_EQ(defaults.object(QStringLiteral("songPeek")), QVariant(false));
}
