#pragma once

#include "platform/ClipboardReader.h"
#include "platform/WriteConfirmation.h"

namespace quillet {

// The user's pause of a pasteboard's reader. It gives way only while our own write is read
// back (to confirm it) and holds again once that read came or did not come in time; a copy
// another program makes in those few milliseconds is read, and still never recorded.
class ReadingPause {
public:
    explicit ReadingPause(ClipboardReader& reader) : m_reader(reader) {}

    void set(bool paused) {
        m_paused = paused;
        m_reader.setPaused(paused);
    }
    bool isPaused() const { return m_paused; }

    // Call after `confirmation.expect` and before the write reaches the system.
    void liftFor(WriteConfirmation& confirmation) {
        if (!m_paused) return;
        m_reader.setPaused(false);
        confirmation.wait([this](bool) { m_reader.setPaused(m_paused); });
    }

private:
    ClipboardReader& m_reader;
    bool m_paused = false;
};

}  // namespace quillet
