#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quillet {

// A stored hot key as the desktop portal's shortcut trigger ("CTRL+ALT+v", "SHIFT+LOGO+F5"):
// xkbcommon modifier names, then the keysym the key gives on a US layout. Empty for a key
// that has no such name (a modifier key, an unknown code).
std::optional<QString> portalTrigger(quint32 keyCode, quint32 modifiers);

}  // namespace quillet
