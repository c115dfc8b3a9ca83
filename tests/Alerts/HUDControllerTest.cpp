#include "Alerts/HUDController.h"
#include "App/AppModel.h"
#include "Notch/MicMutedIcon.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr AudioScope Output = AudioScope::Output;
constexpr Qt::KeyboardModifiers fine = Qt::AltModifier | Qt::ShiftModifier;

// The controller over fakes, with the default output "speakers" at 0.5 and
// no backlight; `arrange` changes that, and the settings, before the
// controller starts.
struct Rig {
    explicit Rig(const std::function<void(Rig &)> &arrange = {})
    {
        platform.audio.addDevice(Output, FakeAudioSystem::switchedDevice(QStringLiteral("speakers"), 0.5f));
        platform.audio.defaults[Output] = QStringLiteral("speakers");
        if (arrange)
            arrange(*this);
        hud.emplace(model);
    }

    std::optional<KeyHandling> press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { return platform.keyCapture.press({key, modifiers}); }
    AudioDevice speakers() const { return *platform.audio.device(Output, QStringLiteral("speakers")); }
    void setSpeakers(float volume, bool muted)
    {
        AudioDevice device = speakers();
        device.volume = volume;
        device.isMuted = muted;
        platform.audio.changeDevice(Output, device);
    }
    std::optional<NotchAlert> strip() const { return model.alerts.current(); }

    // Whether `key` is held with any modifiers.
    bool isHeld(Qt::Key key) const { return platform.keyCapture.isTaken(key); }

    FakePlatform platform;
    AppModel model{platform.services()};
    std::optional<HUDController> hud;
};

// With a built-in display at half brightness.
class HUDControllerTest : public ::testing::Test, protected Rig {
protected:
    HUDControllerTest()
        : Rig([](Rig &rig) { rig.platform.backlights.list = {{"intel_backlight", 0.5f, true}}; })
    {
    }
};

NotchAlert levelStrip(const QString &symbol, double level, const QString &number)
{
    NotchAlert alert;
    alert.kind = AlertKind::volume;
    alert.symbol = symbol;
    alert.symbolColor = Qt::white;
    alert.level = level;
    alert.barStyle = HUDStyle::accent;
    alert.levelColors = true;
    alert.levelBase = LevelBase::white;
    alert.trailing = number;
    alert.trailingColor = Qt::white;
    alert.sideWidth = 100;
    return alert;
}

NotchAlert mutedStrip()
{
    NotchAlert alert;
    alert.kind = AlertKind::volume;
    alert.symbol = QStringLiteral("speaker.slash.fill");
    alert.symbolColor = MicMutedIcon::red();
    alert.trailing = QStringLiteral("Mudo");
    alert.trailingColor = MicMutedIcon::red();
    alert.sideWidth = 92;
    return alert;
}

