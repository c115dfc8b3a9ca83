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

// Global keys: a captured combination reaches this app's handler whichever
// window has the keyboard focus. Main thread only.
class KeyCapture {
public:
    using Handler = std::function<KeyHandling()>;
    using PressHandler = std::function<KeyHandling(const KeyPress &press)>;
    using Grab = quint64;

    virtual ~KeyCapture() = default;

    // Takes `combination` for the session and calls `handler` on each press.
    // None when it cannot be taken (another program holds it, no display, a
    // key this backend cannot name); the reason is logged.
    virtual std::optional<Grab> grab(const KeyCombination &combination, Handler handler) = 0;
    // Takes `key` whatever modifiers are held with it and calls `handler` on
    // each press, with those modifiers. None when it cannot be taken (another
    // program holds the key with some modifiers, no display, a key this
    // backend cannot name).
    virtual std::optional<Grab> grabAnyModifiers(Qt::Key key, PressHandler handler) = 0;
    // Gives a grabbed combination back. Unknown grabs are ignored.
    virtual void release(Grab grab) = 0;
};

// "Ctrl+Alt+M", for log lines.
QString describe(const KeyCombination &combination);
