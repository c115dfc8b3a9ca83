#pragma once

#include <QString>
#include <Qt>

#include <functional>
#include <optional>

// A key with the modifiers held with it, e.g. Control+Alt+M. The lock
// modifiers (Caps Lock, Num Lock) never matter.
struct KeyCombination {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;

    bool operator==(const KeyCombination &) const = default;
};

// What a handler did with a captured key press.
enum class KeyHandling {
    Handled,
    // The press goes on to where it would have gone without the capture (the
    // focused window), as if it had never been taken.
    Declined,
};

// One press of a key taken with any modifiers.
struct KeyPress {
    // The modifiers held with the key; the lock modifiers never count.
    Qt::KeyboardModifiers modifiers;
};

// Global keys: a captured combination reaches this app whichever window has
// the keyboard focus. Whether a press is taken is decided at once, on the
// capture's own thread, so the keyboard never waits for a busy main thread;
// what is done with the press happens later on the main thread. Call it on
// the main thread.
class KeyCapture {
public:
    // Acts on a press of a combination that is always taken; main thread.
    using Handler = std::function<void()>;
    // Whether a press is taken. Runs on the capture's own thread while the
    // keyboard waits for the answer: it reads only thread-safe state and
    // never waits.
    using Decision = std::function<KeyHandling(const KeyPress &press)>;
    // Hears of each press with what was decided for it, afterwards, on the
    // main thread.
    using PressHandler = std::function<void(const KeyPress &press, KeyHandling handling)>;
    using Grab = quint64;

    virtual ~KeyCapture() = default;

    // Takes `combination` for the session and calls `handler` for each press.
    // None when it cannot be taken (another program holds it, no display, a
    // key this backend cannot name); the reason is logged.
    virtual std::optional<Grab> grab(const KeyCombination &combination, Handler handler) = 0;
    // Takes `key` whatever modifiers are held with it; each press is taken or
    // declined as `decision` says and then goes to `handler`. None when it
    // cannot be taken (another program holds the key with some modifiers, no
    // display, a key this backend cannot name).
    virtual std::optional<Grab> grabAnyModifiers(Qt::Key key, Decision decision, PressHandler handler) = 0;
    // Gives a grab back; once it returns, its decision is not called again
    // and presses not yet handled never reach its handler. Unknown grabs are
    // ignored.
    virtual void release(Grab grab) = 0;
    // Whether `key` can be taken with any modifiers: this app holds it that
    // way, or no other program holds it with any modifiers. Asks the display
    // when this app does not hold it, leaving nothing taken.
    virtual bool canGrabAnyModifiers(Qt::Key key) = 0;
};

// "Ctrl+Alt+M", for log lines.
QString describe(const KeyCombination &combination);
