#include "Alerts/HUDController.h"
#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/PulseAudioSystem.h"
#include "Platform/Linux/X11KeyCapture.h"
#include "Platform/Linux/XcbConnection.h"
#include "BusyMainThread.h"
#include "KeyboardClient.h"
#include "LogCapture.h"
#include "PrivateDisplay.h"
#include "PulseServer.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QTemporaryDir>

#include <X11/XF86keysym.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr AudioScope Output = AudioScope::Output;

// The indicator with the real key grabs of a private X server and a real
// sound server's null sink; everything else is faked. Keys are typed with
// xdotool, the sink is read back with pactl.
class HUDControllerComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sound.isReady()) << sound.log().constData();
        ASSERT_TRUE(display.isRunning());
        audio = std::make_unique<PulseAudioSystem>(platform.scheduler, records.filePath("stream-volumes.json"));
        ASSERT_TRUE(waitUntil([this] { return audio->device(Output, audio->defaultDevice(Output)).has_value(); }));
        auto x11 = XcbConnection::open(display.name().toUtf8());
        ASSERT_TRUE(x11);
        keys = std::make_unique<X11KeyCapture>(std::move(x11));
        const Services fakes = platform.services();
        const Services services{fakes.scheduler, fakes.defaults, fakes.notifications, fakes.workspace, fakes.soundPlayer, *audio, *keys,
                                fakes.windowServer, fakes.screens, fakes.eventStore, fakes.location, fakes.credentials, fakes.pointer,
                                fakes.backlights, fakes.updates, fakes.powerSources, fakes.bluetooth, fakes.sessionLock, fakes.loginItems};
        model = std::make_unique<AppModel>(services);
    }

    // The sink as the server reports it to us: once it reads `level`, every
    // earlier change has arrived.
    bool sinkReaches(float level, bool muted = false)
    {
        return waitUntil([&] {
            const auto sink = audio->device(Output, QStringLiteral("speakers"));
            return sink && sink->volume && std::abs(*sink->volume - level) < 0.0001f && sink->isMuted == muted;
        });
    }
    static QString pactlVolume() { return PulseServer::pactl({"get-sink-volume", "speakers"}); }
    static QString pactlMute() { return PulseServer::pactl({"get-sink-mute", "speakers"}); }

    PulseServer sound;
    PrivateDisplay display;
    FakePlatform platform;
    QTemporaryDir records;
    std::unique_ptr<PulseAudioSystem> audio;
    std::unique_ptr<X11KeyCapture> keys;
    std::unique_ptr<AppModel> model;
};

TEST_F(HUDControllerComponentTest, VolumeKeysChangeTheSinkAndShowTheStrip)
{
    HUDController hud(*model);
    ASSERT_TRUE(hud.keys().isStarted(MediaKeyGroup::volume));
    PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
    ASSERT_TRUE(sinkReaches(0.5f));

    display.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(sinkReaches(0.5625f));
    EXPECT_TRUE(pactlVolume().contains("/  56% /")) << pactlVolume().toStdString();
    ASSERT_TRUE(model->alerts.current());
    EXPECT_EQ(model->alerts.current()->kind, AlertKind::volume);
    EXPECT_EQ(model->alerts.current()->level, 0.5625);
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("56"));
    // The strip goes after the duration setting (1.5 s).
    platform.scheduler.advance(1.499);
    EXPECT_TRUE(model->alerts.current());
    platform.scheduler.advance(0.001);
    EXPECT_FALSE(model->alerts.current());

    display.xdotool({"key", "XF86AudioLowerVolume"});
    ASSERT_TRUE(sinkReaches(0.5f));
    display.xdotool({"key", "shift+alt+XF86AudioRaiseVolume"});
    ASSERT_TRUE(sinkReaches(0.515625f));
    EXPECT_TRUE(pactlVolume().contains("/  52% /")) << pactlVolume().toStdString();
}

TEST_F(HUDControllerComponentTest, MuteKeyTogglesTheSinkAndAStepUnmutes)
{
    HUDController hud(*model);
    PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
    ASSERT_TRUE(sinkReaches(0.5f));

    display.xdotool({"key", "XF86AudioMute"});
    ASSERT_TRUE(sinkReaches(0.5f, true));
    EXPECT_EQ(pactlMute(), "Mute: yes");
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("Mudo"));

    display.xdotool({"key", "XF86AudioMute"});
    ASSERT_TRUE(sinkReaches(0.5f, false));
    EXPECT_EQ(pactlMute(), "Mute: no");
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("50"));

    PulseServer::pactl({"set-sink-mute", "speakers", "1"});
    ASSERT_TRUE(sinkReaches(0.5f, true));
    display.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(sinkReaches(0.5625f, false));
    EXPECT_EQ(pactlMute(), "Mute: no");
}

TEST_F(HUDControllerComponentTest, QuickStepsEachMoveTheSink)
{
    HUDController hud(*model);
    PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
    ASSERT_TRUE(sinkReaches(0.5f));
    // Four presses before the server can answer any: the event loop, which
    // brings its answers, does not run in between.
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(hud.changeVolume(MediaKey::volumeUp, HUDController::step));
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("75"));
    ASSERT_TRUE(sinkReaches(0.75f));
    EXPECT_TRUE(pactlVolume().contains("/  75% /")) << pactlVolume().toStdString();
    ASSERT_TRUE(hud.changeVolume(MediaKey::volumeDown, HUDController::step));
    ASSERT_TRUE(hud.changeVolume(MediaKey::volumeDown, HUDController::step));
    EXPECT_TRUE(sinkReaches(0.625f));
}

