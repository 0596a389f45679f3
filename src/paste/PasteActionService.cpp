#include "paste/PasteActionService.h"

#include "platform/Clock.h"
#include "platform/KeyboardEvents.h"

namespace quillet {

PasteActionService::PasteActionService(KeyboardEvents& keyboard, Clock& clock, QTextStream& log)
    : m_keyboard(keyboard), m_clock(clock), m_log(log) {}

void PasteActionService::performPaste() {
    const bool trusted = m_keyboard.isTrusted();
    m_log << "DEBUG: PasteActionService - AXIsProcessTrusted: " << (trusted ? "true" : "false")
          << Qt::endl;
    if (!trusted) {
        m_log << "DEBUG: PasteActionService - Auto-paste skipped: No permissions" << Qt::endl;
        return;
    }
    m_log << "DEBUG: PasteActionService - Posting CGEvent (Cmd+V)" << Qt::endl;
    m_keyboard.postKey(vKeyCode, true, EventFlag::command);
    m_keyboard.postKey(vKeyCode, false, EventFlag::command);
    m_log << "DEBUG: PasteActionService - Events posted" << Qt::endl;
}

void PasteActionService::performPasteWhenKeysReleased() {
    waitForRelease(keyReleaseTimeoutMs);
}

void PasteActionService::waitForRelease(int remainingMs) {
    if (remainingMs <= 0 || !m_keyboard.anyKeyHeld()) {
        performPaste();
        return;
    }
    // The service lives for the whole run, so the delayed call cannot outlive it.
    m_clock.after(keyPollMs, [this, remainingMs] { waitForRelease(remainingMs - keyPollMs); });
}

}  // namespace quillet
