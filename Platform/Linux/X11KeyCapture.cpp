#include "Platform/Linux/X11KeyCapture.h"

#include "Platform/Linux/XcbConnection.h"
#include "Support/Log.h"

#include <QMetaObject>

#include <X11/XF86keysym.h>
#include <xcb/xcb_keysyms.h>

#include <memory>

namespace {

constexpr xcb_keysym_t numLockKeysym = 0xff7f;
constexpr xcb_keysym_t altKeysym = 0xffe9;   // Alt_L
constexpr xcb_keysym_t superKeysym = 0xffeb; // Super_L

template <typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

// The keysym of the keys this backend can grab; 0 for any other.
xcb_keysym_t keysymFor(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'a' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_VolumeUp:
        return XF86XK_AudioRaiseVolume;
    case Qt::Key_VolumeDown:
        return XF86XK_AudioLowerVolume;
    case Qt::Key_VolumeMute:
        return XF86XK_AudioMute;
    case Qt::Key_MonBrightnessUp:
        return XF86XK_MonBrightnessUp;
    case Qt::Key_MonBrightnessDown:
        return XF86XK_MonBrightnessDown;
    default:
        return 0;
    }
}

} // namespace

X11KeyCapture::X11KeyCapture(std::unique_ptr<XcbConnection> connection)
    : m_x11(std::move(connection))
    , m_symbols(xcb_key_symbols_alloc(m_x11->connection()))
{
    xcb_connection_t *c = m_x11->connection();
    m_wakeWindow = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_wakeWindow, m_x11->root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    xcb_flush(c);
    m_thread = std::thread([this] { readEvents(); });
}

X11KeyCapture::~X11KeyCapture()
{
    xcb_connection_t *c = m_x11->connection();
    QHash<Grab, Entry> grabs;
    {
        const std::lock_guard lock(m_mutex);
        grabs.swap(m_grabs);
    }
    for (const Entry &entry : std::as_const(grabs))
        ungrab(entry);
    // A message to our own window, sent to no one else, wakes the thread
    // from its wait for events.
    xcb_client_message_event_t stop{};
    stop.response_type = XCB_CLIENT_MESSAGE;
    stop.format = 32;
    stop.window = m_wakeWindow;
    xcb_send_event(c, 0, m_wakeWindow, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&stop));
    xcb_flush(c);
    m_thread.join();
    xcb_key_symbols_free(m_symbols);
}

uint16_t X11KeyCapture::modifierMask(xcb_keysym_t keysym) const
{
    xcb_connection_t *connection = m_x11->connection();
    Reply<xcb_get_modifier_mapping_reply_t> mapping(xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &free);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> wanted(xcb_key_symbols_get_keycode(m_symbols, keysym), &free);
    if (!mapping || !wanted)
        return 0;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            for (const xcb_keycode_t *w = wanted.get(); code != 0 && *w != XCB_NO_SYMBOL; ++w) {
                if (*w == code)
                    return uint16_t(1u << modifier);
            }
        }
    }
    return 0;
}

X11KeyCapture::ModifierBits X11KeyCapture::currentModifierBits() const
{
    return ModifierBits{modifierMask(altKeysym), modifierMask(superKeysym), modifierMask(numLockKeysym)};
}

// The modifiers Qt names and the X11 modifier bits that carry them.
QList<std::pair<Qt::KeyboardModifier, uint16_t>> X11KeyCapture::qtModifiers(const ModifierBits &bits)
{
    return {
        {Qt::ShiftModifier, XCB_MOD_MASK_SHIFT},
        {Qt::ControlModifier, XCB_MOD_MASK_CONTROL},
        {Qt::AltModifier, bits.alt},
        {Qt::MetaModifier, bits.super},
    };
}

std::optional<uint16_t> X11KeyCapture::modifierMask(Qt::KeyboardModifiers modifiers, const ModifierBits &bits)
{
    uint16_t mask = 0;
    for (const auto &[modifier, bit] : qtModifiers(bits)) {
        if (!modifiers.testFlag(modifier))
            continue;
        if (bit == 0)
            return std::nullopt;
        mask |= bit;
    }
    return mask;
}

