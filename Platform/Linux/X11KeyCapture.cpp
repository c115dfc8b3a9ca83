#include "Platform/Linux/X11KeyCapture.h"

#include "Platform/Linux/XcbConnection.h"
#include "Support/Log.h"

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

X11KeyCapture::X11KeyCapture(XcbConnection &x11)
    : m_x11(x11)
    , m_symbols(xcb_key_symbols_alloc(x11.connection()))
{
    m_events = x11.addEventHandler([this](const xcb_generic_event_t &event) {
        if ((event.response_type & 0x7f) == XCB_KEY_PRESS)
            handlePress(reinterpret_cast<const xcb_key_press_event_t &>(event));
    });
}

X11KeyCapture::~X11KeyCapture()
{
    m_x11.removeEventHandler(m_events);
    for (const Entry &entry : std::as_const(m_grabs))
        ungrab(entry);
    xcb_flush(m_x11.connection());
    xcb_key_symbols_free(m_symbols);
}

uint16_t X11KeyCapture::modifierMask(xcb_keysym_t keysym) const
{
    xcb_connection_t *connection = m_x11.connection();
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

// The modifiers Qt names and the X11 modifier bits that carry them.
QList<std::pair<Qt::KeyboardModifier, uint16_t>> X11KeyCapture::modifierBits() const
{
    return {
        {Qt::ShiftModifier, XCB_MOD_MASK_SHIFT},
        {Qt::ControlModifier, XCB_MOD_MASK_CONTROL},
        {Qt::AltModifier, modifierMask(altKeysym)},
        {Qt::MetaModifier, modifierMask(superKeysym)},
    };
}

std::optional<uint16_t> X11KeyCapture::modifierMask(Qt::KeyboardModifiers modifiers) const
{
    uint16_t mask = 0;
    for (const auto &[modifier, bits] : modifierBits()) {
        if (!modifiers.testFlag(modifier))
            continue;
        if (bits == 0)
            return std::nullopt;
        mask |= bits;
    }
    return mask;
}

Qt::KeyboardModifiers X11KeyCapture::keyboardModifiers(uint16_t state) const
{
    Qt::KeyboardModifiers modifiers;
    for (const auto &[modifier, bits] : modifierBits()) {
        if (bits != 0 && (state & bits) == bits)
            modifiers |= modifier;
    }
    return modifiers;
}

QList<uint16_t> X11KeyCapture::grabbedVariants(const Entry &entry) const
{
    if (!entry.modifiers)
        return {XCB_MOD_MASK_ANY};
    const uint16_t modifiers = *entry.modifiers;
    const uint16_t numLock = modifierMask(numLockKeysym);
    QList<uint16_t> variants{modifiers, uint16_t(modifiers | XCB_MOD_MASK_LOCK)};
    if (numLock != 0)
        variants << uint16_t(modifiers | numLock) << uint16_t(modifiers | numLock | XCB_MOD_MASK_LOCK);
    return variants;
}

std::optional<KeyCapture::Grab> X11KeyCapture::grab(const KeyCombination &combination, Handler handler)
{
    const auto modifiers = modifierMask(combination.modifiers);
    if (!modifiers) {
        qCWarning(lcPlatform, "Quib: the key %s does not exist on this keyboard", qPrintable(describe(combination)));
        return std::nullopt;
    }
    return add(Entry{combination, 0, *modifiers, [handler = std::move(handler)](const KeyPress &) { return handler(); }});
}

std::optional<KeyCapture::Grab> X11KeyCapture::grabAnyModifiers(Qt::Key key, PressHandler handler)
{
    return add(Entry{KeyCombination{key, {}}, 0, std::nullopt, std::move(handler)});
}

std::optional<KeyCapture::Grab> X11KeyCapture::add(Entry entry)
{
    xcb_connection_t *connection = m_x11.connection();
    const QString name = describe(entry.combination);
    const xcb_keysym_t keysym = keysymFor(entry.combination.key);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> keycodes(keysym ? xcb_key_symbols_get_keycode(m_symbols, keysym) : nullptr, &free);
    if (!keycodes || *keycodes == XCB_NO_SYMBOL) {
        qCWarning(lcPlatform, "Quib: the key %s does not exist on this keyboard", qPrintable(name));
        return std::nullopt;
    }
    entry.keycode = *keycodes;

    QList<xcb_void_cookie_t> cookies;
    for (uint16_t variant : grabbedVariants(entry)) {
        cookies << xcb_grab_key_checked(connection, 1, m_x11.root(), variant, entry.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
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
        xcb_flush(connection);
        if (!m_reportedHeld.contains(name))
            qCWarning(lcPlatform, "Quib: another program holds the key %s; it stays off", qPrintable(name));
        m_reportedHeld.insert(name);
        return std::nullopt;
    }
    m_reportedHeld.remove(name);
    const Grab id = m_next++;
    m_grabs.insert(id, std::move(entry));
    return id;
}

void X11KeyCapture::release(Grab grab)
{
    const auto it = m_grabs.constFind(grab);
    if (it == m_grabs.constEnd())
        return;
    ungrab(*it);
    m_grabs.erase(it);
    xcb_flush(m_x11.connection());
}

void X11KeyCapture::ungrab(const Entry &entry)
{
    for (uint16_t variant : grabbedVariants(entry))
        xcb_ungrab_key(m_x11.connection(), entry.keycode, m_x11.root(), variant);
}

void X11KeyCapture::handlePress(const xcb_key_press_event_t &event)
{
    const uint16_t locks = XCB_MOD_MASK_LOCK | modifierMask(numLockKeysym);
    // Only the eight modifier bits; the rest are pointer buttons.
    const uint16_t state = event.state & ~locks & 0xff;
    // A grab of these exact modifiers goes before one of any modifiers.
    const Entry *match = nullptr;
    for (const Entry &entry : std::as_const(m_grabs)) {
        if (entry.keycode == event.detail && (!entry.modifiers || *entry.modifiers == state)) {
            if (!match || entry.modifiers)
                match = &entry;
        }
    }
    KeyHandling handling = KeyHandling::Declined;
    if (match) {
        // The handler may release this very grab; it runs on a copy.
        const PressHandler handler = match->handler;
        handling = handler(KeyPress{keyboardModifiers(state)});
    }
    // The keyboard stays frozen until we answer.
    xcb_allow_events(m_x11.connection(), handling == KeyHandling::Handled ? XCB_ALLOW_ASYNC_KEYBOARD : XCB_ALLOW_REPLAY_KEYBOARD, event.time);
    xcb_flush(m_x11.connection());
}
