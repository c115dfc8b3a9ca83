#include "App/Preferences.h"
#include "Platform/Fake/FakeUserDefaults.h"
#include "QtPrinters.h"

#include <QPropertyNotifier>

#include <gtest/gtest.h>

namespace {

// The 81 settings in declaration order with their registered defaults, in
// persisted form: booleans, doubles, raw value strings and string arrays.
const QList<std::pair<QString, QVariant>> &expectedDefaults()
{
    static const QList<std::pair<QString, QVariant>> defaults{
        {QStringLiteral("displayMode"), QVariant(QStringLiteral("all"))},
        {QStringLiteral("openWidth"), QVariant(100.0)},
        {QStringLiteral("hideInFullscreen"), QVariant(true)},
        {QStringLiteral("hideFromScreenCapture"), QVariant(false)},
        {QStringLiteral("simulatedNotch"), QVariant(true)},
        {QStringLiteral("simulatedStyle"), QVariant(QStringLiteral("notch"))},
        {QStringLiteral("idleActivity"), QVariant(QStringLiteral("duo"))},
        {QStringLiteral("contrastOutline"), QVariant(true)},
        {QStringLiteral("expandOnHover"), QVariant(true)},
        {QStringLiteral("hoverDelay"), QVariant(0.1)},
        {QStringLiteral("hapticFeedback"), QVariant(true)},
        {QStringLiteral("nowPlayingEnabled"), QVariant(true)},
        {QStringLiteral("idleDuration"), QVariant(3.0)},
        {QStringLiteral("waveformStyle"), QVariant(QStringLiteral("colored"))},
        {QStringLiteral("showWaveform"), QVariant(true)},
        {QStringLiteral("songPeek"), QVariant(true)},
        {QStringLiteral("eventProgress"), QVariant(true)},
        {QStringLiteral("sideColumn"), QVariant(QStringLiteral("both"))},
        {QStringLiteral("claudeUsageFromLogin"), QVariant(false)},
        {QStringLiteral("artworkFlip"), QVariant(true)},
        {QStringLiteral("hideWhenSourceActive"), QVariant(false)},
        {QStringLiteral("hideTitleExtras"), QVariant(false)},
        {QStringLiteral("extraButton"), QVariant(QStringLiteral("none"))},
        {QStringLiteral("mediaSource"), QVariant(QStringLiteral("any"))},
        {QStringLiteral("calendarEnabled"), QVariant(true)},
        {QStringLiteral("reminderMinutes"), QVariant(15.0)},
        {QStringLiteral("soundOnEvent"), QVariant(true)},
        {QStringLiteral("keepEventCountdown"), QVariant(true)},
        {QStringLiteral("hourlyChime"), QVariant(false)},
        {QStringLiteral("useCalendarColor"), QVariant(true)},
        {QStringLiteral("showWeather"), QVariant(true)},
        {QStringLiteral("disabledCalendarIDs"), QVariant(QVariantList())},
        {QStringLiteral("lockScreenPlayer"), QVariant(true)},
        {QStringLiteral("keepAwakeMinutes"), QVariant(0.0)},
        {QStringLiteral("soundOnLock"), QVariant(false)},
        {QStringLiteral("soundOnUnlock"), QVariant(false)},
        {QStringLiteral("lockPlayerStyle"), QVariant(QStringLiteral("glass"))},
        {QStringLiteral("lockIdleMinutes"), QVariant(10.0)},
        {QStringLiteral("lockShowVolume"), QVariant(true)},
        {QStringLiteral("lockOffset"), QVariant(0.0)},
        {QStringLiteral("lockWeather"), QVariant(true)},
        {QStringLiteral("lockWeatherInfo"), QVariant(QStringLiteral("conditions"))},
        {QStringLiteral("displayHUD"), QVariant(true)},
        {QStringLiteral("displayDuration"), QVariant(1.5)},
        {QStringLiteral("displayStyle"), QVariant(QStringLiteral("glow"))},
        {QStringLiteral("showBrightnessPercentage"), QVariant(true)},
        {QStringLiteral("brightnessLevelColors"), QVariant(true)},
        {QStringLiteral("soundHUD"), QVariant(true)},
        {QStringLiteral("soundDuration"), QVariant(1.5)},
        {QStringLiteral("soundStyle"), QVariant(QStringLiteral("accent"))},
        {QStringLiteral("showVolumePercentage"), QVariant(true)},
        {QStringLiteral("volumeLevelColors"), QVariant(true)},
        {QStringLiteral("showOutputDevice"), QVariant(true)},
        {QStringLiteral("appMixer"), QVariant(true)},
        {QStringLiteral("micShortcut"), QVariant(true)},
        {QStringLiteral("showMicMutedIcon"), QVariant(true)},
        {QStringLiteral("showSoundMutedIcon"), QVariant(true)},
        {QStringLiteral("batteryAlerts"), QVariant(true)},
        {QStringLiteral("batteryDuration"), QVariant(4.0)},
        {QStringLiteral("chargingAlert"), QVariant(true)},
        {QStringLiteral("notifyLowPowerMode"), QVariant(true)},
        {QStringLiteral("warnLowBattery"), QVariant(true)},
        {QStringLiteral("lowBatteryThreshold"), QVariant(10.0)},
        {QStringLiteral("soundOnLowBattery"), QVariant(true)},
        {QStringLiteral("deviceAlerts"), QVariant(true)},
        {QStringLiteral("deviceDuration"), QVariant(4.0)},
        {QStringLiteral("warnDeviceLowBattery"), QVariant(true)},
        {QStringLiteral("deviceLowThreshold"), QVariant(20.0)},
        {QStringLiteral("soundOnDeviceLowBattery"), QVariant(true)},
        {QStringLiteral("focusAlerts"), QVariant(true)},
        {QStringLiteral("focusDuration"), QVariant(3.0)},
        {QStringLiteral("externalAlerts"), QVariant(true)},
        {QStringLiteral("externalDuration"), QVariant(6.0)},
        {QStringLiteral("soundOnExternal"), QVariant(true)},
        {QStringLiteral("externalSkipFrontmost"), QVariant(true)},
        {QStringLiteral("appNotifications"), QVariant(true)},
        {QStringLiteral("notificationDuration"), QVariant(5.0)},
        {QStringLiteral("hideNotificationContent"), QVariant(false)},
        {QStringLiteral("mutedNotificationApps"), QVariant(QVariantList())},
        {QStringLiteral("timerSound"), QVariant(true)},
        {QStringLiteral("timerInNotch"), QVariant(true)},
    };
    return defaults;
}

// The settings as the store holds them, in persisted form and declaration order.
QList<std::pair<QString, QVariant>> loadedValues(const Preferences &preferences)
{
    QList<std::pair<QString, QVariant>> values;
#define QUIB_COLLECT_SETTING(Type, name, fallback)                                                                                         \
    values.append({preferences.name.key(), Setting<Type>::persisted(preferences.name.value())});
    QUIB_SETTINGS(QUIB_COLLECT_SETTING)
#undef QUIB_COLLECT_SETTING
    return values;
}

void expectSameTypedValues(const QList<std::pair<QString, QVariant>> &actual, const QList<std::pair<QString, QVariant>> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected.at(i).first.toStdString());
        EXPECT_EQ(actual.at(i).first, expected.at(i).first) << "declaration order";
        EXPECT_EQ(actual.at(i).second.typeId(), expected.at(i).second.typeId());
        EXPECT_EQ(actual.at(i).second, expected.at(i).second);
    }
}