Qt::KeyboardModifiers X11KeyCapture::keyboardModifiers(uint16_t state, const ModifierBits &bits)
{
    Qt::KeyboardModifiers modifiers;
    for (const auto &[modifier, bit] : qtModifiers(bits)) {
        if (bit != 0 && (state & bit) == bit)
            modifiers |= modifier;
    }
    return modifiers;
}

std::optional<KeyCapture::Grab> X11KeyCapture::grab(const KeyCombination &combination, Handler handler)
{
    const ModifierBits bits = currentModifierBits();
    const auto modifiers = modifierMask(combination.modifiers, bits);
    if (!modifiers) {
        qCWarning(lcPlatform, "Quib: the key %s does not exist on this keyboard", qPrintable(describe(combination)));
        return std::nullopt;
    }
    const auto always = [](const KeyPress &) { return KeyHandling::Handled; };
    return add(Entry{combination, 0, *modifiers, {}, always, [handler = std::move(handler)](const KeyPress &, KeyHandling) { handler(); }}, bits);
}

std::optional<KeyCapture::Grab> X11KeyCapture::grabAnyModifiers(Qt::Key key, Decision decision, PressHandler handler)
{
    return add(Entry{KeyCombination{key, {}}, 0, std::nullopt, {}, std::move(decision), std::move(handler)}, currentModifierBits());
}

std::optional<KeyCapture::Grab> X11KeyCapture::add(Entry entry, const ModifierBits &bits)
{
    xcb_connection_t *connection = m_x11->connection();
    const QString name = describe(entry.combination);
    const auto keycode = keycodeFor(entry.combination.key);
    if (!keycode) {
        qCWarning(lcPlatform, "Quib: the key %s does not exist on this keyboard", qPrintable(name));
        return std::nullopt;
    }
    entry.keycode = *keycode;
    if (!entry.modifiers) {
        entry.variants = {XCB_MOD_MASK_ANY};
    } else {
        const uint16_t modifiers = *entry.modifiers;
        entry.variants = {modifiers, uint16_t(modifiers | XCB_MOD_MASK_LOCK)};
        if (bits.numLock != 0)
            entry.variants << uint16_t(modifiers | bits.numLock) << uint16_t(modifiers | bits.numLock | XCB_MOD_MASK_LOCK);
    }

    QList<xcb_void_cookie_t> cookies;
    for (uint16_t variant : std::as_const(entry.variants)) {
        cookies << xcb_grab_key_checked(connection, 1, m_x11->root(), variant, entry.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
    }
    bool failed = false;
    for (const xcb_void_cookie_t cookie : std::as_const(cookies)) {
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            failed = true;
            free(error);
        }
    }
    if (failed) {
        // Keep no half grab: with only some lock states taken the key would
        // seem to work at random.
        ungrab(entry);
        if (!m_reportedHeld.contains(name))
            qCWarning(lcPlatform, "Quib: another program holds the key %s; it stays off", qPrintable(name));
        m_reportedHeld.insert(name);
        return std::nullopt;
    }
    m_reportedHeld.remove(name);
    const Grab id = m_next++;
    // A press that came before this is answered as not ours: replayed.
    const std::lock_guard lock(m_mutex);
    m_bits = bits;
    m_grabs.insert(id, std::move(entry));
    return id;
}

std::optional<xcb_keycode_t> X11KeyCapture::keycodeFor(Qt::Key key) const
{
    const xcb_keysym_t keysym = keysymFor(key);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> keycodes(keysym ? xcb_key_symbols_get_keycode(m_symbols, keysym) : nullptr, &free);
    if (!keycodes || *keycodes == XCB_NO_SYMBOL)
        return std::nullopt;
    return *keycodes;
}

