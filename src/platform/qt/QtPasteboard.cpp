#include "platform/qt/QtPasteboard.h"

#include <QClipboard>
#include <QMimeData>

namespace quillet {

QtPasteboard::QtPasteboard(QClipboard* clipboard, std::unique_ptr<ClipboardReader> reader,
                           std::unique_ptr<PrimarySelection> primary, QObject* parent)
    : QObject(parent),
      m_clipboard(clipboard),
      m_reader(std::move(reader)),
      m_primary(std::move(primary)) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(m_reader.get(), &ClipboardReader::snapshotRead, this, &QtPasteboard::onSnapshotRead,
            Qt::QueuedConnection);
    connect(m_reader.get(), &ClipboardReader::changeRead, this, &QtPasteboard::onChangeRead,
            Qt::QueuedConnection);
    connect(m_clipboard, &QClipboard::dataChanged, this, &QtPasteboard::onClipboardChanged);
    // What is on the clipboard at start is the initial state, not a change. It is asked for
    // once the event loop runs, when a pause kept from the last run is known: the contents
    // then are not read at all.
    m_initialTicket = m_nextTicket++;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_pause.isPaused()) m_reader->requestRead(m_initialTicket);
        },
        Qt::QueuedConnection);
}

QtPasteboard::~QtPasteboard() = default;

void QtPasteboard::onClipboardChanged() {
    if (m_writing) return;  // our own write: setString already took note of it
    if (m_pause.isPaused()) return;
    // A reader that follows the owner itself has read this change already, or is reading it.
    if (m_reader->watchesOwner()) return;
    m_reader->requestRead(m_nextTicket++);
}

void QtPasteboard::onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    if (ticket < m_firstCurrentTicket) return;
    if (ticket == m_initialTicket) {
        m_snapshot = snapshot;
        return;
    }
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void QtPasteboard::onChangeRead(const ClipboardSnapshot& snapshot) {
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void QtPasteboard::clearContents() {
    m_writing = true;
    m_clipboard->clear(QClipboard::Clipboard);
    m_writing = false;
    m_snapshot = {};
    m_firstCurrentTicket = m_nextTicket;
    ++m_changeCount;
}

bool QtPasteboard::setString(const QString& text) {
    m_confirmation.expect(text);
    m_pause.liftFor(m_confirmation);
    m_reader->noteOwnWrite();
    m_writing = true;
    m_clipboard->setText(text, QClipboard::Clipboard);
    m_writing = false;
    m_snapshot = {QStringList{PasteboardType::string}, text, {}};
    m_firstCurrentTicket = m_nextTicket;
    ++m_changeCount;
    // A reader that follows the owner reads our write back by itself; any other is asked.
    if (!m_reader->watchesOwner()) m_reader->requestRead(m_nextTicket++);
    return true;
}

void QtPasteboard::lendPrimary(const QString& text, std::function<void(bool)> ready) {
    if (m_primary) {
        m_primary->lend(text, std::move(ready));
        return;
    }
    // PRIMARY changes are not clipboard changes: the monitor never sees them.
    if (m_clipboard->supportsSelection()) m_clipboard->setText(text, QClipboard::Selection);
    ready(true);
}

}  // namespace quillet
