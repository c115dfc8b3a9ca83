#include "Platform/Linux/X11KeyCapture.h"
#include "Platform/Linux/X11WindowServer.h"
#include "Platform/Linux/XcbConnection.h"
#include "BusyMainThread.h"
#include "KeyboardClient.h"
#include "LogCapture.h"
#include "Wait.h"

#include <QProcess>

#include <atomic>

#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

namespace {

// One round trip: everything sent before has been handled by the server.
void sync(xcb_connection_t *connection)
{
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// An X server of the test's own (Xvfb, one 1280×800 screen, no window
// manager). Xvfb picks a free display number and writes it to its standard
// output.
class XServer {
public:
    XServer()
    {
        m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        waitUntil([this] { return m_server.state() == QProcess::NotRunning || m_server.canReadLine(); }, 10000);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty())
            m_display = ":" + number;
    }
    ~XServer()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    QByteArray display() const { return m_display; }

    // Runs xdotool on this display and waits for it.
    void xdotool(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromUtf8(m_display));
        process.setProcessEnvironment(environment);
        process.start("xdotool", arguments);
        process.waitForFinished(5000);
    }

private:
    QProcess m_server;
    QByteArray m_display;
};

class X11ComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.display().isEmpty());
        app = XcbConnection::open(server.display());
        other = XcbConnection::open(server.display());
        ASSERT_TRUE(app && other);
    }

    // A window of another program, mapped on the root.
    xcb_window_t createWindow(const QRect &geometry)
    {
        xcb_connection_t *c = other->connection();
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, other->root(), geometry.x(), geometry.y(), geometry.width(), geometry.height(), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        xcb_map_window(c, window);
        sync(c);
        return window;
    }
    void setWindows(xcb_window_t active, const QList<xcb_window_t> &clients)
    {
        xcb_ewmh_set_active_window(&other->ewmh(), 0, active);
        xcb_ewmh_set_client_list(&other->ewmh(), 0, clients.size(), const_cast<xcb_window_t *>(clients.constData()));
        sync(other->connection());
    }
    void setState(xcb_window_t window, QList<xcb_atom_t> atoms)
    {
        xcb_ewmh_set_wm_state(&other->ewmh(), window, atoms.size(), atoms.data());
        sync(other->connection());
    }
    void focus(xcb_window_t window)
    {
        xcb_set_input_focus(other->connection(), XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        sync(other->connection());
    }
    // The key presses the other program's windows received, as keycodes.
    QList<xcb_keycode_t> pressesSeenElsewhere()
    {
        QList<xcb_keycode_t> codes;
        while (xcb_generic_event_t *event = xcb_poll_for_event(other->connection())) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
                codes.append(reinterpret_cast<xcb_key_press_event_t *>(event)->detail);
            free(event);
        }
        return codes;
    }
    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(other->connection());
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }

    // The key capture, on a connection of its own.
    std::unique_ptr<X11KeyCapture> keyCapture() { return std::make_unique<X11KeyCapture>(XcbConnection::open(server.display())); }

    XServer server;
    std::unique_ptr<XcbConnection> app;
    std::unique_ptr<XcbConnection> other;
};

const KeyCombination controlAltM{Qt::Key_M, Qt::ControlModifier | Qt::AltModifier};

TEST_F(X11ComponentTest, GrabbedKeyReachesTheHandlerWhateverTheLocks)
{
    const auto keys = keyCapture();
    int presses = 0;
    ASSERT_TRUE(keys->grab(controlAltM, [&] { ++presses; }));
    const xcb_window_t window = createWindow({0, 0, 200, 200});
    focus(window);

    server.xdotool({"key", "ctrl+alt+m"});
    EXPECT_TRUE(waitUntil([&] { return presses == 1; }));
    server.xdotool({"key", "Num_Lock"});
    server.xdotool({"key", "Caps_Lock"});
    server.xdotool({"key", "ctrl+alt+m"});
    EXPECT_TRUE(waitUntil([&] { return presses == 2; }));
    // A taken press stays with us; the focused window saw only the locks.
    EXPECT_FALSE(pressesSeenElsewhere().contains(keycode('m')));
    // Other combinations are not ours.
    server.xdotool({"key", "ctrl+m"});
    EXPECT_TRUE(waitUntil([&] { return pressesSeenElsewhere().contains(keycode('m')); }));
    EXPECT_EQ(presses, 2);
}

