#include "hotkeys/HotkeyService.h"

#include <utility>

namespace quillet {

HotkeyService::HotkeyService(SystemHotkeys& system) : m_system(system) {
    m_system.setStateHandler([this](quint32 id, HotkeyState state) {
        // A late answer about a key given up meanwhile changes nothing.
        if (m_registrations.contains(id)) setState(id, state);
    });
}

HotkeyService::~HotkeyService() {
    // The grabs may stay until the process ends, but the handlers must not outlive `this`.
    m_system.setStateHandler(nullptr);
    if (m_hasHandler) m_system.removeHandler();
}

bool HotkeyService::registerHotkey(quint32 id, const HotkeyConfig& config, Action action) {
    if (!m_hasHandler) {
        m_system.installHandler([this](quint32 eventSignature, quint32 eventId) {
            return handleHotkeyEvent(eventSignature, eventId);
        });
        m_hasHandler = true;
    }
    unregisterHotkey(id);
    const SystemHotkeys::Registration result =
        m_system.registerHotkey(config.keyCode, config.modifierFlags, signature, id);
    if (result.status != HotkeyStatus::noErr) {
        setState(id, m_system.isAvailable() ? HotkeyState::refused : HotkeyState::unavailable);
        return false;
    }
    m_registrations.emplace(id, HotkeyRegistration{result.ref, config, std::move(action)});
    setState(id, result.pending ? HotkeyState::pending : HotkeyState::active);
    return true;
}

void HotkeyService::unregisterHotkey(quint32 id) {
    const auto it = m_registrations.find(id);
    if (it != m_registrations.end()) {
        if (it->second.hotKeyRef) m_system.unregisterHotkey(*it->second.hotKeyRef);
        m_registrations.erase(it);
    }
    setState(id, std::nullopt);
}

void HotkeyService::unregisterAll() {
    for (const auto& [id, registration] : m_registrations) {
        if (registration.hotKeyRef) m_system.unregisterHotkey(*registration.hotKeyRef);
    }
    m_registrations.clear();
    const auto states = std::exchange(m_states, {});
    for (const auto& [id, state] : states) {
        if (m_stateListener) m_stateListener(id);
    }
    if (m_hasHandler) {
        m_system.removeHandler();
        m_hasHandler = false;
    }
}

std::optional<HotkeyState> HotkeyService::state(quint32 id) const {
    const auto it = m_states.find(id);
    if (it == m_states.end()) return std::nullopt;
    return it->second;
}

void HotkeyService::setState(quint32 id, std::optional<HotkeyState> state) {
    if (this->state(id) == state) return;
    if (state) {
        m_states[id] = *state;
    } else {
        m_states.erase(id);
    }
    if (m_stateListener) m_stateListener(id);
}

void HotkeyService::suspend(SuspendedPress onPress) {
    m_suspendedPress = std::move(onPress);
    // Never empty while suspended: that is what tells the two states apart.
    if (!m_suspendedPress) m_suspendedPress = [](const HotkeyConfig&) {};
}

void HotkeyService::resume() {
    m_suspendedPress = nullptr;
}

int HotkeyService::handleHotkeyEvent(quint32 eventSignature, quint32 id) {
    Q_UNUSED(eventSignature);
    const auto it = m_registrations.find(id);
    if (it == m_registrations.end()) return HotkeyStatus::eventNotHandled;
    if (m_suspendedPress) {
        // A copy: the receiver may end the suspension, or re-register, from within.
        const SuspendedPress onPress = m_suspendedPress;
        onPress(it->second.config);
        return HotkeyStatus::noErr;
    }
    // A copy, so an action that re-registers its own id does not destroy itself mid-call.
    const Action action = it->second.action;
    if (action) action();
    return HotkeyStatus::noErr;
}

}  // namespace quillet
