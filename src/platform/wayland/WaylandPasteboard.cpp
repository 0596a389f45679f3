#include "platform/wayland/WaylandPasteboard.h"

namespace quillet {

WaylandPasteboard::WaylandPasteboard(std::unique_ptr<WaylandClipboardReader> reader,
                                     QObject* parent)
    : QObject(parent), m_reader(std::move(reader)) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(m_reader.get(), &ClipboardReader::snapshotRead, this,
            &WaylandPasteboard::onSnapshotRead, Qt::QueuedConnection);
    connect(m_reader.get(), &ClipboardReader::changeRead, this, &WaylandPasteboard::onChangeRead,
            Qt::QueuedConnection);
    // Asked once the event loop runs, when a pause kept from the last run is known: the
    // contents then are not read at all.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_pause.isPaused()) m_reader->requestRead(initialTicket);
        },
        Qt::QueuedConnection);
}

WaylandPasteboard::~WaylandPasteboard() = default;

void WaylandPasteboard::onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    // What was on the clipboard at start is the initial state, not a change; a change that
    // was seen meanwhile is newer.
    if (ticket == initialTicket) {
        if (!m_sawChange) m_snapshot = snapshot;
        return;
    }
    onChangeRead(snapshot);
}

void WaylandPasteboard::onChangeRead(const ClipboardSnapshot& snapshot) {
    m_sawChange = true;
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void WaylandPasteboard::clearContents() {
    // Clearing and then writing is one change here: the write that follows in the same turn
    // replaces the selection in one step. Two (an empty selection, then ours) left some
    // clients on sway asking the emptied one for the text when they pasted.
    m_snapshot = {};
    m_sawChange = true;
    ++m_changeCount;
    m_clearPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_clearPending) return;
            m_clearPending = false;
            m_reader->writeText(std::nullopt);
        },
        Qt::QueuedConnection);
}

bool WaylandPasteboard::setString(const QString& text) {
    m_clearPending = false;
    m_confirmation.expect(text);
    m_pause.liftFor(m_confirmation);
    m_reader->noteOwnWrite();
    if (!m_reader->writeText(text)) m_confirmation.refuse("the clipboard thread did not take it");
    m_snapshot = {QStringList{PasteboardType::string}, text, {}};
    m_sawChange = true;
    ++m_changeCount;
    return true;
}

}  // namespace quillet