bool X11KeyCapture::canGrabAnyModifiers(Qt::Key key)
{
    const auto keycode = keycodeFor(key);
    if (!keycode)
        return false;
    {
        // A test grab of a key this app holds would replace its grab, and
        // the ungrab after it would give the key away.
        const std::lock_guard lock(m_mutex);
        for (const Entry &entry : std::as_const(m_grabs)) {
            if (entry.keycode == *keycode)
                return true;
        }
    }
    xcb_connection_t *connection = m_x11->connection();
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 1, m_x11->root(), XCB_MOD_MASK_ANY, *keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
        free(error);
        return false;
    }
    xcb_ungrab_key(connection, *keycode, m_x11->root(), XCB_MOD_MASK_ANY);
    xcb_flush(connection);
    return true;
}

void X11KeyCapture::release(Grab grab)
{
    Entry entry;
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_grabs.find(grab);
        if (it == m_grabs.end())
            return;
        entry = std::move(*it);
        m_grabs.erase(it);
    }
    ungrab(entry);
}

void X11KeyCapture::ungrab(const Entry &entry)
{
    for (uint16_t variant : entry.variants)
        xcb_ungrab_key(m_x11->connection(), entry.keycode, m_x11->root(), variant);
    xcb_flush(m_x11->connection());
}

void X11KeyCapture::readEvents()
{
    // xcb lets this thread wait for events while the main thread sends
    // requests and reads their replies on the same connection.
    while (xcb_generic_event_t *event = xcb_wait_for_event(m_x11->connection())) {
        const uint8_t type = event->response_type & 0x7f;
        const bool stop = type == XCB_CLIENT_MESSAGE && reinterpret_cast<const xcb_client_message_event_t *>(event)->window == m_wakeWindow;
        if (type == XCB_KEY_PRESS) {
            answer(*reinterpret_cast<const xcb_key_press_event_t *>(event));
        } else if (type == XCB_MAPPING_NOTIFY) {
            const auto notify = *reinterpret_cast<const xcb_mapping_notify_event_t *>(event);
            QMetaObject::invokeMethod(this, [this, notify] { followMapping(notify); }, Qt::QueuedConnection);
        }
        free(event);
        if (stop)
            return;
    }
}

void X11KeyCapture::answer(const xcb_key_press_event_t &event)
{
    std::optional<Grab> match;
    KeyPress press;
    KeyHandling handling = KeyHandling::Declined;
    {
        const std::lock_guard lock(m_mutex);
        const uint16_t locks = XCB_MOD_MASK_LOCK | m_bits.numLock;
        // Only the eight modifier bits; the rest are pointer buttons.
        const uint16_t state = event.state & ~locks & 0xff;
        // A grab of these exact modifiers goes before one of any modifiers.
        const Entry *entry = nullptr;
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
            if (it->keycode == event.detail && (!it->modifiers || *it->modifiers == state) && (!entry || it->modifiers)) {
                entry = &*it;
                match = it.key();
            }
        }
        if (entry) {
            // Under the lock, so a decision never runs after its release().
            press = KeyPress{keyboardModifiers(state, m_bits)};
            handling = entry->decision(press);
        }
    }
    // The keyboard stays frozen until this answer.
    xcb_allow_events(m_x11->connection(), handling == KeyHandling::Handled ? XCB_ALLOW_ASYNC_KEYBOARD : XCB_ALLOW_REPLAY_KEYBOARD, event.time);
    xcb_flush(m_x11->connection());
    if (match)
        QMetaObject::invokeMethod(this, [this, grab = *match, press, handling] { deliver(grab, press, handling); }, Qt::QueuedConnection);
}

void X11KeyCapture::followMapping(xcb_mapping_notify_event_t notify)
{
    xcb_refresh_keyboard_mapping(m_symbols, &notify);
    const ModifierBits bits = currentModifierBits();
    const std::lock_guard lock(m_mutex);
    m_bits = bits;
}

void X11KeyCapture::deliver(Grab grab, KeyPress press, KeyHandling handling)
{
    PressHandler handler;
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_grabs.constFind(grab);
        if (it == m_grabs.constEnd())
            return;
        handler = it->handler;
    }
    // The handler may release this very grab; it runs on a copy.
    handler(press, handling);
}