// Counts the change notifications of one setting.
template <typename T>
class ChangeCounter {
public:
    explicit ChangeCounter(Setting<T> &setting)
        : m_notifier(setting.bindable().addNotifier([this] { ++count; }))
    {
    }
    int count = 0;

private:
    QPropertyNotifier m_notifier;
};

} // namespace

TEST(Preferences, EmptyDomainLoadsEveryDefaultAndWritesNothing)
{
    FakeUserDefaults defaults;
    Preferences preferences(defaults);

    expectSameTypedValues(loadedValues(preferences), expectedDefaults());
    EXPECT_EQ(Preferences::settingCount, 81);
    EXPECT_TRUE(defaults.values.isEmpty());
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST(Preferences, RegistersEveryDefaultWithItsType)
{
    QList<std::pair<QString, QVariant>> registered;
    const QVariantMap map = Preferences::registeredDefaults();
    for (const auto &[key, value] : expectedDefaults())
        registered.append({key, map.value(key)});
    expectSameTypedValues(registered, expectedDefaults());
    EXPECT_EQ(map.size(), 81);
    EXPECT_FALSE(map.contains(QStringLiteral("claudeUsageInNotch")));
}

TEST(Preferences, OpenWidthIsBoundedOnlyWhenLoaded)
{
    const QList<std::pair<QVariant, double>> rows{
        {80.0, 100}, {100.0, 100}, {135.0, 135}, {170.0, 170}, {240.0, 170}, {-20.0, 100}, {QStringLiteral("abc"), 100}, {QVariant(), 100},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(stored.toString().toStdString());
        FakeUserDefaults defaults;
        if (stored.isValid())
            defaults.values.insert(QStringLiteral("openWidth"), stored);
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.openWidth.value(), expected);
        EXPECT_EQ(defaults.values.value(QStringLiteral("openWidth")), stored) << "the bounded value is not written back";
    }

    FakeUserDefaults defaults;
    {
        Preferences preferences(defaults);
        preferences.openWidth.setValue(240);
        EXPECT_EQ(preferences.openWidth.value(), 240);
        EXPECT_EQ(defaults.values.value(QStringLiteral("openWidth")), QVariant(240.0));
    }
    Preferences nextLaunch(defaults);
    EXPECT_EQ(nextLaunch.openWidth.value(), 170);
}