TEST_F(HUDControllerTest, VolumeKeysStepOnTheGridAndShowTheLevel)
{
    const struct {
        const char *name;
        float start;
        bool muted;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        float volume;
        NotchAlert strip;
    } cases[] = {
        {"plain step up", 0.5f, false, Qt::Key_VolumeUp, {}, 0.5625f, levelStrip("speaker.wave.2.fill", 0.5625, "56")},
        {"Alt and Shift: fine step", 0.5f, false, Qt::Key_VolumeUp, fine, 0.515625f, levelStrip("speaker.wave.2.fill", 0.515625, "52")},
        {"Control, Alt and Shift: still fine", 0.5f, false, Qt::Key_VolumeUp, fine | Qt::ControlModifier, 0.515625f,
         levelStrip("speaker.wave.2.fill", 0.515625, "52")},
        {"Alt alone: plain step", 0.5f, false, Qt::Key_VolumeUp, Qt::AltModifier, 0.5625f, levelStrip("speaker.wave.2.fill", 0.5625, "56")},
        {"Shift alone: plain step", 0.5f, false, Qt::Key_VolumeDown, Qt::ShiftModifier, 0.4375f, levelStrip("speaker.wave.2.fill", 0.4375, "44")},
        {"off the grid snaps: nearest(7.48) is 7", 0.53f, false, Qt::Key_VolumeDown, {}, 0.4375f, levelStrip("speaker.wave.2.fill", 0.4375, "44")},
        {"to the nearest step: nearest(10.6) is 11", 0.6f, false, Qt::Key_VolumeUp, {}, 0.6875f, levelStrip("speaker.wave.3.fill", 0.6875, "69")},
        {"a half away from zero: nearest(8.5) is 9", 0.46875f, false, Qt::Key_VolumeUp, {}, 0.5625f, levelStrip("speaker.wave.2.fill", 0.5625, "56")},
        {"clamped at full", 0.99f, false, Qt::Key_VolumeUp, {}, 1.0f, levelStrip("speaker.wave.3.fill", 1.0, "100")},
        {"clamped at silence, shown muted", 0.02f, false, Qt::Key_VolumeDown, {}, 0.0f, mutedStrip()},
        {"up on a muted device unmutes and steps", 0.4f, true, Qt::Key_VolumeUp, {}, 0.4375f, levelStrip("speaker.wave.2.fill", 0.4375, "44")},
        {"down on a muted device unmutes and steps", 0.5f, true, Qt::Key_VolumeDown, {}, 0.4375f, levelStrip("speaker.wave.2.fill", 0.4375, "44")},
        {"below a third: one wave", 0.25f, false, Qt::Key_VolumeUp, {}, 0.3125f, levelStrip("speaker.wave.1.fill", 0.3125, "31")},
        {"from a third: two waves", 0.3125f, false, Qt::Key_VolumeUp, {}, 0.375f, levelStrip("speaker.wave.2.fill", 0.375, "38")},
        {"from two thirds: three waves", 0.625f, false, Qt::Key_VolumeUp, {}, 0.6875f, levelStrip("speaker.wave.3.fill", 0.6875, "69")},
        {"above full (another mixer's 130 %): up leaves it", 1.3f, false, Qt::Key_VolumeUp, {}, 1.3f, levelStrip("speaker.wave.3.fill", 1.0, "100")},
        {"above full and muted: up unmutes and leaves it", 1.3f, true, Qt::Key_VolumeUp, fine, 1.3f, levelStrip("speaker.wave.3.fill", 1.0, "100")},
        {"above full: down steps from full", 1.3f, false, Qt::Key_VolumeDown, {}, 0.9375f, levelStrip("speaker.wave.3.fill", 0.9375, "94")},
    };
    for (const auto &row : cases) {
        setSpeakers(row.start, row.muted);
        EXPECT_EQ(press(row.key, row.modifiers), KeyHandling::Handled) << row.name;
        EXPECT_EQ(speakers().volume, row.volume) << row.name;
        EXPECT_EQ(speakers().isMuted, false) << row.name;
        EXPECT_EQ(strip(), row.strip) << row.name;
    }
}

// A server answers a while after each write; meanwhile it reports the old
// state. Steps pressed in that time build on the last level asked for.
TEST_F(HUDControllerTest, QuickStepsBuildOnTheLevelAskedForUntilTheServerAnswers)
{
    platform.audio.delaysEchoes = true;
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_VolumeUp);
    EXPECT_EQ(speakers().volume, 0.5f) << "nothing answered yet";
    EXPECT_EQ(strip(), levelStrip("speaker.wave.3.fill", 0.6875, "69"));

    // The first answer reports a level older than the last one asked for.
    platform.audio.deliverEcho();
    EXPECT_EQ(speakers().volume, 0.5625f);
    press(Qt::Key_VolumeUp);
    EXPECT_EQ(strip(), levelStrip("speaker.wave.3.fill", 0.75, "75"));
    EXPECT_EQ(platform.audio.writes, QStringList({"volume Output speakers 0.5625", "volume Output speakers 0.625",
                                                  "volume Output speakers 0.6875", "volume Output speakers 0.75"}));

    // Everything answered: the device's reports count again, also one from
    // another mixer.
    while (platform.audio.pendingEchoes() > 0)
        platform.audio.deliverEcho();
    EXPECT_EQ(speakers().volume, 0.75f);
    setSpeakers(0.25f, false);
    press(Qt::Key_VolumeUp);
    EXPECT_EQ(strip(), levelStrip("speaker.wave.1.fill", 0.3125, "31"));

    // Two quick mute presses are two toggles.
    platform.audio.writes.clear();
    press(Qt::Key_VolumeMute);
    press(Qt::Key_VolumeMute);
    EXPECT_EQ(platform.audio.writes, QStringList({"mute Output speakers 1", "mute Output speakers 0"}));
    EXPECT_EQ(strip(), levelStrip("speaker.wave.1.fill", 0.3125, "31"));
}

