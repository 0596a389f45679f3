#pragma once

#include "platform/KeyboardEvents.h"
#include "platform/SystemHotkeys.h"
#include "platform/Workspace.h"

namespace quillet {

// Stand-ins where a session lacks a service (offscreen; a Wayland compositor without a window
// list, a virtual keyboard or a shortcut portal): nothing is frontmost, no key can be posted,
// no hot key can be registered. The logic keeps working; the application says once which
// services are missing.

class NullWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<QString> ownBundleIdentifier() const override;
    void activate(const RunningApplication& app) override;
};

class NullKeyboardEvents final : public KeyboardEvents {
public:
    bool isTrusted() override;
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override;
    bool anyKeyHeld() override;
};

class NullSystemHotkeys final : public SystemHotkeys {
public:
    bool isAvailable() const override;
    void installHandler(Handler handler) override;
    void removeHandler() override;
    Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                quint32 id) override;
    void unregisterHotkey(Ref ref) override;
};

}  // namespace quillet
