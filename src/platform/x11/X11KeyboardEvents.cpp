#include "platform/x11/X11KeyboardEvents.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QList>
#include <algorithm>

#include "base/KeyTable.h"
#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

// The key symbols of the flags' modifier keys, in pressing order.
QList<xcb_keysym_t> modifierKeysyms(quint64 flags) {
    QList<xcb_keysym_t> keysyms;
    for (const KeyModifier* modifier : KeyTable::modifiersIn(flags))
        keysyms.append(KeyTable::modifierKey(*modifier).keysym);
    return keysyms;
}

}  // namespace

X11KeyboardEvents::X11KeyboardEvents(xcb_connection_t* connection) : m_connection(connection) {}

bool X11KeyboardEvents::isTrusted() {
    if (!m_connection || xcb_connection_has_error(m_connection)) return false;
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

void X11KeyboardEvents::postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) {
    const PhysicalKey* posted = KeyTable::byCode(virtualKeyCode);
    if (!posted || posted->keysym == 0 || !isTrusted()) return;

    // Allocated per call so a keymap change since the last paste is picked up.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    auto keycodeOf = [&](xcb_keysym_t sym) -> xcb_keycode_t {
        xcb::Ptr<xcb_keycode_t> codes{xcb_key_symbols_get_keycode(symbols.get(), sym)};
        return codes ? codes.get()[0] : XCB_NO_SYMBOL;
    };
    const xcb_keycode_t key = keycodeOf(posted->keysym);
    if (key == XCB_NO_SYMBOL) return;
    auto fake = [&](uint8_t type, xcb_keycode_t code) {
        if (code != XCB_NO_SYMBOL)
            xcb_test_fake_input(m_connection, type, code, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0,
                                0);
    };

    const QList<xcb_keysym_t> modifiers = modifierKeysyms(flags);
    if (keyDown) {
        for (xcb_keysym_t modifier : modifiers) fake(XCB_KEY_PRESS, keycodeOf(modifier));
        fake(XCB_KEY_PRESS, key);
    } else {
        fake(XCB_KEY_RELEASE, key);
        for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
            fake(XCB_KEY_RELEASE, keycodeOf(*it));
    }
    // A round trip makes sure the server has processed the events before we return.
    xcb::Ptr<xcb_get_input_focus_reply_t> sync{
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)};
}

bool X11KeyboardEvents::anyKeyHeld() {
    if (!m_connection || xcb_connection_has_error(m_connection)) return false;
    xcb::Ptr<xcb_query_keymap_reply_t> keymap{
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr)};
    if (!keymap) return false;
    return std::any_of(std::begin(keymap->keys), std::end(keymap->keys),
                       [](uint8_t bits) { return bits != 0; });
}

}  // namespace quillet
