#include "platform/x11/X11Pasteboard.h"

#include <utility>

#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11SelectionOwner.h"

namespace quillet {

X11Pasteboard::X11Pasteboard(std::unique_ptr<X11ClipboardReader> reader,
                             std::unique_ptr<X11SelectionOwner> owner,
                             std::unique_ptr<PrimarySelection> primary, QObject* parent)
    : QObject(parent),
      m_reader(std::move(reader)),
      m_owner(std::move(owner)),
      m_primary(std::move(primary)),
      m_pause(*m_reader) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
    connect(m_reader.get(), &ClipboardReader::snapshotRead, this, &X11Pasteboard::onSnapshotRead,
            Qt::QueuedConnection);
    connect(m_reader.get(), &ClipboardReader::changeRead, this, &X11Pasteboard::onChangeRead,
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

X11Pasteboard::~X11Pasteboard() = default;

bool X11Pasteboard::announcesChanges() const {
    // Without XFixes the reader cannot follow owners, and the monitor's timer must ask.
    return m_reader->watchesOwner();
}

void X11Pasteboard::setReadingPaused(bool paused) {
    m_pause.set(paused);
}

void X11Pasteboard::setIgnoredApplications(const QStringList& names) {
    m_reader->setIgnoredApplications(names);
}

CopyAttribution X11Pasteboard::attribution() const {
    return m_reader->attribution();
}

void X11Pasteboard::lendPrimary(const QString& text, std::function<void(bool)> ready) {
    if (m_primary)
        m_primary->lend(text, std::move(ready));
    else
        ready(true);
}

void X11Pasteboard::onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot) {
    // What was on the clipboard at start is the initial state, not a change; a change that
    // was seen meanwhile is newer.
    if (ticket == initialTicket) {
        if (!m_sawChange) m_snapshot = snapshot;
        return;
    }
    onChangeRead(snapshot);
}

void X11Pasteboard::onChangeRead(const ClipboardSnapshot& snapshot) {
    m_sawChange = true;
    m_confirmation.observe(snapshot.text);
    // Our own write read back, or the same contents offered again: nothing new to see.
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    ++m_changeCount;
    notifyChange();
}

void X11Pasteboard::clearContents() {
    // A clear followed by a write in the same turn is one change of owner: giving the
    // selection up first would let the desktop's bridge announce an empty clipboard between.
    m_snapshot = {};
    m_sawChange = true;
    ++m_changeCount;
    m_clearPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!std::exchange(m_clearPending, false)) return;
            m_owner->setText(std::nullopt);
        },
        Qt::QueuedConnection);
}

bool X11Pasteboard::setString(const QString& text) {
    m_clearPending = false;
    m_confirmation.expect(text);
    m_pause.liftFor(m_confirmation);
    m_reader->noteOwnWrite();
    const bool owned = m_owner->setText(text);
    if (!owned) m_confirmation.refuse("the X server did not make us its owner");
    m_snapshot = {QStringList{PasteboardType::string}, text, {}};
    m_sawChange = true;
    ++m_changeCount;
    // Without XFixes nothing reads our write back by itself.
    if (!m_reader->watchesOwner()) m_reader->requestRead(m_nextTicket++);
    return owned;
}

}  // namespace quillet
