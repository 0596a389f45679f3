#pragma once

#include <QString>
#include <functional>

namespace quillet {

// The X11 PRIMARY selection lent to one paste: terminals such as xterm paste PRIMARY on
// Shift+Insert, but PRIMARY is also the user's own selection, which must survive the paste.
class PrimarySelection {
public:
    PrimarySelection() = default;
    virtual ~PrimarySelection() = default;
    PrimarySelection(const PrimarySelection&) = delete;
    PrimarySelection& operator=(const PrimarySelection&) = delete;

    // Reads what PRIMARY holds, then puts `text` there and calls `ready(true)`, or
    // `ready(false)` when PRIMARY could not be taken; on this thread, exactly once, never
    // blocking. The text PRIMARY held before goes back once the paste has fetched `text`, or
    // after `loanTimeoutMs` (a terminal that pastes CLIPBOARD never asks); a PRIMARY that held
    // no text is let go. Someone who selected something new meanwhile keeps their selection.
    virtual void lend(const QString& text, std::function<void(bool)> ready) = 0;

    // Long enough for a busy terminal to ask; short enough that a middle click soon after
    // pastes the user's own selection again.
    static constexpr int loanTimeoutMs = 2000;
    // Once the text was fetched, a little longer for a requestor that asks for a second format.
    static constexpr int returnDelayMs = 200;
};

}  // namespace quillet
