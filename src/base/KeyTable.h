#pragma once

#include <qnamespace.h>

#include <QList>
#include <QtGlobal>
#include <optional>
#include <span>

namespace quillet {

// Modifier flags a key event carries: a recorded key, or a key a paste posts.
namespace EventFlag {
constexpr quint64 shift = 0x20000;
constexpr quint64 control = 0x40000;
constexpr quint64 alt = 0x80000;
constexpr quint64 super = 0x100000;
// The modifier of this platform's paste chords (Ctrl+V, Ctrl+Shift+V).
constexpr quint64 pasteModifier = control;
}  // namespace EventFlag

// Bits of a hot key's modifier mask, as stored hot keys keep them.
namespace HotkeyModifier {
constexpr quint32 super = 0x0100;  // the usual modifier of global hot keys (Shift+Super+V)
constexpr quint32 shift = 0x0200;
constexpr quint32 alt = 0x0800;
constexpr quint32 control = 0x1000;
}  // namespace HotkeyModifier

// Stored codes of the keys the program itself names.
namespace KeyCode {
constexpr quint32 c = 8;
constexpr quint32 v = 9;
constexpr quint32 escape = 53;
constexpr quint32 insert = 114;
constexpr quint32 left = 123;
}  // namespace KeyCode

enum class KeyGroup : quint8 { main, keypad, modifier };

// One physical key. The stored code follows the layout of Apple's virtual key codes, so that
// settings files stay portable; every other column says how one system names the same key.
struct PhysicalKey {
    quint8 code;
    quint16 evdev;   // Linux input event code; the X keycode is evdev + 8, where that fits in 255
    quint32 keysym;  // the key's unshifted symbol on a US layout; 0 for none
    const char* keysymName;   // that symbol's name: desktop portals and GTK name keys by it
    int qtKey;                // Qt's key on a US layout; 0 for none
    KeyGroup group;           // Qt reports keypad keys with Qt::KeypadModifier
    const char* displayName;  // shown in the settings; nullptr: shown by its code
};

// One modifier, in every system's terms.
struct KeyModifier {
    quint32 hotkeyBit;  // HotkeyModifier
    quint64 eventFlag;  // EventFlag
    Qt::KeyboardModifier qtModifier;
    quint16 xMask;            // X core protocol modifier bit (Super is Mod4, Alt is Mod1)
    const char* xkbName;      // xkbcommon's modifier name
    quint32 leftKey;          // stored code of the key that holds it
    const char* displayName;  // "Ctrl"
    const char* triggerName;  // desktop portals' name: "CTRL"
    const char* gtkName;      // GTK accelerators' name: "<Control>"
};

namespace KeyTable {

std::span<const PhysicalKey> keys();
// In the order portal triggers and GTK accelerators list them and pastes press them.
std::span<const KeyModifier> modifiers();

const PhysicalKey* byCode(quint32 code);
// The key of a desktop shortcut: any key but a modifier key.
const PhysicalKey* shortcutKey(quint32 code);
// X keycodes are what QKeyEvent::nativeScanCode() reports on xcb.
const PhysicalKey* byX11Keycode(quint32 keycode);
// For events that carry no native scan code (the offscreen platform, synthetic events): the
// key's meaning on a US layout, not its position; Qt::KeypadModifier selects keypad keys.
const PhysicalKey* byQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

std::optional<quint32> x11Keycode(quint32 code);
std::optional<quint32> evdevCode(quint32 code);

// The modifier a HotkeyModifier bit stands for; `bit` is one of them.
const KeyModifier& modifierByHotkeyBit(quint32 bit);
// The key a paste holds down for the modifier.
const PhysicalKey& modifierKey(const KeyModifier& modifier);
// The modifiers of `eventFlags`, in the order a paste presses them.
QList<const KeyModifier*> modifiersIn(quint64 eventFlags);

// Qt's modifiers as event flags; Qt's Meta is Super.
quint64 eventFlagsFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace KeyTable

}  // namespace quillet