TEST(Preferences, OtherNumbersAreNotBounded)
{
    FakeUserDefaults defaults;
    defaults.values.insert(QStringLiteral("lowBatteryThreshold"), -5.0);
    defaults.values.insert(QStringLiteral("hoverDelay"), 1e9);
    Preferences preferences(defaults);
    EXPECT_EQ(preferences.lowBatteryThreshold.value(), -5);
    EXPECT_EQ(preferences.hoverDelay.value(), 1e9);
}

TEST(Preferences, EnumerationsMatchRawValuesExactly)
{
    const QList<std::tuple<QVariant, DisplayMode>> rows{
        {QStringLiteral("main"), DisplayMode::main},  {QStringLiteral("notched"), DisplayMode::notched},
        {QStringLiteral("Notched"), DisplayMode::all}, {QStringLiteral("NOTCHED"), DisplayMode::all},
        {QStringLiteral(" main"), DisplayMode::all},   {QStringLiteral(""), DisplayMode::all},
        {3.0, DisplayMode::all},                       {true, DisplayMode::all},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(stored.toString().toStdString());
        FakeUserDefaults defaults;
        defaults.values.insert(QStringLiteral("displayMode"), stored);
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.displayMode.value(), expected);
    }
}

TEST(Preferences, ExtraButtonRepeatModeIsStoredAsRepeat)
{
    const QList<std::pair<QString, ExtraButton>> rows{
        {QStringLiteral("repeat"), ExtraButton::repeatMode},
        {QStringLiteral("repeatMode"), ExtraButton::none},
        {QStringLiteral("copy"), ExtraButton::copy},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(stored.toStdString());
        FakeUserDefaults defaults;
        defaults.values.insert(QStringLiteral("extraButton"), stored);
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.extraButton.value(), expected);
    }

    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    preferences.extraButton.setValue(ExtraButton::repeatMode);
    EXPECT_EQ(defaults.values.value(QStringLiteral("extraButton")), QVariant(QStringLiteral("repeat")));
}

TEST(Preferences, UnknownHudStyleFallsBackPerSetting)
{
    FakeUserDefaults defaults;
    defaults.values.insert(QStringLiteral("displayStyle"), QStringLiteral("neon"));
    defaults.values.insert(QStringLiteral("soundStyle"), QStringLiteral("neon"));
    Preferences preferences(defaults);
    EXPECT_EQ(preferences.displayStyle.value(), HUDStyle::glow);
    EXPECT_EQ(preferences.soundStyle.value(), HUDStyle::accent);

    FakeUserDefaults white;
    white.values.insert(QStringLiteral("displayStyle"), QStringLiteral("white"));
    white.values.insert(QStringLiteral("soundStyle"), QStringLiteral("white"));
    Preferences whitePreferences(white);
    EXPECT_EQ(whitePreferences.displayStyle.value(), HUDStyle::white);
    EXPECT_EQ(whitePreferences.soundStyle.value(), HUDStyle::white);
}

