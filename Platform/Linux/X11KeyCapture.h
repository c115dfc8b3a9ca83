#pragma once

#include "Platform/KeyCapture.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <xcb/xcb.h>

#include <memory>
#include <mutex>
#include <thread>

class XcbConnection;
struct _XCBKeySymbols;

// Global keys through passive key grabs on the root window. Each combination
// is grabbed four times, with and without Caps Lock and Num Lock, so the lock
// keys never matter. The grabs freeze the keyboard on a press until it is
// answered: a taken press is kept, a declined one is replayed to the window
// that has the focus, as if it had never been grabbed. The answer comes from
// a thread of this backend reading a connection of its own, so it never
// waits for the main thread; handlers run afterwards on the main thread. A
// key taken with any modifiers is one grab with AnyModifier, which fails
// when another program holds that key with any modifiers at all.
class X11KeyCapture final : public QObject, public KeyCapture {
    Q_OBJECT
public:
    // `connection` is this backend's alone: no one else reads its events.
    explicit X11KeyCapture(std::unique_ptr<XcbConnection> connection);
    ~X11KeyCapture() override;

    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override;
    std::optional<Grab> grabAnyModifiers(Qt::Key key, Decision decision, PressHandler handler) override;
    void release(Grab grab) override;
    bool canGrabAnyModifiers(Qt::Key key) override;

private:
    struct Entry {
        KeyCombination combination;
        xcb_keycode_t keycode = 0;
        // None: any modifiers.
        std::optional<uint16_t> modifiers;
        // The modifier states grabbed.
        QList<uint16_t> variants;
        Decision decision;
        PressHandler handler;
    };
    // The X11 modifier bits of the modifiers that move with the keyboard map.
    struct ModifierBits {
        uint16_t alt = 0;
        uint16_t super = 0;
        uint16_t numLock = 0;
    };
    // The modifier bits that the key `keysym` sets, 0 when no modifier
    // carries it.
    uint16_t modifierMask(xcb_keysym_t keysym) const;
    // None when the keyboard has no such key.
    std::optional<xcb_keycode_t> keycodeFor(Qt::Key key) const;
    ModifierBits currentModifierBits() const;
    static QList<std::pair<Qt::KeyboardModifier, uint16_t>> qtModifiers(const ModifierBits &bits);
    static std::optional<uint16_t> modifierMask(Qt::KeyboardModifiers modifiers, const ModifierBits &bits);
    static Qt::KeyboardModifiers keyboardModifiers(uint16_t state, const ModifierBits &bits);
    std::optional<Grab> add(Entry entry, const ModifierBits &bits);
    void ungrab(const Entry &entry);
    // The capture thread: answers each press until stopped.
    void readEvents();
    void answer(const xcb_key_press_event_t &event);
    // Main thread: reads the modifier bits again after the keyboard's map
    // changed.
    void followMapping(xcb_mapping_notify_event_t notify);
    // Main thread: hands a press to the handler of its grab, if still held.
    void deliver(Grab grab, KeyPress press, KeyHandling handling);

    std::unique_ptr<XcbConnection> m_x11;
    // Main thread only.
    _XCBKeySymbols *m_symbols = nullptr;
    // A window of ours that only carries the message that stops the thread.
    xcb_window_t m_wakeWindow = 0;
    // Guards m_grabs and m_bits, shared with the capture thread.
    std::mutex m_mutex;
    QHash<Grab, Entry> m_grabs;
    ModifierBits m_bits;
    // Keys already reported as held by another program: a caller that
    // retries is not logged again until the key was taken once.
    QSet<QString> m_reportedHeld;
    Grab m_next = 1;
    std::thread m_thread;
};
