#include "history/ClipboardMonitor.h"

#include "platform/Logging.h"
#include "platform/Pasteboard.h"

namespace quillet {

ClipboardMonitor::ClipboardMonitor(Pasteboard& pasteboard, QObject* parent)
    : QObject(parent), m_pasteboard(pasteboard), m_lastChangeCount(pasteboard.changeCount()) {
    m_timer.setInterval(pollIntervalMs);
    // The timer is our child: it stops with us, so a tick never reaches a dead monitor.
    connect(&m_timer, &QTimer::timeout, this, &ClipboardMonitor::checkForChanges);
    // Rapid copies are each seen this way; the timer stays as the fallback for pasteboards
    // that cannot announce changes.
    m_pasteboard.setChangeHandler([this] {
        if (isMonitoring()) checkForChanges();
    });
}

ClipboardMonitor::~ClipboardMonitor() {
    m_pasteboard.setChangeHandler({});
}

void ClipboardMonitor::startMonitoring() {
    m_lastText = m_pasteboard.string();
    m_monitoring = true;
    // A pasteboard that announces every change needs no timer: an idle desktop stays idle.
    if (!m_pasteboard.announcesChanges()) m_timer.start();
}

void ClipboardMonitor::checkForChanges() {
    if (m_pasteboard.changeCount() == m_lastChangeCount) return;
    m_lastChangeCount = m_pasteboard.changeCount();

    const QStringList application = m_pasteboard.application();
    if (isIgnoredApplication(m_ignoredApplications, application)) {
        qCDebug(lcClipboard) << "not recorded: a copy from" << application.join(u'/')
                             << "(on the list of ignored applications)";
        return;
    }

    // Files, images and secrets are consumed without being recorded, even with text beside.
    const QStringList types = m_pasteboard.types();
    for (const QString& skipped : {PasteboardType::fileURL, PasteboardType::tiff,
                                   PasteboardType::png, PasteboardType::concealed}) {
        if (types.contains(skipped)) return;
    }

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

}  // namespace quillet