TEST(Preferences, SideColumnFallsBackOnTheLegacyKeyOnlyForUnknownValues)
{
    struct Row {
        const char *name;
        QVariant sideColumn;
        QVariant legacy;
        SideColumn expected;
    };
    const QList<Row> rows{
        {"nothingStoredLegacyFalse", {}, false, SideColumn::both},
        {"nothingStoredNoLegacy", {}, {}, SideColumn::both},
        {"claudeLegacyFalse", QStringLiteral("claude"), false, SideColumn::claude},
        {"calendarLegacyTrue", QStringLiteral("calendar"), true, SideColumn::calendar},
        {"unknownLegacyFalse", QStringLiteral("sidebar"), false, SideColumn::calendar},
        {"unknownLegacyTrue", QStringLiteral("sidebar"), true, SideColumn::both},
        {"unknownNoLegacy", QStringLiteral("sidebar"), {}, SideColumn::both},
        {"unknownLegacyString", QStringLiteral("sidebar"), QStringLiteral("false"), SideColumn::both},
        {"unknownLegacyNumberZero", QStringLiteral("sidebar"), 0.0, SideColumn::both},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeUserDefaults defaults;
        if (row.sideColumn.isValid())
            defaults.values.insert(QStringLiteral("sideColumn"), row.sideColumn);
        if (row.legacy.isValid())
            defaults.values.insert(QStringLiteral("claudeUsageInNotch"), row.legacy);
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.sideColumn.value(), row.expected);

        preferences.sideColumn.setValue(SideColumn::claude);
        EXPECT_EQ(defaults.values.value(QStringLiteral("claudeUsageInNotch")), row.legacy) << "the legacy key is never written";
        EXPECT_FALSE(defaults.writes.contains(QStringLiteral("claudeUsageInNotch")));
    }
}

TEST(Preferences, SetsLoadFromArraysOfStringsOnly)
{
    const QList<std::pair<QVariant, StringSet>> rows{
        {QVariantList{QStringLiteral("work"), QStringLiteral("home"), QStringLiteral("work")}, StringSet{QStringLiteral("work"), QStringLiteral("home")}},
        {QStringLiteral("work"), StringSet()},
        {QVariantList{QStringLiteral("work"), 3.0}, StringSet()},
        {QVariantList(), StringSet()},
        {true, StringSet()},
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(stored.toString().toStdString());
        FakeUserDefaults defaults;
        defaults.values.insert(QStringLiteral("disabledCalendarIDs"), stored);
        defaults.values.insert(QStringLiteral("mutedNotificationApps"), stored);
        Preferences preferences(defaults);
        EXPECT_EQ(preferences.disabledCalendarIDs.value(), expected);
        EXPECT_EQ(preferences.mutedNotificationApps.value(), expected);
    }
}

TEST(Preferences, AssigningAnEqualValueWritesButDoesNotNotify)
{
    FakeUserDefaults defaults;
    defaults.values.insert(QStringLiteral("disabledCalendarIDs"), QVariantList{QStringLiteral("a"), QStringLiteral("b")});
    Preferences preferences(defaults);

    ChangeCounter hideInFullscreen(preferences.hideInFullscreen);
    ChangeCounter openWidth(preferences.openWidth);
    ChangeCounter displayMode(preferences.displayMode);
    ChangeCounter calendars(preferences.disabledCalendarIDs);

    preferences.hideInFullscreen.setValue(true);
    preferences.openWidth.setValue(100);
    preferences.displayMode.setValue(DisplayMode::all);
    preferences.disabledCalendarIDs.setValue(StringSet{QStringLiteral("b"), QStringLiteral("a")});

    EXPECT_EQ(hideInFullscreen.count + openWidth.count + displayMode.count + calendars.count, 0);
    EXPECT_EQ(defaults.writes,
              QStringList({QStringLiteral("hideInFullscreen"), QStringLiteral("openWidth"), QStringLiteral("displayMode"),
                           QStringLiteral("disabledCalendarIDs")}));
    EXPECT_EQ(defaults.values.value(QStringLiteral("hideInFullscreen")), QVariant(true));
    EXPECT_EQ(defaults.values.value(QStringLiteral("openWidth")), QVariant(100.0));
    EXPECT_EQ(defaults.values.value(QStringLiteral("displayMode")), QVariant(QStringLiteral("all")));
}