TEST_F(HUDControllerTest, MuteKeyTogglesTheSwitchAndKeepsTheVolume)
{
    setSpeakers(0.625f, false);
    EXPECT_EQ(press(Qt::Key_VolumeMute), KeyHandling::Handled);
    EXPECT_EQ(speakers().isMuted, true);
    EXPECT_EQ(strip(), mutedStrip());

    EXPECT_EQ(press(Qt::Key_VolumeMute), KeyHandling::Handled);
    EXPECT_EQ(speakers().isMuted, false);
    EXPECT_EQ(speakers().volume, 0.625f);
    EXPECT_EQ(strip(), levelStrip("speaker.wave.2.fill", 0.625, "63"));
    EXPECT_EQ(platform.audio.writes, QStringList({"mute Output speakers 1", "mute Output speakers 0"}));
}

TEST_F(HUDControllerTest, StripFollowsTheVolumeSettings)
{
    model.preferences.showVolumePercentage.setValue(false);
    model.preferences.soundStyle.setValue(HUDStyle::glow);
    model.preferences.volumeLevelColors.setValue(false);
    press(Qt::Key_VolumeUp);
    ASSERT_TRUE(strip());
    EXPECT_EQ(strip()->trailing, std::nullopt);
    EXPECT_EQ(strip()->sideWidth, 92);
    EXPECT_EQ(strip()->barStyle, HUDStyle::glow);
    EXPECT_FALSE(strip()->levelColors);
}

TEST_F(HUDControllerTest, BluetoothOutputShowsItsHeadphoneSymbol)
{
    platform.audio.addDevice(Output, AudioDevice{"bluez_sink.1", "AirPods Pro de Ana", false, true, 0.5f, true});
    platform.audio.changeDefault(Output, "bluez_sink.1");
    press(Qt::Key_VolumeUp);
    EXPECT_EQ(strip()->symbol, "airpodspro");
    EXPECT_EQ(platform.audio.device(Output, "bluez_sink.1")->volume, 0.5625f) << "the new default device is followed";

    model.preferences.showOutputDevice.setValue(false);
    press(Qt::Key_VolumeUp);
    EXPECT_EQ(strip()->symbol, "speaker.wave.2.fill");
}

TEST_F(HUDControllerTest, StripHidesAfterTheDurationSetting)
{
    model.preferences.soundDuration.setValue(2.5);
    press(Qt::Key_VolumeUp);
    platform.scheduler.advance(2.499);
    EXPECT_TRUE(strip());
    platform.scheduler.advance(0.001);
    EXPECT_FALSE(strip());

    model.preferences.displayDuration.setValue(0.8);
    press(Qt::Key_MonBrightnessUp);
    platform.scheduler.advance(0.799);
    EXPECT_TRUE(strip());
    platform.scheduler.advance(0.001);
    EXPECT_FALSE(strip());
}