// The keyboard never waits for the main thread: while it is busy, a taken
// key is kept, a declined one is replayed and the next letter reaches the
// focused window at once; the handlers run once the main thread is free.
TEST_F(X11ComponentTest, KeysAreAnsweredWhileTheMainThreadIsBusy)
{
    const auto keys = keyCapture();
    using Handled = std::pair<Qt::Key, KeyHandling>;
    QList<Handled> handled;
    const auto recordAs = [&](Qt::Key key) { return [&handled, key](const KeyPress &, KeyHandling handling) { handled.append({key, handling}); }; };
    ASSERT_TRUE(keys->grabAnyModifiers(Qt::Key_VolumeUp, [](const KeyPress &) { return KeyHandling::Handled; }, recordAs(Qt::Key_VolumeUp)));
    ASSERT_TRUE(keys->grabAnyModifiers(Qt::Key_VolumeDown, [](const KeyPress &) { return KeyHandling::Declined; }, recordAs(Qt::Key_VolumeDown)));
    ASSERT_TRUE(keys->grab(controlAltM, [&] { handled.append({Qt::Key_M, KeyHandling::Handled}); }));
    KeyboardClient editor(QString::fromUtf8(server.display()));
    ASSERT_TRUE(editor.isReady());
    const xcb_keycode_t letter = editor.keycode('a');

    QList<xcb_keycode_t> seen;
    qsizetype handledMeanwhile = -1;
    ASSERT_TRUE(whileMainThreadIsBusy([&] {
        server.xdotool({"key", "XF86AudioRaiseVolume", "XF86AudioLowerVolume", "ctrl+alt+m", "a"});
        seen = editor.pressesUntil(letter);
        handledMeanwhile = handled.size();
    }));
    // The modifiers held for Control+Alt+M reach the window too.
    const QList<xcb_keycode_t> typed{editor.keycode(XF86XK_AudioRaiseVolume), editor.keycode(XF86XK_AudioLowerVolume), editor.keycode('m'), letter};
    seen.removeIf([&](xcb_keycode_t code) { return !typed.contains(code); });
    EXPECT_EQ(seen, QList<xcb_keycode_t>({editor.keycode(XF86XK_AudioLowerVolume), letter}));
    EXPECT_EQ(handledMeanwhile, 0);
    ASSERT_TRUE(waitUntil([&] { return handled.size() == 3; }));
    EXPECT_EQ(handled, QList<Handled>({{Qt::Key_VolumeUp, KeyHandling::Handled}, {Qt::Key_VolumeDown, KeyHandling::Declined}, {Qt::Key_M, KeyHandling::Handled}}));
}

TEST_F(X11ComponentTest, ReleasedKeyGoesBackToTheFocusedWindow)
{
    const auto keys = keyCapture();
    int presses = 0;
    const auto grab = keys->grab(controlAltM, [&] { ++presses; });
    ASSERT_TRUE(grab);
    keys->release(*grab);
    const xcb_window_t window = createWindow({0, 0, 200, 200});
    focus(window);

    server.xdotool({"key", "ctrl+alt+m"});
    EXPECT_TRUE(waitUntil([&] { return pressesSeenElsewhere().contains(keycode('m')); }));
    EXPECT_EQ(presses, 0);
    // Given back, it can be taken again.
    EXPECT_TRUE(keys->grab(controlAltM, [] {}));
}

