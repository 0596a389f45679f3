#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "history/ClipboardMonitorDelegate.h"

namespace quillet {

class Pasteboard;

// Polls the clipboard, and looks at once when the pasteboard announces a change, and reports
// each new plain text to its delegate. It is also the only
// writer of text to the clipboard, and everything it writes counts as already seen.
class ClipboardMonitor : public QObject {
    Q_OBJECT
public:
    explicit ClipboardMonitor(Pasteboard& pasteboard, QObject* parent = nullptr);
    ~ClipboardMonitor() override;

    // The text on the clipboard now counts as seen; polling starts.
    void startMonitoring();
    // One poll: records the clipboard's text if it is new plain text.
    void checkForChanges();
    void copyToPasteboard(const QString& text);

    // Copies made by these applications are never recorded; the pasteboard is told too, so
    // that it does not even read them where it can tell who copied.
    void setIgnoredApplications(const QStringList& names);

    // Non-owning: the delegate outlives the monitor's use of it or is never set.
    void setDelegate(ClipboardMonitorDelegate* delegate) { m_delegate = delegate; }
    ClipboardMonitorDelegate* delegate() const { return m_delegate; }

    qint64 lastChangeCount() const { return m_lastChangeCount; }
    const std::optional<QString>& lastText() const { return m_lastText; }
    bool isMonitoring() const { return m_monitoring; }

    static constexpr int pollIntervalMs = 500;

private:
    Pasteboard& m_pasteboard;
    qint64 m_lastChangeCount;
    std::optional<QString> m_lastText;
    QTimer m_timer;
    bool m_monitoring = false;
    ClipboardMonitorDelegate* m_delegate = nullptr;
    QStringList m_ignoredApplications;
};

}  // namespace quillet
