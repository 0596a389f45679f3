#pragma once

#include "base/KeyTable.h"

namespace quillet {

// Synthetic key events posted to the frontmost application.
class KeyboardEvents {
public:
    KeyboardEvents() = default;
    virtual ~KeyboardEvents() = default;
    KeyboardEvents(const KeyboardEvents&) = delete;
    KeyboardEvents& operator=(const KeyboardEvents&) = delete;

    // Whether events can be posted at all (the platform's permission or extension).
    virtual bool isTrusted() = 0;
    // Posts one key event for a stored key code, holding the modifiers of `flags` (EventFlag)
    // around it.
    virtual void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) = 0;
    // True while any key of the keyboard is physically held down.
    virtual bool anyKeyHeld() = 0;
    // Whether anyKeyHeld() can tell at all. Where it cannot (Wayland keeps the keyboard's
    // state from other clients), a paste waits a fixed time instead.
    virtual bool canQueryHeldKeys() const { return true; }
};

}  // namespace quillet
