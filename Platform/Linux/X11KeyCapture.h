#pragma once

#include "Platform/KeyCapture.h"
#include "Platform/Linux/XcbConnection.h"

#include <QHash>
#include <QObject>

#include <xcb/xcb.h>

struct _XCBKeySymbols;

// Global keys through passive key grabs on the root window. Each combination
// is grabbed four times, with and without Caps Lock and Num Lock, so the lock
// keys never matter. The grabs freeze the keyboard on a press until the
// handler answers: a handled press is kept, a declined one is replayed to the
// window that has the focus, as if it had never been grabbed.
class X11KeyCapture final : public QObject, public KeyCapture {
    Q_OBJECT
public:
    explicit X11KeyCapture(XcbConnection &x11);
    ~X11KeyCapture() override;

    std::optional<Grab> grab(const KeyCombination &combination, Handler handler) override;
    void release(Grab grab) override;

private:
    struct Entry {
        KeyCombination combination;
        xcb_keycode_t keycode = 0;
        uint16_t modifiers = 0;
        Handler handler;
    };
    // The modifier bits that the key `keysym` sets (Num Lock, Alt, Super), 0
    // when no modifier carries it.
    uint16_t modifierMask(xcb_keysym_t keysym) const;
    std::optional<uint16_t> modifierMask(Qt::KeyboardModifiers modifiers) const;
    QList<uint16_t> lockVariants(uint16_t modifiers) const;
    void ungrab(const Entry &entry);
    void handlePress(const xcb_key_press_event_t &event);

    XcbConnection &m_x11;
    _XCBKeySymbols *m_symbols = nullptr;
    XcbConnection::HandlerId m_events = 0;
    QHash<Grab, Entry> m_grabs;
    Grab m_next = 1;
};