TEST_F(HUDControllerComponentTest, VolumeUpLeavesASinkAmplifiedPastFull)
{
    HUDController hud(*model);
    PulseServer::pactl({"set-sink-volume", "speakers", "130%"});
    ASSERT_TRUE(waitUntil([&] { return *audio->device(Output, QStringLiteral("speakers"))->volume > 1.29f; }));
    const float amplified = *audio->device(Output, QStringLiteral("speakers"))->volume;
    display.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(waitUntil([&] { return model->alerts.current().has_value(); }));
    EXPECT_EQ(model->alerts.current()->level, 1.0);
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("100"));
    // The server applies requests in order: once the mute that follows has
    // arrived, so has anything the step up asked for.
    display.xdotool({"key", "XF86AudioMute"});
    EXPECT_TRUE(sinkReaches(amplified, true));
    EXPECT_TRUE(pactlVolume().contains("/ 130% /")) << pactlVolume().toStdString();
}

TEST_F(HUDControllerComponentTest, ChangesFromElsewhereReachSystemVolume)
{
    HUDController hud(*model);
    SystemVolume observer(*audio);
    observer.startObserving();
    PulseServer::pactl({"set-sink-volume", "speakers", "30%"});
    EXPECT_TRUE(waitUntil([&] { return std::abs(observer.volume() - 0.3f) < 0.001f; }));
    PulseServer::pactl({"set-sink-mute", "speakers", "1"});
    EXPECT_TRUE(waitUntil([&] { return observer.isMuted(); }));
    PulseServer::pactl({"set-sink-mute", "speakers", "0"});
    EXPECT_TRUE(waitUntil([&] { return !observer.isMuted(); }));

    // The next key press starts from the level set elsewhere:
    // nearest(5.8) = 6 sixteenths.
    display.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(sinkReaches(0.375f));
    EXPECT_TRUE(waitUntil([&] { return observer.volume() == 0.375f; }));
}

// Whatever the main thread is doing, a volume key is taken at once and
// acted on later; a brightness key with no backlight to set goes on to the
// focused window, and so does the next letter.
TEST_F(HUDControllerComponentTest, KeysAreAnsweredWhileTheMainThreadIsBusy)
{
    PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
    ASSERT_TRUE(sinkReaches(0.5f));
    HUDController hud(*model);
    KeyboardClient editor(display.name());
    ASSERT_TRUE(editor.isReady());
    const xcb_keycode_t letter = editor.keycode('a');

    QList<xcb_keycode_t> seen;
    bool stripMeanwhile = true;
    ASSERT_TRUE(whileMainThreadIsBusy([&] {
        display.xdotool({"key", "XF86AudioRaiseVolume", "XF86MonBrightnessUp", "a"});
        seen = editor.pressesUntil(letter);
        stripMeanwhile = model->alerts.current().has_value();
    }));
    EXPECT_EQ(seen, QList<xcb_keycode_t>({editor.keycode(XF86XK_MonBrightnessUp), letter}));
    EXPECT_FALSE(stripMeanwhile);
    ASSERT_TRUE(sinkReaches(0.5625f));
    ASSERT_TRUE(model->alerts.current());
    EXPECT_EQ(model->alerts.current()->trailing, QStringLiteral("56"));
}

// Another program holds only a brightness key (with Control): the volume
// keys work, and the brightness keys are tried again every 4 s, logged once.
TEST_F(HUDControllerComponentTest, BrightnessKeysHeldElsewhereLeaveTheVolumeKeysWorking)
{
    KeyboardClient other(display.name());
    ASSERT_TRUE(other.holdKey(XF86XK_MonBrightnessUp, XCB_MOD_MASK_CONTROL));
    platform.backlights.list = {{"intel_backlight", 0.5f, true}};
    PulseServer::pactl({"set-sink-volume", "speakers", "50%"});
    ASSERT_TRUE(sinkReaches(0.5f));
    LogCapture log;
    HUDController hud(*model);
    EXPECT_TRUE(hud.keys().isStarted(MediaKeyGroup::volume));
    EXPECT_FALSE(hud.isRetrying(MediaKeyGroup::volume));
    EXPECT_FALSE(hud.keys().isStarted(MediaKeyGroup::brightness));
    EXPECT_TRUE(hud.isRetrying(MediaKeyGroup::brightness));

    display.xdotool({"key", "XF86AudioRaiseVolume"});
    EXPECT_TRUE(sinkReaches(0.5625f));
    platform.scheduler.advance(3 * HUDController::retryInterval);
    EXPECT_FALSE(hud.keys().isStarted(MediaKeyGroup::brightness));
    EXPECT_EQ(log.messages("Quib: another program holds the key").size(), 1);

    other.letGoOfKey(XF86XK_MonBrightnessUp, XCB_MOD_MASK_CONTROL);
    platform.scheduler.advance(HUDController::retryInterval - 0.001);
    EXPECT_FALSE(hud.keys().isStarted(MediaKeyGroup::brightness));
    platform.scheduler.advance(0.001);
    ASSERT_TRUE(hud.keys().isStarted(MediaKeyGroup::brightness));
    EXPECT_FALSE(hud.isRetrying(MediaKeyGroup::brightness));
    display.xdotool({"key", "XF86MonBrightnessUp"});
    EXPECT_TRUE(waitUntil([&] { return platform.backlights.brightness("intel_backlight") > 0.5f; }));
}

} // namespace
