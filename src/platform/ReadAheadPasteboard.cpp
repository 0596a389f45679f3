#include "platform/ReadAheadPasteboard.h"

#include <utility>

namespace quillet {

ReadAheadPasteboard::ReadAheadPasteboard(ClipboardReader& reader, const char* refusal,
                                         QObject* parent)
    : QObject(parent), m_reader(reader), m_refusal(refusal) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(&m_reader, &ClipboardReader::snapshotRead, this, &ReadAheadPasteboard::onSnapshotRead,
            Qt::QueuedConnection);
    connect(&m_reader, &ClipboardReader::changeRead, this, &ReadAheadPasteboard::onChangeRead,
            Qt::QueuedConnection);
    // Asked once the event loop runs, when a pause kept from the last run is known: the
    // contents then are not read at all.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_pause.isPaused()) m_reader.requestRead(initialTicket);
        },
        Qt::QueuedConnection);
}

ReadAheadPasteboard::~ReadAheadPasteboard() = default;

void ReadAheadPasteboard::onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    // What was on the clipboard at start is the initial state, not a change; a change that
    // was seen meanwhile is newer.
    if (ticket == initialTicket) {
        if (!m_sawChange) m_snapshot = snapshot;
        return;
    }
    onChangeRead(snapshot);
}

void ReadAheadPasteboard::onChangeRead(const ClipboardSnapshot& snapshot) {
    m_sawChange = true;
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void ReadAheadPasteboard::clearContents() {
    // Clearing and then writing in the same turn is one change: the write replaces the
    // selection in one step. Giving it up first would let a desktop's bridge announce an empty
    // clipboard between, and left some clients on sway asking the emptied one for the text.
    m_snapshot = {};
    m_sawChange = true;
    ++m_changeCount;
    m_clearPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!std::exchange(m_clearPending, false)) return;
            writeSelection(std::nullopt);
        },
        Qt::QueuedConnection);
}

bool ReadAheadPasteboard::setString(const QString& text) {
    m_clearPending = false;
    m_confirmation.expect(text);
    m_pause.liftFor(m_confirmation);
    m_reader.noteOwnWrite();
    const bool written = writeSelection(text);
    if (!written) m_confirmation.refuse(m_refusal);
    m_snapshot = {QStringList{PasteboardType::string}, text, {}};
    m_sawChange = true;
    ++m_changeCount;
    return written;
}

}  // namespace quillet
