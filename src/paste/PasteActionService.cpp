#include "paste/PasteActionService.h"

#include "base/Clock.h"
#include "base/Logging.h"
#include "platform/KeyboardEvents.h"
#include "platform/Pasteboard.h"

namespace quillet {

PasteActionService::PasteActionService(KeyboardEvents& keyboard, Pasteboard& pasteboard,
                                       Clock& clock, QTextStream& log)
    : m_keyboard(keyboard), m_clock(clock), m_log(log), m_pasteboard(pasteboard) {}

PasteActionService::~PasteActionService() = default;

void PasteActionService::readClipboardText(std::function<void(std::optional<QString>)> done) {
    m_pasteboard.readText(std::move(done));
}

void PasteActionService::whenOnClipboard(std::function<void()> then) {
    // The service lives for the whole run, so the answer cannot outlive it.
    m_pasteboard.confirmWrite([this, then = std::move(then)](bool onClipboard) {
        if (onClipboard) {
            then();
            return;
        }
        qCWarning(lcPaste) << "the chosen text did not reach the clipboard; nothing is pasted";
        if (m_writeFailedNotice) m_writeFailedNotice();
    });
}

void PasteActionService::performPaste(const std::optional<QString>& targetClass, int caretLeft) {
    const bool trusted = m_keyboard.isTrusted();
    m_log << "DEBUG: PasteActionService - AXIsProcessTrusted: " << (trusted ? "true" : "false")
          << Qt::endl;
    if (!trusted) {
        m_log << "DEBUG: PasteActionService - Auto-paste skipped: No permissions" << Qt::endl;
        if (m_manualPasteNotice) m_manualPasteNotice();
        return;
    }
    m_log << "DEBUG: PasteActionService - Posting CGEvent (Cmd+V)" << Qt::endl;
    const PasteChord chord = m_chords.chordFor(targetClass);
    const std::optional<QString> text = m_pasteboard.string();
    if (chord != PasteChord::shiftInsert || !text) {
        postChord(chord, targetClass, caretLeft);
        return;
    }
    // Terminals that paste PRIMARY on Shift+Insert get the same text there, for this paste
    // only: the user's own selection comes back afterwards. The service lives for the whole
    // run, so the answer cannot outlive it.
    m_pasteboard.lendPrimary(*text, [this, targetClass, caretLeft](bool lent) {
        if (lent) {
            postChord(PasteChord::shiftInsert, targetClass, caretLeft);
            return;
        }
        // The terminal would paste whatever PRIMARY holds, perhaps a command: nothing is sent,
        // and the user pastes the clipboard, which does hold the text.
        qCWarning(lcPaste) << "PRIMARY did not take the chosen text; nothing is pasted";
        if (m_manualPasteNotice) m_manualPasteNotice();
    });
}

void PasteActionService::postChord(PasteChord chord, const std::optional<QString>& targetClass,
                                   int caretLeft) {
    switch (chord) {
        case PasteChord::shiftInsert:
            qCDebug(lcPaste) << "pasting with Shift+Insert into a window of class" << *targetClass;
            m_keyboard.postKey(KeyCode::insert, true, EventFlag::shift);
            m_keyboard.postKey(KeyCode::insert, false, EventFlag::shift);
            break;
        case PasteChord::controlShiftV:
            qCDebug(lcPaste) << "pasting with Ctrl+Shift+V into a window of class" << *targetClass;
            m_keyboard.postKey(KeyCode::v, true, EventFlag::pasteModifier | EventFlag::shift);
            m_keyboard.postKey(KeyCode::v, false, EventFlag::pasteModifier | EventFlag::shift);
            break;
        case PasteChord::controlV:
            m_keyboard.postKey(KeyCode::v, true, EventFlag::pasteModifier);
            m_keyboard.postKey(KeyCode::v, false, EventFlag::pasteModifier);
            break;
    }
    m_log << "DEBUG: PasteActionService - Events posted" << Qt::endl;
    if (caretLeft <= 0) return;
    // The service lives for the whole run, so the delayed call cannot outlive it.
    m_clock.after(caretDelayMs, [this, caretLeft] { moveCaretLeft(caretLeft); });
}

void PasteActionService::moveCaretLeft(int count) {
    if (count > maxCaretLeft) {
        qCWarning(lcPaste) << "the caret mark is" << count
                           << "characters from the end; the caret stays at the end";
        return;
    }
    for (int i = 0; i < count; ++i) {
        m_keyboard.postKey(KeyCode::left, true, 0);
        m_keyboard.postKey(KeyCode::left, false, 0);
    }
    qCDebug(lcPaste) << "moved the caret" << count << "characters left";
}

void PasteActionService::performPasteWhenKeysReleased(const std::optional<QString>& targetClass,
                                                      int caretLeft) {
    if (!m_keyboard.canQueryHeldKeys()) {
        m_clock.after(blindReleaseDelayMs,
                      [this, targetClass, caretLeft] { performPaste(targetClass, caretLeft); });
        return;
    }
    waitForRelease(keyReleaseTimeoutMs, targetClass, caretLeft);
}

void PasteActionService::waitForRelease(int remainingMs, const std::optional<QString>& targetClass,
                                        int caretLeft) {
    if (remainingMs <= 0 || !m_keyboard.anyKeyHeld()) {
        performPaste(targetClass, caretLeft);
        return;
    }
    // The service lives for the whole run, so the delayed call cannot outlive it.
    m_clock.after(keyPollMs, [this, remainingMs, targetClass, caretLeft] {
        waitForRelease(remainingMs - keyPollMs, targetClass, caretLeft);
    });
}

}  // namespace quillet