TEST_F(HUDControllerTest, KeysItDoesNotActOnGoElsewhereUntouched)
{
    const struct {
        const char *name;
        std::function<void(Rig &)> arrange;
        Qt::Key key;
        // None: not held at all, so the desktop handles it; declined: held
        // but replayed to the focused window.
        std::optional<KeyHandling> handling;
    } cases[] = {
        {"volume indicator off", [](Rig &r) { r.model.preferences.soundHUD.setValue(false); }, Qt::Key_VolumeUp, std::nullopt},
        {"volume indicator off, mute", [](Rig &r) { r.model.preferences.soundHUD.setValue(false); }, Qt::Key_VolumeMute, std::nullopt},
        {"no output device", [](Rig &r) { r.platform.audio.defaults.clear(); }, Qt::Key_VolumeDown, KeyHandling::Declined},
        {"output without a volume",
         [](Rig &r) {
             r.platform.audio.addDevice(Output, AudioDevice{"hdmi", "HDMI", false, true, std::nullopt, false});
             r.platform.audio.defaults[Output] = "hdmi";
         },
         Qt::Key_VolumeUp, KeyHandling::Declined},
        {"no backlight", [](Rig &) {}, Qt::Key_MonBrightnessUp, KeyHandling::Declined},
        {"brightness indicator off",
         [](Rig &r) {
             r.platform.backlights.list = {{"intel_backlight", 0.5f, true}};
             r.model.preferences.displayHUD.setValue(false);
         },
         Qt::Key_MonBrightnessDown, std::nullopt},
        {"only unreadable backlights",
         [](Rig &r) {
             r.platform.backlights.list = {{"unreadable", std::nullopt}, {"negative", -0.2f}, {"nan", std::numeric_limits<float>::quiet_NaN()}};
         },
         Qt::Key_MonBrightnessUp, KeyHandling::Declined},
    };
    for (const auto &row : cases) {
        Rig rig(row.arrange);
        EXPECT_EQ(rig.press(row.key), row.handling) << row.name;
        EXPECT_FALSE(rig.strip()) << row.name;
        EXPECT_TRUE(rig.platform.audio.writes.isEmpty()) << row.name;
        EXPECT_TRUE(rig.platform.backlights.writes.isEmpty()) << row.name;
    }
}

// A press is decided without the main thread, from what the controller knew
// last: the output device is followed as the sound server reports it, the
// backlights are looked for again after each brightness press.
TEST_F(HUDControllerTest, DecidesFromTheDevicesItLastSaw)
{
    Rig rig([](Rig &r) { r.platform.audio.defaults.clear(); });
    EXPECT_EQ(rig.press(Qt::Key_VolumeUp), KeyHandling::Declined);
    rig.platform.audio.changeDefault(Output, QStringLiteral("speakers"));
    EXPECT_EQ(rig.press(Qt::Key_VolumeUp), KeyHandling::Handled);
    rig.platform.audio.changeDefault(Output, QString());
    EXPECT_EQ(rig.press(Qt::Key_VolumeUp), KeyHandling::Declined);

    EXPECT_EQ(rig.press(Qt::Key_MonBrightnessUp), KeyHandling::Declined);
    rig.platform.backlights.list = {{"intel_backlight", 0.5f, true}};
    rig.press(Qt::Key_MonBrightnessUp);
    EXPECT_EQ(rig.press(Qt::Key_MonBrightnessUp), KeyHandling::Handled);
    EXPECT_EQ(rig.strip()->kind, AlertKind::brightness);
}

TEST_F(HUDControllerTest, GivesBackTheKeysNoSettingWantsAndTakesThemAgain)
{
    const Qt::Key volumeKeys[] = {Qt::Key_VolumeUp, Qt::Key_VolumeDown, Qt::Key_VolumeMute};
    const Qt::Key brightnessKeys[] = {Qt::Key_MonBrightnessUp, Qt::Key_MonBrightnessDown};
    const auto held = [&](const auto &keys) { return std::all_of(std::begin(keys), std::end(keys), [&](Qt::Key key) { return isHeld(key); }); };
    const auto released = [&](const auto &keys) { return std::none_of(std::begin(keys), std::end(keys), [&](Qt::Key key) { return isHeld(key); }); };
    ASSERT_TRUE(held(volumeKeys) && held(brightnessKeys));

    model.preferences.soundHUD.setValue(false);
    platform.scheduler.advance(0);
    EXPECT_TRUE(released(volumeKeys));
    EXPECT_TRUE(held(brightnessKeys));
    EXPECT_EQ(press(Qt::Key_VolumeUp), std::nullopt);

    model.preferences.displayHUD.setValue(false);
    platform.scheduler.advance(0);
    EXPECT_EQ(platform.keyCapture.grabCount(), 0);

    model.preferences.soundHUD.setValue(true);
    platform.scheduler.advance(0);
    EXPECT_TRUE(held(volumeKeys));
    EXPECT_TRUE(released(brightnessKeys));
    EXPECT_EQ(press(Qt::Key_VolumeUp), KeyHandling::Handled);
    EXPECT_EQ(speakers().volume, 0.5625f);

    model.preferences.displayHUD.setValue(true);
    platform.scheduler.advance(0);
    EXPECT_TRUE(held(brightnessKeys));
    EXPECT_EQ(press(Qt::Key_MonBrightnessUp), KeyHandling::Handled);
    EXPECT_FALSE(hud->isRetrying(MediaKeyGroup::volume) || hud->isRetrying(MediaKeyGroup::brightness));
}

