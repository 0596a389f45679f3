#pragma once

#include <QTextStream>
#include <functional>
#include <optional>

#include "paste/PasteChords.h"

namespace quillet {

class Clock;
class KeyboardEvents;
class Pasteboard;

// Posts the paste keystroke into the frontmost application, when the platform lets us.
class PasteActionService {
public:
    // `pasteboard` is where the chosen texts are written: a paste waits until it holds them.
    PasteActionService(KeyboardEvents& keyboard, Pasteboard& pasteboard, Clock& clock,
                       QTextStream& log);
    ~PasteActionService();

    // Which chord each window class gets; the built-in list of terminals until set.
    void setChords(PasteChords chords) { m_chords = std::move(chords); }
    // Called when a paste cannot be posted (no permission, no virtual keyboard): the text is
    // on the clipboard and the user should be told to paste it.
    void setManualPasteNotice(std::function<void()> notice) {
        m_manualPasteNotice = std::move(notice);
    }

    // Called when a chosen text did not reach the clipboard: nothing was pasted, and the user
    // should hear that the clipboard still holds something else.
    void setWriteFailedNotice(std::function<void()> notice) {
        m_writeFailedNotice = std::move(notice);
    }

    // Runs `then` once the clipboard is known to hold the text just written; if it does not
    // (refused, or not seen in time), logs a warning, gives the write-failed notice and drops
    // `then`, so nothing says "copied" or pastes the wrong text.
    void whenOnClipboard(std::function<void()> then);

    // Checks the permission, then posts the paste chord for a window of `targetClass`: V with
    // the command flag (the platform's paste modifier) for most, the session's terminal chord
    // for terminals (see PasteChords); Shift+Insert once PRIMARY holds the text too (it is given
    // back afterwards). Prints what it does.
    // `caretLeft`: Left presses posted `caretDelayMs` after the chord, once the text has landed,
    // to leave the caret inside what was pasted.
    void performPaste(const std::optional<QString>& targetClass = std::nullopt, int caretLeft = 0);
    // Waits until no key is held (the key that chose an entry, a hot key's modifiers) so the
    // release cannot reach the target together with our chord, then pastes. Gives up waiting
    // after `keyReleaseTimeoutMs` and pastes anyway. Where held keys cannot be known, it waits
    // `blindReleaseDelayMs` instead.
    void performPasteWhenKeysReleased(const std::optional<QString>& targetClass = std::nullopt,
                                      int caretLeft = 0);

    // The clipboard's text as it is now (before a paste replaces it).
    void readClipboardText(std::function<void(std::optional<QString>)> done);

    static constexpr int keyPollMs = 10;
    // The target asks for the clipboard's contents after the chord arrives; Left presses sent
    // before it has inserted them would move the caret in the old text.
    static constexpr int caretDelayMs = 150;
    // Past this, the caret is left at the end: thousands of synthetic presses would keep the
    // target busy for seconds.
    static constexpr int maxCaretLeft = 2000;
    static constexpr int keyReleaseTimeoutMs = 1000;
    // On Wayland the paste waits this long after the menu closed instead: our menu's surface
    // must be gone, and the focus back on the target, before the chord arrives, and the
    // compositor reads our key events on another connection than the one that closed the menu.
    // The held key does no harm there (each keyboard keeps its own modifier state), so no
    // release is awaited. On an idle sway 1.7 no pause at all pasted 30 of 30 times; this one
    // leaves room for a busy compositor and is below what a user notices.
    static constexpr int blindReleaseDelayMs = 100;

private:
    void waitForRelease(int remainingMs, const std::optional<QString>& targetClass, int caretLeft);
    void postChord(PasteChord chord, const std::optional<QString>& targetClass, int caretLeft);
    void moveCaretLeft(int count);

    KeyboardEvents& m_keyboard;
    Clock& m_clock;
    QTextStream& m_log;
    PasteChords m_chords;
    // Also what lends PRIMARY to a Shift+Insert paste, for the terminals that paste from there.
    Pasteboard& m_pasteboard;
    std::function<void()> m_manualPasteNotice;
    std::function<void()> m_writeFailedNotice;
};

}  // namespace quillet
