#pragma once

#include <QObject>
#include <memory>

#include "platform/ClipboardReader.h"
#include "platform/Pasteboard.h"
#include "platform/PrimarySelection.h"
#include "platform/ReadingPause.h"
#include "platform/WriteConfirmation.h"

class QClipboard;

namespace quillet {

// The system clipboard through QClipboard. Foreign changes are read ahead by a
// ClipboardReader, off the caller's path, and only a completed read raises the change count,
// so the monitor's reads are answered from memory and never wait for a slow owner. Each
// completed read is announced through the change handler at once. Our own writes are read
// back the same way before they count as done.
class QtPasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // `primary` lends PRIMARY to terminal pastes and gives it back; without it, PRIMARY is
    // set through Qt and keeps the pasted text.
    QtPasteboard(QClipboard* clipboard, std::unique_ptr<ClipboardReader> reader,
                 std::unique_ptr<PrimarySelection> primary = nullptr, QObject* parent = nullptr);
    ~QtPasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override { return m_snapshot.types; }
    std::optional<QString> string() const override { return m_snapshot.text; }
    QStringList application() const override { return m_snapshot.application; }
    void setIgnoredApplications(const QStringList& names) override {
        m_reader->setIgnoredApplications(names);
    }
    CopyAttribution attribution() const override { return m_reader->attribution(); }
    void clearContents() override;
    bool setString(const QString& text) override;
    void confirmWrite(std::function<void(bool)> done) override { m_confirmation.wait(std::move(done)); }
    void lendPrimary(const QString& text, std::function<void(bool)> ready) override;
    void setReadingPaused(bool paused) override { m_pause.set(paused); }

private:
    void onClipboardChanged();
    void onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void onChangeRead(const ClipboardSnapshot& snapshot);

    QClipboard* m_clipboard;
    std::unique_ptr<ClipboardReader> m_reader;
    std::unique_ptr<PrimarySelection> m_primary;
    ClipboardSnapshot m_snapshot;
    qint64 m_changeCount = 0;
    quint64 m_nextTicket = 1;
    // Answers to requests made before this ticket describe contents older than our last write.
    quint64 m_firstCurrentTicket = 1;
    quint64 m_initialTicket = 0;
    bool m_writing = false;
    ReadingPause m_pause{*m_reader};
    // Our write counts once the reader has read it back: on XWayland a write through Qt's
    // Wayland clipboard may never reach the selection the reader follows.
    WriteConfirmation m_confirmation{writeConfirmTimeoutMs};
};

}  // namespace quillet