TEST_F(X11ComponentTest, KeyHeldByAnotherProgramCannotBeGrabbed)
{
    const xcb_keycode_t m = keycode('m');
    xcb_grab_key(other->connection(), 1, other->root(), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, m, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    sync(other->connection());

    const auto keys = keyCapture();
    EXPECT_EQ(keys->grab(controlAltM, [] {}), std::nullopt);
    // No half grab is left behind: once the other program lets go, the key is
    // free for us again.
    xcb_ungrab_key(other->connection(), m, other->root(), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    sync(other->connection());
    EXPECT_TRUE(keys->grab(controlAltM, [] {}));
}

TEST_F(X11ComponentTest, KeyTakenWithAnyModifiersReportsTheHeldOnes)
{
    const auto keys = keyCapture();
    QList<Qt::KeyboardModifiers> presses;
    QList<KeyHandling> handlings;
    std::atomic<KeyHandling> answer = KeyHandling::Handled;
    ASSERT_TRUE(keys->grabAnyModifiers(
        Qt::Key_VolumeUp, [&](const KeyPress &) { return answer.load(); },
        [&](const KeyPress &press, KeyHandling handling) {
            presses.append(press.modifiers);
            handlings.append(handling);
        }));
    const xcb_window_t window = createWindow({0, 0, 200, 200});
    focus(window);

    server.xdotool({"key", "XF86AudioRaiseVolume"});
    server.xdotool({"key", "shift+alt+XF86AudioRaiseVolume"});
    server.xdotool({"key", "Num_Lock"});
    server.xdotool({"key", "ctrl+XF86AudioRaiseVolume"});
    ASSERT_TRUE(waitUntil([&] { return presses.size() == 3; }));
    EXPECT_EQ(presses, QList<Qt::KeyboardModifiers>({Qt::NoModifier, Qt::ShiftModifier | Qt::AltModifier, Qt::ControlModifier}));
    const xcb_keycode_t raiseVolume = keycode(XF86XK_AudioRaiseVolume);
    EXPECT_FALSE(pressesSeenElsewhere().contains(raiseVolume));

    // Declined, with a modifier too: the focused window gets the press.
    answer = KeyHandling::Declined;
    server.xdotool({"key", "shift+XF86AudioRaiseVolume"});
    EXPECT_TRUE(waitUntil([&] { return pressesSeenElsewhere().contains(raiseVolume); }));
    ASSERT_TRUE(waitUntil([&] { return presses.size() == 4; }));
    EXPECT_EQ(handlings, QList<KeyHandling>({KeyHandling::Handled, KeyHandling::Handled, KeyHandling::Handled, KeyHandling::Declined}));
}

// Another program moves Alt from the first to the third modifier bit, as a
// keyboard setup tool may after login: Alt is still reported as Alt.
TEST_F(X11ComponentTest, ModifiersFollowAChangedModifierMap)
{
    const auto keys = keyCapture();
    QList<Qt::KeyboardModifiers> presses;
    ASSERT_TRUE(keys->grabAnyModifiers(
        Qt::Key_VolumeUp, [](const KeyPress &) { return KeyHandling::Handled; },
        [&](const KeyPress &press, KeyHandling) { presses.append(press.modifiers); }));

    xcb_connection_t *c = other->connection();
    const std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&free)> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr), &free);
    ASSERT_TRUE(mapping);
    const int perModifier = mapping->keycodes_per_modifier;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const xcb_keycode_t altLeft = keycode(XK_Alt_L);
    // One more key per modifier leaves room for Alt in the third one.
    QList<xcb_keycode_t> moved(8 * (perModifier + 1), 0);
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            moved[modifier * (perModifier + 1) + i] = code == altLeft ? 0 : code;
        }
    }
    const int mod3 = 5;
    moved[mod3 * (perModifier + 1) + perModifier] = altLeft;
    const std::unique_ptr<xcb_set_modifier_mapping_reply_t, decltype(&free)> set(
        xcb_set_modifier_mapping_reply(c, xcb_set_modifier_mapping(c, perModifier + 1, moved.constData()), nullptr), &free);
    ASSERT_TRUE(set && set->status == XCB_MAPPING_STATUS_SUCCESS);

    // The plain press comes after the notice of the new map.
    server.xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(waitUntil([&] { return presses.size() == 1; }));
    server.xdotool({"key", "alt+XF86AudioRaiseVolume"});
    ASSERT_TRUE(waitUntil([&] { return presses.size() == 2; }));
    EXPECT_EQ(presses, QList<Qt::KeyboardModifiers>({Qt::NoModifier, Qt::AltModifier}));
}

TEST_F(X11ComponentTest, KeyHeldWithAnyModifierElsewhereCannotBeTakenWithAny)
{
    const xcb_keycode_t lowerVolume = keycode(XF86XK_AudioLowerVolume);
    xcb_grab_key(other->connection(), 1, other->root(), XCB_MOD_MASK_SHIFT, lowerVolume, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    sync(other->connection());

    LogCapture log;
    const auto keys = keyCapture();
    const auto take = [&] { return keys->grabAnyModifiers(Qt::Key_VolumeDown, [](const KeyPress &) { return KeyHandling::Handled; }, [](const KeyPress &, KeyHandling) {}); };
    // A caller that retries is told each time, but the log has it once.
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_EQ(take(), std::nullopt);
    EXPECT_EQ(log.messages("Quib: another program holds the key").size(), 1);

    xcb_ungrab_key(other->connection(), lowerVolume, other->root(), XCB_MOD_MASK_SHIFT);
    sync(other->connection());
    EXPECT_TRUE(take());
}

TEST_F(X11ComponentTest, ReportsTheScreenOfAVisibleFullScreenWindow)
{
    X11WindowServer windows(*app);
    xcb_ewmh_connection_t &ewmh = other->ewmh();
    const xcb_window_t normal = createWindow({10, 10, 300, 200});
    const xcb_window_t video = createWindow({0, 0, 1280, 800});
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());

    setState(video, {ewmh._NET_WM_STATE_FULLSCREEN});
    setWindows(video, {normal, video});
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>{"screen"});

    // The active window is in front: a normal one hides the full-screen one.
    setWindows(normal, {normal, video});
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());

    // No active window: any visible full-screen client counts.
    setWindows(XCB_NONE, {normal, video});
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>{"screen"});

    // Minimised, on another desktop, or unmapped: not shown.
    setState(video, {ewmh._NET_WM_STATE_FULLSCREEN, ewmh._NET_WM_STATE_HIDDEN});
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());
    setState(video, {ewmh._NET_WM_STATE_FULLSCREEN});
    xcb_ewmh_set_current_desktop(&ewmh, 0, 0);
    xcb_ewmh_set_wm_desktop(&ewmh, video, 1);
    sync(other->connection());
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());
    xcb_ewmh_set_wm_desktop(&ewmh, video, 0);
    xcb_unmap_window(other->connection(), video);
    sync(other->connection());
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());
}

} // namespace

