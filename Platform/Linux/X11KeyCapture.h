#pragma once

#include "Platform/KeyCapture.h"
#include "Platform/Linux/XcbConnection.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <xcb/xcb.h>

struct _XCBKeySymbols;

// Global keys through passive key grabs on the root window. Each combination
// is grabbed four times, with and without Caps Lock and Num Lock, so the lock
// keys never matter. The grabs freeze the keyboard on a press until the
// handler answers: a handled press is kept, a declined one is replayed to the
// window that has the focus, as if it had never been grabbed. A key taken
// with any modifiers is one grab with AnyModifier, which fails when another
// program holds that key with any modifiers at all.
class X11KeyCapture final : public QObject, public KeyCapture {
    Q_OBJECT
public:
    explicit X11KeyCapture(XcbConnection &x11);
    ~X11KeyCapture() override;

    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override;
    std::optional<Grab> grabAnyModifiers(Qt::Key key, PressHandler handler) override;
    void release(Grab grab) override;

private:
    struct Entry {
        KeyCombination combination;
        xcb_keycode_t keycode = 0;
        // None: any modifiers.
        std::optional<uint16_t> modifiers;
        PressHandler handler;
    };
    // The modifier bits that the key `keysym` sets (Num Lock, Alt, Super), 0
    // when no modifier carries it.
    uint16_t modifierMask(xcb_keysym_t keysym) const;
    QList<std::pair<Qt::KeyboardModifier, uint16_t>> modifierBits() const;
    std::optional<uint16_t> modifierMask(Qt::KeyboardModifiers modifiers) const;
    Qt::KeyboardModifiers keyboardModifiers(uint16_t state) const;
    QList<uint16_t> grabbedVariants(const Entry &entry) const;
    std::optional<Grab> add(Entry entry);
    void ungrab(const Entry &entry);
    void handlePress(const xcb_key_press_event_t &event);

    XcbConnection &m_x11;
    _XCBKeySymbols *m_symbols = nullptr;
    XcbConnection::HandlerId m_events = 0;
    QHash<Grab, Entry> m_grabs;
    // Keys already reported as held by another program: a caller that
    // retries is not logged again until the key was taken once.
    QSet<QString> m_reportedHeld;
    Grab m_next = 1;
};
