#include "platform/SystemPasteboard.h"

#include <utility>

namespace quillet {

SystemPasteboard::SystemPasteboard(std::unique_ptr<ClipboardReader> reader,
                                   std::unique_ptr<ClipboardWriter> writer,
                                   std::unique_ptr<PrimarySelection> primary, QObject* parent)
    : QObject(parent),
      m_reader(std::move(reader)),
      m_writer(std::move(writer)),
      m_primary(std::move(primary)) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(m_reader.get(), &ClipboardReader::snapshotRead, this, &SystemPasteboard::onSnapshotRead,
            Qt::QueuedConnection);
    connect(m_reader.get(), &ClipboardReader::changeRead, this, &SystemPasteboard::onChangeRead,
            Qt::QueuedConnection);
    // Whoever looks for changes on a timer can stop now.
    connect(
        m_reader.get(), &ClipboardReader::startedWatching, this, [this] { notifyChange(); },
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

SystemPasteboard::~SystemPasteboard() = default;

void SystemPasteboard::readText(std::function<void(std::optional<QString>)> done) {
    if (!m_pause.isPaused()) {
        done(m_snapshot.text);
        return;
    }
    const quint64 ticket = m_nextTicket++;
    m_textReads.emplace(ticket, std::move(done));
    m_reader->requestRead(ticket);
}

void SystemPasteboard::onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    // A read for one paste while paused: its caller's alone, not a change.
    if (const auto textRead = m_textReads.find(ticket); textRead != m_textReads.end()) {
        const auto done = std::move(textRead->second);
        m_textReads.erase(textRead);
        done(snapshot.text);
        return;
    }
    if (ticket < m_firstCurrentTicket) return;
    // What was on the clipboard at start is the initial state, not a change; a change that
    // was seen meanwhile is newer.
    if (ticket == initialTicket) {
        if (!m_sawChange) m_snapshot = snapshot;
        return;
    }
    onChangeRead(snapshot);
}

void SystemPasteboard::onChangeRead(const ClipboardSnapshot& snapshot) {
    m_sawChange = true;
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void SystemPasteboard::clearContents() {
    // Clearing and then writing in the same turn is one change: the write replaces the
    // selection in one step. Giving it up first would let a desktop's bridge announce an empty
    // clipboard between, and left some clients on sway asking the emptied one for the text.
    m_snapshot = {};
    m_sawChange = true;
    m_firstCurrentTicket = m_nextTicket;
    ++m_changeCount;
    m_clearPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!std::exchange(m_clearPending, false)) return;
            m_writer->write(std::nullopt);
        },
        Qt::QueuedConnection);
}

bool SystemPasteboard::setString(const QString& text) {
    m_clearPending = false;
    m_confirmation.expect(text);
    m_pause.liftFor(m_confirmation);
    m_reader->noteOwnWrite();
    const bool written = m_writer->write(text);
    if (!written) m_confirmation.refuse(m_writer->refusal());
    m_snapshot = {QStringList{PasteboardType::string}, text, {}};
    m_sawChange = true;
    m_firstCurrentTicket = m_nextTicket;
    ++m_changeCount;
    askForReadBack();
    return written;
}

void SystemPasteboard::askForReadBack() {
    if (!m_reader->watchesOwner()) m_reader->requestRead(m_nextTicket++);
}

void SystemPasteboard::lendPrimary(const QString& text, std::function<void(bool)> ready) {
    // PRIMARY is not the clipboard: what it holds is never a change the monitor sees.
    if (m_primary)
        m_primary->lend(text, std::move(ready));
    else
        ready(true);
}

}  // namespace quillet
