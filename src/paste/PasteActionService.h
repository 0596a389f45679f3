#pragma once

#include <QTextStream>
#include <functional>

namespace quillet {

class Clock;
class KeyboardEvents;

// Posts the paste keystroke into the frontmost application, when the platform lets us.
class PasteActionService {
public:
    PasteActionService(KeyboardEvents& keyboard, Clock& clock, QTextStream& log);

    // Checks the permission, then posts V down and up with the command flag (the platform's
    // paste chord), printing what it does.
    void performPaste();
    // Waits until no key is held (the key that chose an entry, a hot key's modifiers) so the
    // release cannot reach the target together with our chord, then pastes. Gives up waiting
    // after `keyReleaseTimeoutMs` and pastes anyway.
    void performPasteWhenKeysReleased();

    static constexpr quint16 vKeyCode = 9;
    static constexpr int keyPollMs = 10;
    static constexpr int keyReleaseTimeoutMs = 1000;

private:
    void waitForRelease(int remainingMs);

    KeyboardEvents& m_keyboard;
    Clock& m_clock;
    QTextStream& m_log;
};

}  // namespace quillet
