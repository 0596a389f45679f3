#pragma once

#include <QtGlobal>
#include <functional>
#include <map>
#include <optional>

#include "hotkeys/HotkeyConfig.h"
#include "platform/SystemHotkeys.h"

namespace quillet {

// A four-character code as the platform forms it: the first character is the most
// significant byte.
constexpr quint32 fourCharCode(const char (&code)[5]) {
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) |
           (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}

// Keeps one system hot-key registration per id and runs the id's action when it is pressed.
class HotkeyService {
public:
    using Action = std::function<void()>;
    using StateListener = std::function<void(quint32 id)>;
    using SuspendedPress = std::function<void(const HotkeyConfig& chord)>;

    // Every hot key of the program is registered under this signature.
    static constexpr quint32 signature = fourCharCode("QLHK");

    // `system` must outlive the service.
    explicit HotkeyService(SystemHotkeys& system);
    ~HotkeyService();
    HotkeyService(const HotkeyService&) = delete;
    HotkeyService& operator=(const HotkeyService&) = delete;

    // Replaces the id's registration; an earlier one is released even if the new one fails.
    // Returns whether the hot key is now registered (possibly still pending, see state()).
    bool registerHotkey(quint32 id, const HotkeyConfig& config, Action action);
    void unregisterHotkey(quint32 id);
    // Drops every registration and removes the event handler.
    void unregisterAll();

    // Runs the action registered under `id` (the signature is not compared). Returns
    // HotkeyStatus::noErr, or HotkeyStatus::eventNotHandled for an unknown id.
    int handleHotkeyEvent(quint32 eventSignature, quint32 id);

    bool isRegistered(quint32 id) const { return m_registrations.contains(id); }
    // Where the id's key stands with the system: empty when it was never asked for (or was
    // unregistered); refused or unavailable after a failed registration.
    std::optional<HotkeyState> state(quint32 id) const;
    // True only while presses of the id's key arrive.
    bool isActive(quint32 id) const { return state(id) == HotkeyState::active; }
    // Called after each change of an id's state (one listener; replaces the earlier one).
    void setStateListener(StateListener listener) { m_stateListener = std::move(listener); }

    // While a new key is recorded, our own keys must not open their menus: each press goes
    // to `onPress` with its chord instead, so that it can be recorded like any other key.
    // The system keeps the keys meanwhile; releasing them would make some desktops ask the
    // user again when they come back. Registrations made meanwhile stay suspended too.
    void suspend(SuspendedPress onPress);
    // The keys run their actions again.
    void resume();
    bool isSuspended() const { return bool(m_suspendedPress); }

private:
    struct HotkeyRegistration {
        std::optional<SystemHotkeys::Ref> hotKeyRef;
        HotkeyConfig config;
        Action action;
    };

    void setState(quint32 id, std::optional<HotkeyState> state);

    SystemHotkeys& m_system;
    std::map<quint32, HotkeyRegistration> m_registrations;
    std::map<quint32, HotkeyState> m_states;
    StateListener m_stateListener;
    SuspendedPress m_suspendedPress;
    bool m_hasHandler = false;
};

}  // namespace quillet
