#pragma once

#include <vector>

#include "platform/KeyboardEvents.h"

namespace quillet::test {

// Records posted key events instead of typing them; permission and held keys are settable.
class FakeKeyboardEvents final : public KeyboardEvents {
public:
    struct PostedKey {
        quint16 keyCode;
        bool down;
        quint64 flags;
        bool operator==(const PostedKey&) const = default;
    };

    bool isTrusted() override {
        ++trustQueries;
        return trusted;
    }
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override {
        posted.push_back({virtualKeyCode, keyDown, flags});
    }
    bool anyKeyHeld() override { return keyHeld; }
    bool canQueryHeldKeys() const override { return heldKeysKnown; }

    bool trusted = true;
    bool keyHeld = false;
    bool heldKeysKnown = true;
    int trustQueries = 0;
    std::vector<PostedKey> posted;
};

}  // namespace quillet::test
