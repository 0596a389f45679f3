#pragma once

#include <algorithm>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/SystemHotkeys.h"

namespace quillet::test {

// Records every call of the hot-key service, refuses chosen combinations, and simulates
// presses through the installed handler. With `answerLater` it accepts keys as pending, as a
// desktop portal does, and `report` gives the outcome.
class FakeSystemHotkeys : public SystemHotkeys {
public:
    struct Grab {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
        Ref ref;
        bool handlerWasInstalled;  // whether a handler existed when it was registered
    };

    bool isAvailable() const override { return true; }

    void installHandler(Handler newHandler) override {
        handler = std::move(newHandler);
        ++installCount;
    }

    void removeHandler() override {
        handler = nullptr;
        ++removeCount;
    }

    Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                quint32 id) override {
        ++registerCalls;
        if (refused.contains({keyCode, modifiers})) return {};
        const Grab grab{keyCode, modifiers, signature, id, nextRef++, bool(handler)};
        active.push_back(grab);
        return {HotkeyStatus::noErr, grab.ref, answerLater};
    }

    void setStateHandler(StateHandler newHandler) override { stateHandler = std::move(newHandler); }

    void report(quint32 id, HotkeyState state) {
        if (stateHandler) stateHandler(id, state);
    }

    void unregisterHotkey(Ref ref) override {
        released.push_back(ref);
        std::erase_if(active, [ref](const Grab& grab) { return grab.ref == ref; });
    }

    void refuse(quint32 keyCode, quint32 modifiers) { refused.insert({keyCode, modifiers}); }

    // The user presses a combination: the handler sees the pair it was registered under.
    // Empty when nothing is grabbed for it or no handler is installed.
    std::optional<int> press(quint32 keyCode, quint32 modifiers) {
        const auto grab = std::find_if(active.begin(), active.end(), [&](const Grab& g) {
            return g.keyCode == keyCode && g.modifiers == modifiers;
        });
        if (grab == active.end()) return std::nullopt;
        return deliver(grab->signature, grab->id);
    }

    // Delivers an arbitrary (signature, id) pair to the handler.
    std::optional<int> deliver(quint32 signature, quint32 id) {
        if (!handler) return std::nullopt;
        return handler(signature, id);
    }

    Handler handler;
    StateHandler stateHandler;
    bool answerLater = false;
    int installCount = 0;
    int removeCount = 0;
    int registerCalls = 0;
    std::vector<Grab> active;
    std::vector<Ref> released;
    std::set<std::pair<quint32, quint32>> refused;

private:
    Ref nextRef = 1;
};

}  // namespace quillet::test
