#pragma once

#include <QList>
#include <QString>

#include <xcb/xcb.h>

struct _XCBKeySymbols;

// Another program on an X display, as an editor would be: a window with the
// keyboard focus that records the key presses it gets, and key grabs of its
// own. Use it from one thread at a time.
class KeyboardClient {
public:
    explicit KeyboardClient(const QString &display);
    ~KeyboardClient();
    KeyboardClient(const KeyboardClient &) = delete;
    KeyboardClient &operator=(const KeyboardClient &) = delete;

    bool isReady() const { return m_window != 0; }
    // The key that gives `keysym` on the display's keyboard; 0 when none.
    xcb_keycode_t keycode(xcb_keysym_t keysym) const;

    // The presses the window got so far, in order, after waiting up to
    // `milliseconds` for one of `last`.
    QList<xcb_keycode_t> pressesUntil(xcb_keycode_t last, int milliseconds = 10000);

    // Takes the key `keysym` with the X11 modifier bits `modifiers` for this
    // program, as a shortcut of its own would; false when it cannot.
    bool holdKey(xcb_keysym_t keysym, uint16_t modifiers);
    void letGoOfKey(xcb_keysym_t keysym, uint16_t modifiers);

private:
    void readPresses();

    xcb_connection_t *m_connection = nullptr;
    _XCBKeySymbols *m_symbols = nullptr;
    xcb_window_t m_window = 0;
    QList<xcb_keycode_t> m_presses;
};
