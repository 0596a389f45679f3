#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "history/ClipboardMonitorDelegate.h"

namespace quillet {

class Pasteboard;
class RecordingPause;

// Looks at the clipboard each time the pasteboard announces a change, and reports each new
// plain text to its delegate; only a pasteboard that cannot announce changes is polled, every
// `pollIntervalMs`. It is also the only writer of text to the clipboard, and everything it
// writes counts as already seen.
//
// While recording is paused it reads nothing at all, and tells the pasteboard not to read
// ahead either; on resume only copies made after it are recorded.
class ClipboardMonitor : public QObject {
    Q_OBJECT
public:
    // A monitor without a pause records whenever it monitors.
    explicit ClipboardMonitor(Pasteboard& pasteboard, QObject* parent = nullptr);
    // `pause` is not owned and outlives the monitor.
    ClipboardMonitor(Pasteboard& pasteboard, RecordingPause& pause, QObject* parent = nullptr);
    ~ClipboardMonitor() override;

    // The text on the clipboard now counts as seen; polling starts where it is needed.
    void startMonitoring();
    // One poll: records the clipboard's text if it is new plain text.
    void checkForChanges();
    void copyToPasteboard(const QString& text);
    // Empties the clipboard if it holds `text` (a forgotten clip). The text still counts as
    // seen, so a copy of it that another owner keeps is not recorded again.
    void clearPasteboardIfHolding(const QString& text);

    // Copies made by these applications are never recorded; the pasteboard is told too, so
    // that it does not even read them where it can tell who copied.
    void setIgnoredApplications(const QStringList& names);

    // Non-owning: the delegate outlives the monitor's use of it or is never set.
    void setDelegate(ClipboardMonitorDelegate* delegate) { m_delegate = delegate; }
    ClipboardMonitorDelegate* delegate() const { return m_delegate; }

    qint64 lastChangeCount() const { return m_lastChangeCount; }
    const std::optional<QString>& lastText() const { return m_lastText; }
    bool isMonitoring() const { return m_monitoring; }
    bool isPaused() const;

    static constexpr int pollIntervalMs = 500;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void followPause();
    void pollUnlessAnnounced();

    Pasteboard& m_pasteboard;
    RecordingPause* m_pause = nullptr;
    qint64 m_lastChangeCount;
    std::optional<QString> m_lastText;
    QBasicTimer m_poll;  // stops with us, so a tick never reaches a dead monitor
    bool m_monitoring = false;
    ClipboardMonitorDelegate* m_delegate = nullptr;
    QStringList m_ignoredApplications;
};

}  // namespace quillet