NotchAlert brightnessStrip(const QString &symbol, double level, const QString &number)
{
    NotchAlert alert;
    alert.kind = AlertKind::brightness;
    alert.symbol = symbol;
    alert.symbolColor = Qt::white;
    alert.level = level;
    alert.barStyle = HUDStyle::glow;
    alert.levelColors = true;
    alert.levelBase = LevelBase::blue;
    alert.trailing = number;
    alert.trailingColor = Qt::white;
    alert.sideWidth = 100;
    return alert;
}

TEST_F(HUDControllerTest, BrightnessKeysMoveEveryDisplayAndShowTheBuiltIn)
{
    platform.backlights.list = {{"ddcci5", 0.3f, false}, {"intel_backlight", 0.8f, true}};
    EXPECT_EQ(press(Qt::Key_MonBrightnessUp), KeyHandling::Handled);
    EXPECT_EQ(platform.backlights.brightness("ddcci5"), 0.375f);
    EXPECT_EQ(platform.backlights.brightness("intel_backlight"), 0.875f);
    EXPECT_EQ(strip(), brightnessStrip("sun.max.fill", 0.875, "88"));

    EXPECT_EQ(press(Qt::Key_MonBrightnessDown, fine), KeyHandling::Handled);
    EXPECT_EQ(platform.backlights.brightness("ddcci5"), 0.359375f);
    EXPECT_EQ(platform.backlights.brightness("intel_backlight"), 0.859375f);
}

TEST_F(HUDControllerTest, BrightnessStripCases)
{
    const struct {
        const char *name;
        QList<FakeBacklights::Display> displays;
        Qt::Key key;
        NotchAlert strip;
    } cases[] = {
        {"no built-in display: the first one", {{"ddcci5", 0.5f}, {"ddcci6", 0.2f}}, Qt::Key_MonBrightnessDown, brightnessStrip("sun.min.fill", 0.4375, "44")},
        {"half and above: the full sun", {{"intel_backlight", 0.45f, true}}, Qt::Key_MonBrightnessUp, brightnessStrip("sun.max.fill", 0.5, "50")},
        {"clamped at full", {{"intel_backlight", 0.98f, true}}, Qt::Key_MonBrightnessUp, brightnessStrip("sun.max.fill", 1.0, "100")},
        {"clamped at dark", {{"intel_backlight", 0.01f, true}}, Qt::Key_MonBrightnessDown, brightnessStrip("sun.min.fill", 0.0, "0")},
        {"a level read above 1 is held at 1", {{"intel_backlight", 1.4f, true}}, Qt::Key_MonBrightnessUp, brightnessStrip("sun.max.fill", 1.0, "100")},
        {"cannot be set: the computed level is still shown", {{"intel_backlight", 0.5f, true, false}}, Qt::Key_MonBrightnessUp,
         brightnessStrip("sun.max.fill", 0.5625, "56")},
    };
    for (const auto &row : cases) {
        Rig rig([&](Rig &r) { r.platform.backlights.list = row.displays; });
        EXPECT_EQ(rig.press(row.key), KeyHandling::Handled) << row.name;
        EXPECT_EQ(rig.strip(), row.strip) << row.name;
    }
}

