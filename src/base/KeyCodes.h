#pragma once

#include <qnamespace.h>

#include <QtGlobal>
#include <optional>

namespace quillet {

// Device-independent key-event flags, the same on every platform.
namespace EventFlag {
constexpr quint64 shift = 0x20000;
constexpr quint64 control = 0x40000;
constexpr quint64 option = 0x80000;
constexpr quint64 command = 0x100000;
}  // namespace EventFlag

}  // namespace quillet

namespace quillet::KeyCodes {

// Converts between X keycodes (evdev code + 8, what QKeyEvent::nativeScanCode() reports on
// xcb) and macOS virtual key codes of the same physical key. Hot keys are kept as macOS codes
// everywhere, so stored settings read the same on every platform.
std::optional<quint32> macKeyCodeFromX11(quint32 xKeycode);
std::optional<quint32> x11KeycodeFromMac(quint32 macKeyCode);

// Best-effort macOS key code for a Qt key, for events that carry no native scan code (the
// offscreen platform, synthetic events). It follows the key's meaning on a US layout, not its
// position; KeypadModifier selects the keypad keys.
std::optional<quint32> macKeyCodeFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Qt modifiers as device-independent key-event flags (see EventFlag). Super is Qt's Meta and
// becomes command.
quint64 eventFlagsFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace quillet::KeyCodes
