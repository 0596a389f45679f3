#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "base/KeyTable.h"

namespace quillet {

// One global hot key: a stored key code (see base/KeyTable.h) and a modifier mask. A plain
// value; it does not validate itself (a mask of 0 is representable, the settings model
// refuses it).
class HotkeyConfig {
public:
    HotkeyConfig() = default;
    constexpr HotkeyConfig(quint32 keyCode, quint32 modifierFlags)
        : keyCode(keyCode), modifierFlags(modifierFlags) {}

    quint32 keyCode = 0;
    quint32 modifierFlags = 0;

    // The modifiers in the fixed order Shift, Ctrl, Alt, Super, then the key's name, joined by
    // "+": "Shift+Super+V", as the Linux desktops write shortcuts.
    QString displayString() const;

    // Name of one key; keypad keys read like their main-keyboard twins. Unnamed codes give
    // "Key <code>".
    static QString keyName(quint32 keyCode);

    // Converts key-event flags (see EventFlag) to the modifier mask.
    static quint32 carbonModifiers(quint64 eventFlags);

    // Compact JSON, keyCode first: {"keyCode":9,"modifierFlags":768}.
    QByteArray toJson() const;
    // Needs both members as integers in 0...4294967295; other members are ignored.
    static std::optional<HotkeyConfig> fromJson(const QByteArray& json);

    friend bool operator==(const HotkeyConfig&, const HotkeyConfig&) = default;
};

}  // namespace quillet