// Backlights hold a few levels only (max_brightness 7, 10, 15 are common): a
// step on the grid of sixteenths may round back to the level the display
// already holds, and the strip must show the level the display holds.
TEST_F(HUDControllerTest, BrightnessStepsMoveAtLeastOneLevelOfTheDisplay)
{
    const struct {
        const char *name;
        int levelCount;
        int from;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int to;
        const char *symbol;
        const char *number;
    } cases[] = {
        {"15 levels at 8: down moves to 7", 15, 8, Qt::Key_MonBrightnessDown, {}, 7, "sun.min.fill", "47"},
        {"15 levels at 8: up moves to 9", 15, 8, Qt::Key_MonBrightnessUp, {}, 9, "sun.max.fill", "60"},
        {"15 levels at 8: a fine step still moves one level", 15, 8, Qt::Key_MonBrightnessDown, fine, 7, "sun.min.fill", "47"},
        {"7 levels at 4: up moves to 5", 7, 4, Qt::Key_MonBrightnessUp, {}, 5, "sun.max.fill", "71"},
        {"7 levels at 4: down moves to 3", 7, 4, Qt::Key_MonBrightnessDown, {}, 3, "sun.min.fill", "43"},
        {"10 levels at 9: up reaches full", 10, 9, Qt::Key_MonBrightnessUp, {}, 10, "sun.max.fill", "100"},
        {"10 levels at full: up stays", 10, 10, Qt::Key_MonBrightnessUp, {}, 10, "sun.max.fill", "100"},
        {"10 levels at 0: down stays", 10, 0, Qt::Key_MonBrightnessDown, {}, 0, "sun.min.fill", "0"},
        {"255 levels: the grid's level, rounded to the display", 255, 128, Qt::Key_MonBrightnessUp, {}, 143, "sun.max.fill", "56"},
        {"255 levels: a fine step down", 255, 128, Qt::Key_MonBrightnessDown, fine, 124, "sun.min.fill", "49"},
    };
    for (const auto &row : cases) {
        const float count = float(row.levelCount);
        Rig rig([&](Rig &r) { r.platform.backlights.list = {{"acpi_video0", float(row.from) / count, true, true, row.levelCount}}; });
        EXPECT_EQ(rig.press(row.key, row.modifiers), KeyHandling::Handled) << row.name;
        const float held = float(row.to) / count;
        EXPECT_EQ(rig.platform.backlights.brightness("acpi_video0"), held) << row.name;
        EXPECT_EQ(rig.strip(), brightnessStrip(row.symbol, held, row.number)) << row.name;
    }

    // Each display moves by its own levels; the strip shows the built-in one.
    platform.backlights.list = {{"ddcci5", 0.5f, false, true, 100}, {"acpi_video0", 8.0f / 15, true, true, 15}};
    press(Qt::Key_MonBrightnessUp);
    EXPECT_EQ(platform.backlights.brightness("ddcci5"), 0.56f);
    EXPECT_EQ(platform.backlights.brightness("acpi_video0"), 9.0f / 15);
    EXPECT_EQ(strip(), brightnessStrip("sun.max.fill", 9.0f / 15, "60"));
}

TEST_F(HUDControllerTest, BrightnessStripFollowsItsSettings)
{
    model.preferences.showBrightnessPercentage.setValue(false);
    model.preferences.displayStyle.setValue(HUDStyle::white);
    model.preferences.brightnessLevelColors.setValue(false);
    press(Qt::Key_MonBrightnessUp);
    ASSERT_TRUE(strip());
    EXPECT_EQ(strip()->trailing, std::nullopt);
    EXPECT_EQ(strip()->sideWidth, 92);
    EXPECT_EQ(strip()->barStyle, HUDStyle::white);
    EXPECT_FALSE(strip()->levelColors);
}

TEST_F(HUDControllerTest, NeverWritesALevelThatIsNotANumberOrOutOfRange)
{
    DisplayBrightness brightness(platform.backlights);
    platform.backlights.list = {{"intel_backlight", 0.5f, true}};
    EXPECT_FALSE(brightness.setBrightness("intel_backlight", std::numeric_limits<float>::quiet_NaN()));
    EXPECT_TRUE(brightness.setBrightness("intel_backlight", 1.7f));
    EXPECT_TRUE(brightness.setBrightness("intel_backlight", -3.0f));
    EXPECT_EQ(platform.backlights.writes, QStringList({"intel_backlight 1", "intel_backlight 0"}));

    // A device that reports no number: the last known level is stepped.
    setSpeakers(std::numeric_limits<float>::quiet_NaN(), false);
    press(Qt::Key_VolumeUp);
    EXPECT_EQ(platform.audio.writes, QStringList({"volume Output speakers 0.5625"}));
}