TEST_F(X11ComponentTest, ActivationsAndDesktopSwitchesAreReported)
{
    X11WindowServer windows(*app);
    int activations = 0;
    windows.observeActivation([&] { ++activations; });

    const xcb_window_t window = createWindow({0, 0, 200, 200});
    setWindows(window, {window});
    EXPECT_TRUE(waitUntil([&] { return activations == 1; }));
    xcb_ewmh_set_current_desktop(&other->ewmh(), 0, 1);
    sync(other->connection());
    EXPECT_TRUE(waitUntil([&] { return activations == 2; }));
    // Other root properties are no activation: the switch back after one is
    // the third report.
    xcb_ewmh_set_number_of_desktops(&other->ewmh(), 0, 2);
    xcb_ewmh_set_current_desktop(&other->ewmh(), 0, 0);
    sync(other->connection());
    EXPECT_TRUE(waitUntil([&] { return activations >= 3; }));
    EXPECT_EQ(activations, 3);
}

TEST_F(X11ComponentTest, WindowsEnteringAndLeavingFullScreenByThemselvesAreReported)
{
    X11WindowServer windows(*app);
    const xcb_window_t normal = createWindow({10, 10, 300, 200});
    const xcb_window_t browser = createWindow({0, 0, 1280, 800});
    setWindows(browser, {normal, browser});
    int activations = 0;
    int changes = 0;
    windows.observeActivation([&] { ++activations; });
    windows.observeFullscreenStates([&] { ++changes; });
    const xcb_atom_t fullscreen = other->ewmh()._NET_WM_STATE_FULLSCREEN;

    // The active window goes full screen and back, with no activation.
    setState(browser, {fullscreen});
    EXPECT_TRUE(waitUntil([&] { return changes == 1; }));
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>{"screen"});
    setState(browser, {});
    EXPECT_TRUE(waitUntil([&] { return changes == 2; }));
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>());
    EXPECT_EQ(activations, 0);

    // A window that appears later is followed once it is listed.
    const xcb_window_t player = createWindow({0, 0, 640, 400});
    setWindows(player, {normal, browser, player});
    ASSERT_TRUE(waitUntil([&] { return activations == 1; }));
    setState(player, {fullscreen});
    EXPECT_TRUE(waitUntil([&] { return changes == 3; }));
    EXPECT_EQ(windows.fullscreenDisplayIdentifiers(), QSet<QString>{"screen"});

    // Other properties of a client are no state change: the next state
    // change is the fourth report.
    xcb_ewmh_set_wm_name(&other->ewmh(), player, 5, "Video");
    setState(player, {});
    EXPECT_TRUE(waitUntil([&] { return changes >= 4; }));
    EXPECT_EQ(changes, 4);
}

TEST_F(X11ComponentTest, ManagedWindowsMappedOrRestackedAreReportedButOverrideRedirectOnesAreNot)
{
    X11WindowServer windows(*app);
    int restacks = 0;
    windows.observeStacking([&] { ++restacks; });

    const xcb_window_t below = createWindow({0, 0, 400, 300});
    EXPECT_TRUE(waitUntil([&] { return restacks == 1; }));
    createWindow({100, 0, 400, 300});
    EXPECT_TRUE(waitUntil([&] { return restacks == 2; }));

    // Another program's overlay maps and raises itself: not reported.
    xcb_connection_t *c = other->connection();
    const xcb_window_t overlay = xcb_generate_id(c);
    const uint32_t overrideRedirect = 1;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, overlay, other->root(), 0, 0, 100, 30, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    xcb_map_window(c, overlay);
    const uint32_t raise = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, overlay, XCB_CONFIG_WINDOW_STACK_MODE, &raise);
    sync(c);

    // Raising a managed window is: it is the third report.
    xcb_configure_window(c, below, XCB_CONFIG_WINDOW_STACK_MODE, &raise);
    sync(c);
    EXPECT_TRUE(waitUntil([&] { return restacks >= 3; }));
    EXPECT_EQ(restacks, 3);
}

TEST_F(X11ComponentTest, CompositorIsTheOwnerOfTheCompositingSelection)
{
    X11WindowServer windows(*app);
    EXPECT_FALSE(windows.hasCompositor());
    const xcb_window_t owner = createWindow({0, 0, 1, 1});
    xcb_ewmh_set_wm_cm_owner(&other->ewmh(), 0, owner, XCB_CURRENT_TIME, 0, 0);
    sync(other->connection());
    EXPECT_TRUE(windows.hasCompositor());
}
