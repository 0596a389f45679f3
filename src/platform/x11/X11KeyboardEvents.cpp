#include "platform/x11/X11KeyboardEvents.h"

#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QList>
#include <algorithm>
#include <optional>
#include <utility>

#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

// macOS virtual key codes of the keys we post, with the key symbol they stand for.
constexpr std::pair<quint16, xcb_keysym_t> kKeysymByMacCode[] = {
    {0, XK_a},       {1, XK_s},          {2, XK_d},
    {3, XK_f},       {4, XK_h},          {5, XK_g},
    {6, XK_z},       {7, XK_x},          {8, XK_c},
    {9, XK_v},       {11, XK_b},         {12, XK_q},
    {13, XK_w},      {14, XK_e},         {15, XK_r},
    {16, XK_y},      {17, XK_t},         {18, XK_1},
    {19, XK_2},      {20, XK_3},         {21, XK_4},
    {22, XK_6},      {23, XK_5},         {24, XK_equal},
    {25, XK_9},      {26, XK_7},         {27, XK_minus},
    {28, XK_8},      {29, XK_0},         {30, XK_bracketright},
    {31, XK_o},      {32, XK_u},         {33, XK_bracketleft},
    {34, XK_i},      {35, XK_p},         {36, XK_Return},
    {37, XK_l},      {38, XK_j},         {39, XK_apostrophe},
    {40, XK_k},      {41, XK_semicolon}, {42, XK_backslash},
    {43, XK_comma},  {44, XK_slash},     {45, XK_n},
    {46, XK_m},      {47, XK_period},    {48, XK_Tab},
    {49, XK_space},  {50, XK_grave},     {51, XK_BackSpace},
    {53, XK_Escape}, {114, XK_Insert},   {115, XK_Home},
    {116, XK_Prior}, {117, XK_Delete},   {119, XK_End},
    {121, XK_Next},  {123, XK_Left},     {124, XK_Right},
    {125, XK_Down},  {126, XK_Up},
};

std::optional<xcb_keysym_t> keysymForMacCode(quint16 code) {
    const auto* end = std::end(kKeysymByMacCode);
    const auto* found = std::find_if(std::begin(kKeysymByMacCode), end,
                                     [code](const auto& entry) { return entry.first == code; });
    if (found == end) return std::nullopt;
    return found->second;
}

// Modifier keys to hold for the flags, in press order. Command and control both mean
// Control here: Ctrl+V is the paste chord on Linux.
QList<xcb_keysym_t> modifierKeysyms(quint64 flags) {
    QList<xcb_keysym_t> keysyms;
    if (flags & (EventFlag::command | EventFlag::control)) keysyms.append(XK_Control_L);
    if (flags & EventFlag::shift) keysyms.append(XK_Shift_L);
    if (flags & EventFlag::option) keysyms.append(XK_Alt_L);
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
    const std::optional<xcb_keysym_t> keysym = keysymForMacCode(virtualKeyCode);
    if (!keysym || !isTrusted()) return;

    // Allocated per call so a keymap change since the last paste is picked up.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    auto keycodeOf = [&](xcb_keysym_t sym) -> xcb_keycode_t {
        xcb::Ptr<xcb_keycode_t> codes{xcb_key_symbols_get_keycode(symbols.get(), sym)};
        return codes ? codes.get()[0] : XCB_NO_SYMBOL;
    };
    const xcb_keycode_t key = keycodeOf(*keysym);
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
