#pragma once

#include "platform/KeyboardEvents.h"

struct xcb_connection_t;

namespace quillet {

// Synthetic key events through the XTEST extension. Keys are found by their key symbol in the
// server's current keymap, so the paste chord follows the user's layout.
class X11KeyboardEvents final : public KeyboardEvents {
public:
    // `connection` is borrowed and must outlive this object (the application's own one).
    explicit X11KeyboardEvents(xcb_connection_t* connection);

    bool isTrusted() override;
    // Key down presses the flag's modifier keys first; key up releases them afterwards.
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override;
    bool anyKeyHeld() override;

private:
    xcb_connection_t* const m_connection;
};

}  // namespace quillet