// Another program holds one key of a group with some modifier: the other
// group works, and the held one is tried again every 4 s until it is free.
TEST_F(HUDControllerTest, EachGroupOfKeysIsTakenOnItsOwnAndRetriedEveryFourSeconds)
{
    const struct {
        const char *name;
        KeyCombination heldElsewhere;
        MediaKeyGroup blocked;
        Qt::Key blockedKey;
        MediaKeyGroup working;
        Qt::Key workingKey;
    } cases[] = {
        {"a brightness key held", {Qt::Key_MonBrightnessDown, Qt::ShiftModifier}, MediaKeyGroup::brightness, Qt::Key_MonBrightnessUp,
         MediaKeyGroup::volume, Qt::Key_VolumeUp},
        {"a volume key held", {Qt::Key_VolumeMute, Qt::ControlModifier}, MediaKeyGroup::volume, Qt::Key_VolumeDown, MediaKeyGroup::brightness,
         Qt::Key_MonBrightnessDown},
    };
    for (const auto &row : cases) {
        Rig rig([&](Rig &r) {
            r.platform.backlights.list = {{"intel_backlight", 0.5f, true}};
            r.platform.keyCapture.heldElsewhere = {row.heldElsewhere};
        });
        EXPECT_TRUE(rig.hud->keys().isStarted(row.working)) << row.name;
        EXPECT_FALSE(rig.hud->isRetrying(row.working)) << row.name;
        EXPECT_EQ(rig.press(row.workingKey), KeyHandling::Handled) << row.name;
        EXPECT_FALSE(rig.hud->keys().isStarted(row.blocked)) << row.name;
        EXPECT_TRUE(rig.hud->isRetrying(row.blocked)) << row.name;
        EXPECT_EQ(rig.press(row.blockedKey), std::nullopt) << row.name << ": no half group is held";

        rig.platform.scheduler.advance(4);
        EXPECT_TRUE(rig.hud->isRetrying(row.blocked)) << row.name;
        rig.platform.keyCapture.heldElsewhere.clear();
        rig.platform.scheduler.advance(3.999);
        EXPECT_FALSE(rig.hud->keys().isStarted(row.blocked)) << row.name;
        rig.platform.scheduler.advance(0.001);
        EXPECT_TRUE(rig.hud->keys().isStarted(row.blocked)) << row.name;
        EXPECT_FALSE(rig.hud->isRetrying(row.blocked)) << row.name;
        EXPECT_EQ(rig.press(row.blockedKey), KeyHandling::Handled) << row.name;
        EXPECT_EQ(rig.platform.keyCapture.grabCount(), 5) << row.name;
    }
}

TEST_F(HUDControllerTest, KeysNoSettingWantsAreNotRetried)
{
    Rig rig([](Rig &r) { r.platform.keyCapture.heldElsewhere = {{Qt::Key_MonBrightnessUp, {}}}; });
    ASSERT_TRUE(rig.hud->isRetrying(MediaKeyGroup::brightness));
    rig.model.preferences.displayHUD.setValue(false);
    rig.platform.scheduler.advance(0);
    EXPECT_FALSE(rig.hud->isRetrying(MediaKeyGroup::brightness));

    rig.platform.keyCapture.heldElsewhere.clear();
    rig.model.preferences.displayHUD.setValue(true);
    rig.platform.scheduler.advance(0);
    EXPECT_TRUE(rig.hud->keys().isStarted(MediaKeyGroup::brightness));
}

TEST_F(HUDControllerTest, PermissionNoticeRetriesAtOnce)
{
    Rig rig([](Rig &r) { r.platform.keyCapture.heldElsewhere = {{Qt::Key_MonBrightnessUp, {}}}; });
    ASSERT_TRUE(rig.hud->isRetrying(MediaKeyGroup::brightness));
    rig.platform.keyCapture.heldElsewhere.clear();
    Q_EMIT rig.model.permissionNotifications.quibPermissionsChanged();
    EXPECT_TRUE(rig.hud->keys().isStarted(MediaKeyGroup::brightness));
    EXPECT_FALSE(rig.hud->isRetrying(MediaKeyGroup::brightness));
}

} // namespace
