#pragma once

#include <QObject>
#include <memory>

#include "platform/Pasteboard.h"
#include "platform/ReadingPause.h"
#include "platform/WriteConfirmation.h"
#include "platform/wayland/WaylandClipboardReader.h"

namespace quillet {

// The Wayland clipboard through data-control: read ahead by the reader's thread and written
// through it too, so a paste works while another window has the focus. As with X11, the
// change count follows completed reads and our own writes; our write read back is the
// contents we already hold, so it is not a second change.
class WaylandPasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    explicit WaylandPasteboard(std::unique_ptr<WaylandClipboardReader> reader,
                               QObject* parent = nullptr);
    ~WaylandPasteboard() override;

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
    // The reader follows every selection the compositor announces.
    bool announcesChanges() const override { return true; }
    void setReadingPaused(bool paused) override { m_pause.set(paused); }

private:
    void onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void onChangeRead(const ClipboardSnapshot& snapshot);

    std::unique_ptr<WaylandClipboardReader> m_reader;
    ClipboardSnapshot m_snapshot;
    qint64 m_changeCount = 0;
    bool m_sawChange = false;
    bool m_clearPending = false;  // a clear not yet replaced by a write
    ReadingPause m_pause{*m_reader};
    // Our write counts once the compositor has announced it back to us and it was read.
    WriteConfirmation m_confirmation{writeConfirmTimeoutMs};
    static constexpr quint64 initialTicket = 1;
};

}  // namespace quillet
