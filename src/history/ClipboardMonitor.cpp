#include "history/ClipboardMonitor.h"

#include <QTimerEvent>

#include "history/RecordingPause.h"
#include "base/Logging.h"
#include "platform/Pasteboard.h"

namespace quillet {

ClipboardMonitor::ClipboardMonitor(Pasteboard& pasteboard, QObject* parent)
    : QObject(parent), m_pasteboard(pasteboard), m_lastChangeCount(pasteboard.changeCount()) {
    // Rapid copies are each seen this way; the poll is the fallback for pasteboards that
    // cannot announce changes, and ends once one says it can.
    m_pasteboard.setChangeHandler([this] {
        if (m_pasteboard.announcesChanges()) m_poll.stop();
        if (isMonitoring()) checkForChanges();
    });
}

ClipboardMonitor::ClipboardMonitor(Pasteboard& pasteboard, RecordingPause& pause, QObject* parent)
    : ClipboardMonitor(pasteboard, parent) {
    m_pause = &pause;
    connect(&pause, &RecordingPause::changed, this, &ClipboardMonitor::followPause);
    // Before the pasteboard's first read: a pause kept from the last run covers that too.
    m_pasteboard.setReadingPaused(isPaused());
}

ClipboardMonitor::~ClipboardMonitor() {
    m_pasteboard.setChangeHandler({});
}

bool ClipboardMonitor::isPaused() const {
    return m_pause != nullptr && m_pause->isPaused();
}

void ClipboardMonitor::startMonitoring() {
    m_monitoring = true;
    if (isPaused()) return;
    m_lastText = m_pasteboard.string();
    pollUnlessAnnounced();
}

void ClipboardMonitor::pollUnlessAnnounced() {
    // A pasteboard that announces every change needs no timer: an idle desktop stays idle.
    if (!m_pasteboard.announcesChanges()) m_poll.start(pollIntervalMs, this);
}

void ClipboardMonitor::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_poll.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    checkForChanges();
}

void ClipboardMonitor::followPause() {
    const bool paused = isPaused();
    m_pasteboard.setReadingPaused(paused);
    if (paused) {
        m_poll.stop();
        return;
    }
    // Whatever was copied during the pause stays unread: only later copies count.
    m_lastChangeCount = m_pasteboard.changeCount();
    if (m_monitoring) pollUnlessAnnounced();
}

void ClipboardMonitor::checkForChanges() {
    if (isPaused()) return;
    if (m_pasteboard.changeCount() == m_lastChangeCount) return;
    m_lastChangeCount = m_pasteboard.changeCount();

    const QStringList application = m_pasteboard.application();
    if (isIgnoredApplication(m_ignoredApplications, application)) {
        qCDebug(lcClipboard) << "not recorded: a copy from" << application.join(u'/')
                             << "(on the list of ignored applications)";
        return;
    }

    // Files, images and secrets are consumed without being recorded, even with text beside.
    if (PasteboardType::withholdsText(m_pasteboard.types())) return;

    const std::optional<QString> text = m_pasteboard.string();
    if (!text || text->isEmpty()) return;
    if (m_lastText && *m_lastText == *text) return;
    m_lastText = text;
    if (m_delegate != nullptr) m_delegate->clipboardDidChange(*text);
}

void ClipboardMonitor::setIgnoredApplications(const QStringList& names) {
    m_ignoredApplications = names;
    m_pasteboard.setIgnoredApplications(names);
}

void ClipboardMonitor::copyToPasteboard(const QString& text) {
    m_pasteboard.clearContents();
    m_pasteboard.setString(text);
    m_lastChangeCount = m_pasteboard.changeCount();
    m_lastText = text;
}

void ClipboardMonitor::clearPasteboardIfHolding(const QString& text) {
    if (m_pasteboard.string() != text) return;
    m_pasteboard.clearContents();
    m_lastChangeCount = m_pasteboard.changeCount();
}

}  // namespace quillet
