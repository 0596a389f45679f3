#include "hotkeys/HotkeyService.h"

#include <utility>

namespace quillet {

HotkeyService::HotkeyService(SystemHotkeys& system) : m_system(system) {}

HotkeyService::~HotkeyService() {
    // The grabs may stay until the process ends, but the handler must not outlive `this`.
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
    if (result.status != HotkeyStatus::noErr) return false;
    m_registrations.emplace(id, HotkeyRegistration{result.ref, std::move(action)});
    return true;
}

void HotkeyService::unregisterHotkey(quint32 id) {
    const auto it = m_registrations.find(id);
    if (it == m_registrations.end()) return;
    if (it->second.hotKeyRef) m_system.unregisterHotkey(*it->second.hotKeyRef);
    m_registrations.erase(it);
}

void HotkeyService::unregisterAll() {
    for (const auto& [id, registration] : m_registrations) {
        if (registration.hotKeyRef) m_system.unregisterHotkey(*registration.hotKeyRef);
    }
    m_registrations.clear();
    if (m_hasHandler) {
        m_system.removeHandler();
        m_hasHandler = false;
    }
}

int HotkeyService::handleHotkeyEvent(quint32 eventSignature, quint32 id) {
    Q_UNUSED(eventSignature);
    const auto it = m_registrations.find(id);
    if (it == m_registrations.end()) return HotkeyStatus::eventNotHandled;
    // A copy, so an action that re-registers its own id does not destroy itself mid-call.
    const Action action = it->second.action;
    if (action) action();
    return HotkeyStatus::noErr;
}

}  // namespace quillet