TEST(Preferences, AssigningANewValueNotifiesOnceAndPersists)
{
    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    ChangeCounter calendars(preferences.disabledCalendarIDs);
    ChangeCounter style(preferences.lockPlayerStyle);
    std::optional<LockPlayerStyle> seenByObserver;
    const QPropertyNotifier observer = preferences.lockPlayerStyle.bindable().addNotifier([&] {
        seenByObserver = preferences.lockPlayerStyle.value();
    });

    preferences.disabledCalendarIDs.setValue(StringSet{QStringLiteral("x"), QStringLiteral("y")});
    preferences.lockPlayerStyle.setValue(LockPlayerStyle::clear);

    EXPECT_EQ(calendars.count, 1);
    EXPECT_EQ(style.count, 1);
    EXPECT_EQ(seenByObserver, LockPlayerStyle::clear);
    const QVariant stored = defaults.values.value(QStringLiteral("disabledCalendarIDs"));
    ASSERT_EQ(stored.typeId(), QMetaType::QVariantList);
    QStringList members;
    for (const QVariant &member : stored.toList())
        members.append(member.toString());
    members.sort();
    EXPECT_EQ(members, QStringList({QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_EQ(defaults.values.value(QStringLiteral("lockPlayerStyle")), QVariant(QStringLiteral("clear")));
}

TEST(Preferences, AssignmentIsNotReadBackFromTheDefaults)
{
    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    defaults.values.insert(QStringLiteral("songPeek"), false);
    EXPECT_TRUE(preferences.songPeek.value()) << "the store reads the defaults only at construction";
}

TEST(Preferences, OpensPlayerAndOpensCalendarFollowTheirSettings)
{
    struct Row {
        IdleActivity activity;
        bool nowPlaying;
        bool calendar;
        bool opensPlayer;
        bool opensCalendar;
    };
    const QList<Row> rows{
        {IdleActivity::none, true, true, false, false},      {IdleActivity::playing, true, true, true, false},
        {IdleActivity::playing, false, true, false, false},  {IdleActivity::calendar, true, true, false, true},
        {IdleActivity::calendar, true, false, false, false}, {IdleActivity::duo, true, true, true, true},
        {IdleActivity::duo, false, true, false, true},       {IdleActivity::duo, true, false, true, false},
        {IdleActivity::duo, false, false, false, false},
    };
    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    for (const Row &row : rows) {
        SCOPED_TRACE(rawValue(row.activity).toStdString() + (row.nowPlaying ? " player on" : " player off")
                     + (row.calendar ? " calendar on" : " calendar off"));
        preferences.idleActivity.setValue(row.activity);
        preferences.nowPlayingEnabled.setValue(row.nowPlaying);
        preferences.calendarEnabled.setValue(row.calendar);
        EXPECT_EQ(preferences.opensPlayer(), row.opensPlayer);
        EXPECT_EQ(preferences.opensCalendar(), row.opensCalendar);
    }
}

TEST(Preferences, BindingsOnDerivedPropertiesFollowTheSettings)
{
    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    QProperty<bool> opensPlayer;
    opensPlayer.setBinding([&] { return preferences.opensPlayer(); });
    EXPECT_TRUE(opensPlayer.value());
    preferences.idleActivity.setValue(IdleActivity::calendar);
    EXPECT_FALSE(opensPlayer.value());
    preferences.nowPlayingEnabled.setValue(false);
    preferences.idleActivity.setValue(IdleActivity::playing);
    EXPECT_FALSE(opensPlayer.value());
    preferences.nowPlayingEnabled.setValue(true);
    EXPECT_TRUE(opensPlayer.value());
}
